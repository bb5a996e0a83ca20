// Drives the player's controls from the automation file: the steps click, type, key, wait,
// close and screenshot, taken from the same ordered queue as the dialogs' answers. Each
// step waits for its turn (the steps before it taken) and for its target to be on the
// screen; a target that does not show up within five seconds fails the run with a message
// in the log and exit code 1. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class AutomationScript;
struct AutomationStep;
}  // namespace platform

namespace classes {
class TComponent;
}

namespace player {

inline constexpr int kExitAutomationFailed = 1;

class AutomationDriver {
public:
    explicit AutomationDriver(std::shared_ptr<platform::AutomationScript> script);
    ~AutomationDriver();
    AutomationDriver(const AutomationDriver&) = delete;
    AutomationDriver& operator=(const AutomationDriver&) = delete;

    // Looks at the queue every few milliseconds from now on, nested event loops included.
    void start();

    // The virtual-key code and shift state of a key name ("Enter", "Escape", "Tab", "A",
    // "F5", "Shift+Tab", "Ctrl+S"); false for a name it does not know.
    static bool parseKey(std::string_view name, int& key, uint32_t& shift);

private:
    void tick();
    // Runs the step when its target is there; false while it is not (yet).
    bool perform(const platform::AutomationStep& step, std::string& problem);
    [[noreturn]] void fail(const platform::AutomationStep& step, const std::string& problem);

    std::shared_ptr<platform::AutomationScript> m_script;
    int m_timer = 0;
    int64_t m_waitUntil = 0;   // a wait step's end on the timer clock
    int64_t m_headSince = -1;  // when the current first step started waiting for its target
    int m_headLine = 0;
};

}  // namespace player
