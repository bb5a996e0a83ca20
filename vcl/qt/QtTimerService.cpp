// The toolkit timer service: one QObject owning Qt timers, dispatching by timer id.
#include <QElapsedTimer>
#include <QObject>
#include <QTimerEvent>
#include <unordered_map>

#include "vcl/Clock.h"

namespace vcl {

namespace {

class QtTimerService final : public QObject, public TimerService {
public:
    QtTimerService() { m_elapsed.start(); }

    int start(int intervalMs, Callback callback) override {
        const int id = startTimer(std::max(1, intervalMs), Qt::PreciseTimer);
        if (id > 0) m_callbacks[id] = std::move(callback);
        return id;
    }
    void stop(int id) override {
        if (m_callbacks.erase(id)) killTimer(id);
    }
    int64_t nowMs() const override { return m_elapsed.elapsed(); }

protected:
    void timerEvent(QTimerEvent* e) override {
        auto it = m_callbacks.find(e->timerId());
        if (it == m_callbacks.end()) return;
        Callback cb = it->second;  // may stop this timer while running
        cb();
    }

private:
    QElapsedTimer m_elapsed;
    std::unordered_map<int, Callback> m_callbacks;
};

}  // namespace

TimerService& toolkitTimerService() {
    static QtTimerService service;
    return service;
}

}  // namespace vcl
