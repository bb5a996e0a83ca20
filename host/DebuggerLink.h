// What the host tells an attached debugger (the authoring tool): run-time errors with their
// source positions, a failed load, the end of the main block, and the script's own commands.
// The link itself (shared memory, window messages) is installed by the program when a
// debugger handle was passed; without one every call here does nothing. Main thread only.
#pragma once

#include <string>

namespace host {

class DebuggerLink {
public:
    virtual ~DebuggerLink() = default;
    // The shared memory exists: reports are written and sent.
    virtual bool active() const = 0;
    // Writes `text` into the shared memory and announces it with `position` (a source
    // position, 0 when unknown, -1 for the end of the run) and the position's row and
    // column (0 when unknown).
    virtual void report(const std::string& text, int position, int row, int col) = 0;
    // `SendCommandToDebugger`: a hint (0), error (1) or warning (2) with its text.
    virtual void command(int kind, const std::string& text) = 0;
};

// The installed link, or null. The host does not own it.
DebuggerLink* debuggerLink();
void setDebuggerLink(DebuggerLink* link);

}  // namespace host
