// The player's end of the debugger link: a local socket to the debugger that the
// "DEBUGER:<number>" argument names. It announces the player, carries the script host's
// reports and the script's commands, and answers the debugger's placeholder requests.
// A debugger that cannot be reached or goes away never stops the project: the player
// plays on as without one. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace player {

class DebuggerConnection {
public:
    DebuggerConnection();
    ~DebuggerConnection();
    DebuggerConnection(const DebuggerConnection&) = delete;
    DebuggerConnection& operator=(const DebuggerConnection&) = delete;

    // With a debugger number known (runtime::state()), opens the link unless it is open,
    // then announces the player (message 2023). Without a number nothing happens. When the
    // endpoint cannot be reached the number is forgotten: no debugger is attached.
    void hookup();
    // The link is open and its peer still there: reports and commands go out.
    bool active() const;
    // The socket to watch for the debugger's requests; -1 when there is none.
    int fd() const;

    // Message 1801: a text with a source position (0 unknown, -1 the end of the run) and,
    // when known, its row and column.
    void report(const std::string& text, int position, int row, int col);
    // `SendCommandToDebugger`: hint (0), error (1) or warning (2), messages 1724 to 1726.
    void command(int kind, const std::string& text);
    // Reads what the debugger sent and answers its placeholder requests (message 2022).
    void serviceRequests();

    // Called with true when the link opens, false when its peer is found gone or
    // misbehaving, or the link is closed; fd() stays valid until close() has called it.
    void setOnChange(std::function<void(bool open)> onChange);
    // Frees the link (after the script host has returned). A later hookup opens a new one.
    void close();

private:
    struct Impl;
    void lose();
    std::unique_ptr<Impl> m_impl;
};

// The player's one link.
DebuggerConnection& debuggerConnection();

// The text of a placeholder request without its trailing spaces.
std::string requestedText(const std::string& text);

}  // namespace player
