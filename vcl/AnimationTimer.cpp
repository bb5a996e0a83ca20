#include "vcl/AnimationTimer.h"

#include <algorithm>

#include "vcl/Clock.h"

namespace vcl {

AnimationTimer::AnimationTimer(std::function<void()> tick, int intervalMs)
    : m_tick(std::move(tick)), m_interval(std::max(1, intervalMs)) {}

AnimationTimer::~AnimationTimer() { stop(); }

void AnimationTimer::setEnabled(bool on) {
    if (on == enabled()) return;
    if (on)
        start();
    else
        stop();
}

void AnimationTimer::setInterval(int ms) {
    ms = std::max(1, ms);
    if (ms == m_interval) return;
    m_interval = ms;
    if (enabled()) {
        stop();
        start();
    }
}

void AnimationTimer::start() {
    m_service = &TimerService::active();
    m_id = m_service->start(m_interval, [this] { m_tick(); });
}

void AnimationTimer::stop() {
    if (m_id && m_service) m_service->stop(m_id);
    m_id = 0;
    m_service = nullptr;
}

}  // namespace vcl
