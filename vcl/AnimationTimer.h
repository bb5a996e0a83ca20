// The timer the animated controls own: runs on the active timer service while enabled, and
// keeps its countdown when the interval is set to the value it already has (the toolkit's
// timer restarts only on a real change).
#pragma once

#include <functional>

namespace vcl {

class TimerService;

class AnimationTimer {
public:
    explicit AnimationTimer(std::function<void()> tick, int intervalMs = 1000);
    ~AnimationTimer();
    AnimationTimer(const AnimationTimer&) = delete;
    AnimationTimer& operator=(const AnimationTimer&) = delete;

    bool enabled() const { return m_id != 0; }
    void setEnabled(bool on);
    int interval() const { return m_interval; }
    // Values below 1 count as 1 millisecond.
    void setInterval(int ms);

private:
    void start();
    void stop();

    std::function<void()> m_tick;
    int m_interval;
    TimerService* m_service = nullptr;
    int m_id = 0;
};

}  // namespace vcl
