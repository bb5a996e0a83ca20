// The player's hidden main window during start-up: it is never shown; its one-shot
// 250 ms timer runs the start routine once the event loop is up, then closes it, which
// ends the event loop.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

namespace player {

class TLoadingForm : public QWidget {
public:
    explicit TLoadingForm(std::function<void()> startRoutine);

private:
    void timer1Timer();

    QTimer m_timer1;
    std::function<void()> m_startRoutine;
};

}  // namespace player
