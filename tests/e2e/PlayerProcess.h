// Starts the real player in a private temporary folder, with an automation file and a
// log, and lets a test wait for it, signal it and read what it logged.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {

// A scratch folder per test: TMP for the players it starts, plus room for files.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    const std::filesystem::path& dir() const { return m_dir; }
    std::filesystem::path tmp() const { return m_dir / "tmp"; }
    // The player executable copied into the sandbox under `name`.
    std::filesystem::path copyPlayer(const std::string& name) const;
    // The player's temporary application folders currently in tmp().
    std::vector<std::filesystem::path> appFolders() const;
    void write(const std::string& name, const std::string& data) const;

private:
    std::filesystem::path m_dir;
};

std::filesystem::path builtPlayer();

class PlayerProcess {
public:
    struct Options {
        Options(std::vector<std::string> a = {}, bool withAutomation = true, std::string script = "",
                std::vector<std::string> env = {})
            : args(std::move(a)),
              automated(withAutomation),
              automation(std::move(script)),
              environment(std::move(env)) {}
        std::vector<std::string> args;
        bool automated;          // with an automation file (else a person would answer)
        std::string automation;  // its content
        // "NAME=value" entries set after the sandbox's own (TMP, the log), replacing them.
        std::vector<std::string> environment;
        std::filesystem::path output;  // where standard output goes (inherited when empty)
    };
    PlayerProcess(const Sandbox& sandbox, const std::filesystem::path& exe, Options options);
    ~PlayerProcess();

    // The exit code (128 + signal for a signal), or -1 when it did not end in time.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    void signal(int signo) const;
    pid_t pid() const { return m_pid; }
    std::vector<std::string> logLines() const;

private:
    pid_t m_pid = -1;
    int m_status = -1;
    std::filesystem::path m_log;
};

// Polls `condition` every 10 ms until it holds or `timeout` passes.
template <typename F>
bool waitFor(F condition, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        struct timespec ts = {0, 10 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    return condition();
}

}  // namespace e2e
