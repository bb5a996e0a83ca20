#include "player/gui/EmbeddedLoadForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace player {

namespace {
constexpr int kStep = 10;  // a progress bar's default step
}

TEmbeddedLoad::TEmbeddedLoad() {
    setWindowTitle(QStringLiteral("Loading Embedded files ..."));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(282, 33);
    m_progressBar1.setRange(0, 100);
    m_progressBar1.setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(&m_progressBar1);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(3000);
    QObject::connect(&m_timer1, &QTimer::timeout, this, [this] {
        m_timer1.stop();
        if (isHidden()) show();
    });
}

void TEmbeddedLoad::stepIt() {
    // Past the end the bar starts over, as a stepping progress bar does.
    int next = m_progressBar1.value() + kStep;
    m_progressBar1.setValue(next > m_progressBar1.maximum() ? next - m_progressBar1.maximum() : next);
}

void TEmbeddedLoad::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace player
