#include "runtime/ProcessState.h"

namespace runtime {

std::filesystem::path ProcessState::executable() const {
    std::lock_guard lock(m_mutex);
    return m_executable;
}

void ProcessState::setExecutable(std::filesystem::path exe) {
    std::lock_guard lock(m_mutex);
    m_executable = std::move(exe);
}

std::filesystem::path ProcessState::sourceFolder() const {
    std::lock_guard lock(m_mutex);
    return m_sourceFolder;
}

void ProcessState::setSourceFolder(std::filesystem::path folder) {
    std::lock_guard lock(m_mutex);
    m_sourceFolder = std::move(folder);
}

std::string ProcessState::applicationTitle() const {
    std::lock_guard lock(m_mutex);
    return m_title;
}

void ProcessState::setApplicationTitle(std::string title) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard lock(m_mutex);
        m_title = title;
        hook = m_titleHook;
    }
    if (hook) hook(title);
}

void ProcessState::onTitleChanged(std::function<void(const std::string&)> hook) {
    std::lock_guard lock(m_mutex);
    m_titleHook = std::move(hook);
}

std::vector<std::string> ProcessState::arguments() const {
    std::lock_guard lock(m_mutex);
    return m_arguments;
}

void ProcessState::setArguments(std::vector<std::string> args) {
    std::lock_guard lock(m_mutex);
    m_arguments = std::move(args);
}

uint32_t ProcessState::debuggerHandle() const {
    std::lock_guard lock(m_mutex);
    return m_debuggerHandle;
}

void ProcessState::setDebuggerHandle(uint32_t handle) {
    std::lock_guard lock(m_mutex);
    m_debuggerHandle = handle;
}

bool ProcessState::soundSettingsMenuDisabled() const {
    std::lock_guard lock(m_mutex);
    return m_soundSettingsMenuDisabled;
}

void ProcessState::setSoundSettingsMenuDisabled(bool disabled) {
    std::lock_guard lock(m_mutex);
    m_soundSettingsMenuDisabled = disabled;
}

std::filesystem::path ProcessState::iniFile() const {
    std::filesystem::path ini = executable();
    return ini.replace_extension(".ini");
}

ProcessState& state() {
    static ProcessState* s = new ProcessState;  // outlives static destruction: the exit path reads it
    return *s;
}

}  // namespace runtime
