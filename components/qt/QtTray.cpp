// The tray icon on the toolkit's system tray, and the skip-taskbar state of our windows on X11.
#include <QtGui/qguiapplication_platform.h>

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include "components/TrayIcon.h"
#include "vcl/qt/QtHandle.h"

#if QT_CONFIG(xcb)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace components::qt {
namespace {

class SystemTray final : public TrayService {
public:
    SystemTray() {
        QObject::connect(&m_icon, &QSystemTrayIcon::activated, &m_icon,
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    }

    void show(const pictures::Image* image, const std::string& tipUtf8) override {
        QIcon icon;
        if (image) icon = QIcon(QPixmap::fromImage(vcl::qt::wrap(*image).copy()));
        if (icon.isNull()) icon = QApplication::windowIcon();
        m_icon.setIcon(icon);
        m_icon.setToolTip(QString::fromStdString(tipUtf8));
        m_icon.show();
    }
    void remove() override { m_icon.hide(); }

private:
    void activated(QSystemTrayIcon::ActivationReason reason) {
        if (!onMouse) return;
        // The tray reports whole clicks; the button-up of a right click is what opens the menu.
        vcl::qt::EventScope scope;
        vcl::qt::runGuarded([&] {
            switch (reason) {
            case QSystemTrayIcon::Trigger: onMouse(TrayMouse::LeftDown); break;
            case QSystemTrayIcon::DoubleClick: onMouse(TrayMouse::LeftDoubleClick); break;
            case QSystemTrayIcon::Context:
                onMouse(TrayMouse::RightDown);
                if (onMouse) onMouse(TrayMouse::RightUp);
                break;
            default: break;
            }
        });
    }

    QSystemTrayIcon m_icon;
};

}  // namespace

std::unique_ptr<TrayService> createSystemTray() { return std::make_unique<SystemTray>(); }

void applySkipTaskBar(bool skip) {
    if (!qApp) return;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) w->setProperty("vantrelSkipTaskBar", skip);
#if QT_CONFIG(xcb)
    // The window manager's state of mapped windows changes on request to the root window.
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return;
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom skipTaskbar = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    for (QWidget* w : windows) {
        if (!w->isVisible() || !w->testAttribute(Qt::WA_WState_Created)) continue;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = static_cast<Window>(w->winId());
        e.xclient.message_type = state;
        e.xclient.format = 32;
        e.xclient.data.l[0] = skip ? 1 : 0;  // add : remove
        e.xclient.data.l[1] = static_cast<long>(skipTaskbar);
        e.xclient.data.l[3] = 1;  // from an application
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &e);
    }
    XFlush(display);
#endif
}

}  // namespace components::qt
