// The clock seam: every timer of the player (TTimer, animations) is started through the
// active TimerService. The toolkit service runs on Qt timers; ManualClock lets a test step
// time by hand and fires due timers in order. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace vcl {

class TimerService {
public:
    using Callback = std::function<void()>;
    virtual ~TimerService() = default;

    // Starts a repeating timer; returns its id (> 0). A callback may start and stop timers,
    // its own included.
    virtual int start(int intervalMs, Callback callback) = 0;
    virtual void stop(int id) = 0;
    // Milliseconds on this service's clock, from an arbitrary start.
    virtual int64_t nowMs() const = 0;

    // The service in use: the one set last, else the toolkit's (created on first use).
    static TimerService& active();
    // Installs `service` (not owned); nullptr returns to the toolkit's service.
    static void setActive(TimerService* service);
};

// A clock that moves only when told to.
class ManualClock : public TimerService {
public:
    int start(int intervalMs, Callback callback) override;
    void stop(int id) override;
    int64_t nowMs() const override { return m_now; }

    // Moves time forward by `ms`, firing every timer that falls due on the way, earliest
    // first (equal times in the order the timers were started), each as often as it falls
    // due. Returns the number of callbacks run.
    int advance(int64_t ms);
    int activeTimers() const { return static_cast<int>(m_timers.size()); }

private:
    struct Timer {
        int interval;
        int64_t due;
        Callback callback;
    };
    std::map<int, Timer> m_timers;
    int64_t m_now = 0;
    int m_nextId = 1;
};

// Installs a service for the lifetime of a scope (tests).
class ScopedTimerService {
public:
    explicit ScopedTimerService(TimerService& s) { TimerService::setActive(&s); }
    ~ScopedTimerService() { TimerService::setActive(nullptr); }
    ScopedTimerService(const ScopedTimerService&) = delete;
    ScopedTimerService& operator=(const ScopedTimerService&) = delete;
};

// The toolkit's service; defined in vcl/qt.
TimerService& toolkitTimerService();

}  // namespace vcl
