// Process-wide facts of the running player that several start-up steps share.
// Thread: set on the user-interface thread during start-up; read anywhere afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace runtime {

inline constexpr const char* kPlayerVersion = "2.0.0.38";

class ProcessState {
public:
    std::filesystem::path executable() const;
    void setExecutable(std::filesystem::path exe);

    // The project's folder once one is loaded; the player's folder before.
    std::filesystem::path sourceFolder() const;
    void setSourceFolder(std::filesystem::path folder);

    // The title shown for the application; the user interface follows it through the hook.
    std::string applicationTitle() const;
    void setApplicationTitle(std::string title);
    void onTitleChanged(std::function<void(const std::string&)> hook);

    // The command-line arguments after the program name (ANSI), for ParamStr and ParamCount.
    std::vector<std::string> arguments() const;
    void setArguments(std::vector<std::string> args);

    uint32_t debuggerHandle() const;
    void setDebuggerHandle(uint32_t handle);

    bool soundSettingsMenuDisabled() const;
    void setSoundSettingsMenuDisabled(bool disabled);

    // The INI file beside the player: its path with the extension ".ini".
    std::filesystem::path iniFile() const;

private:
    mutable std::mutex m_mutex;
    std::filesystem::path m_executable;
    std::filesystem::path m_sourceFolder;
    std::string m_title;
    std::function<void(const std::string&)> m_titleHook;
    std::vector<std::string> m_arguments;
    uint32_t m_debuggerHandle = 0;
    bool m_soundSettingsMenuDisabled = false;
};

ProcessState& state();

}  // namespace runtime
