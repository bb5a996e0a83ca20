// The active timer service and the manual clock.
#include "vcl/Clock.h"

#include <algorithm>

namespace vcl {

namespace {
TimerService* s_active = nullptr;
}

TimerService& TimerService::active() { return s_active ? *s_active : toolkitTimerService(); }
void TimerService::setActive(TimerService* service) { s_active = service; }

int ManualClock::start(int intervalMs, Callback callback) {
    const int id = m_nextId++;
    const int interval = std::max(1, intervalMs);
    m_timers[id] = Timer{interval, m_now + interval, std::move(callback)};
    return id;
}

void ManualClock::stop(int id) { m_timers.erase(id); }

int ManualClock::advance(int64_t ms) {
    const int64_t end = m_now + std::max<int64_t>(0, ms);
    int fired = 0;
    while (true) {
        // Earliest due timer; ids grow with start order, so the map order breaks ties.
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
            if (it->second.due <= end && (next == m_timers.end() || it->second.due < next->second.due))
                next = it;
        if (next == m_timers.end()) break;
        m_now = next->second.due;
        next->second.due += next->second.interval;
        Callback cb = next->second.callback;  // the callback may stop its own timer
        cb();
        ++fired;
    }
    m_now = end;
    return fired;
}

}  // namespace vcl
