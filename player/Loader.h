// The hand-over from start-up to the project loader, and from the loader to the script
// host. Both sides are installed at start-up by the program; until then a request is
// only logged ({"kind":"load",...}, {"kind":"script",...}), which the tests of the
// start-up order rely on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace player {

using ProjectLoader = std::function<void(const std::filesystem::path& file, uint64_t offset)>;

// Loads and runs the project that starts at `offset` of `file`; returns when its script
// has finished or loading was given up after a message.
void loadProject(const std::filesystem::path& file, uint64_t offset);
void setProjectLoader(ProjectLoader loader);

// What the loader hands to the script host: the script source when the project carries
// one, else the stored bytecode, with its debug information.
struct ScriptHandover {
    bool hasSource = false;
    std::string source;     // "script.txt", ANSI
    std::string bytecode;   // stored compiled script (may be empty)
    std::string debugInfo;  // stored debug information
    int formatVersion = 0;
};

using ScriptHost = std::function<void(const ScriptHandover&)>;

// Runs the script; returns when its main block has finished.
void runScript(const ScriptHandover& handover);
void setScriptHost(ScriptHost host);

}  // namespace player
