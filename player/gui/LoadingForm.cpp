#include "player/gui/LoadingForm.h"

#include <QApplication>

namespace player {

TLoadingForm::TLoadingForm(std::function<void()> startRoutine) : m_startRoutine(std::move(startRoutine)) {
    setWindowTitle(QStringLiteral("Loading ..."));
    setWindowFlags(Qt::FramelessWindowHint);
    setGeometry(-500, -500, 0, 0);
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(250);
    QObject::connect(&m_timer1, &QTimer::timeout, this, [this] { timer1Timer(); });
    m_timer1.start();
}

void TLoadingForm::timer1Timer() {
    m_timer1.stop();
    try {
        m_startRoutine();
    } catch (...) {
        // The loader reports its own failures; whatever escapes ends the run quietly.
    }
    close();
    QApplication::quit();
}

}  // namespace player
