// Feeds the keyboard state from the toolkit's key events: one filter on the application
// sees each key event once, where it reaches a top-level window.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

#include "vcl/KeyState.h"

namespace vcl::toolkit {
namespace {

int virtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_CapsLock: return kVkCapital;
    case Qt::Key_NumLock: return kVkNumLock;
    case Qt::Key_ScrollLock: return kVkScroll;
    case Qt::Key_Shift: return kVkShift;
    case Qt::Key_Control: return kVkControl;
    case Qt::Key_Alt: return kVkMenu;
    default: return -1;
    }
}

class KeyWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        const auto type = event->type();
        if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && target->isWindowType()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int vk = virtualKeyOf(key->key());
            if (vk >= 0 && !(type == QEvent::KeyRelease && key->isAutoRepeat())) {
                if (type == QEvent::KeyPress)
                    keyPressed(vk);
                else
                    keyReleased(vk);
            }
        }
        return false;
    }
};

QObject* s_watcher = nullptr;

void install() {
    if (s_watcher || !QCoreApplication::instance()) return;
    s_watcher = new KeyWatcher(QCoreApplication::instance());
    QObject::connect(s_watcher, &QObject::destroyed, [] { s_watcher = nullptr; });
    QCoreApplication::instance()->installEventFilter(s_watcher);
}

}  // namespace

void watchKeys() { install(); }

}  // namespace vcl::toolkit

// Key events from the first window on count, before anything asks for the state.
static void startKeyWatch() { vcl::toolkit::watchKeys(); }
Q_COREAPP_STARTUP_FUNCTION(startKeyWatch)
