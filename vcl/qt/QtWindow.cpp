// The plain toolkit window of a TWinControl: a QWidget that shows the control's retained
// surface and turns toolkit events into model calls; a form's window also carries its menu
// bar above the client area. Exceptions never cross the toolkit's event dispatch: they end
// the event and go to the application's error box.
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "vcl/Forms.h"
#include "vcl/MainThread.h"
#include "vcl/WindowHandle.h"
#include "vcl/qt/QtHandle.h"
#include "vcl/qt/QtMenus.h"
#include "vcl/qt/QtText.h"

namespace vcl {

namespace {

using qt::buttonOf;
using qt::EventScope;
using qt::shiftOf;
using qt::virtualKey;
using qt::wrap;

// Holds its control through the link: a control may be freed inside one of its own
// events, and then its window is detached and deleted later, once the event is done.
class VclWidget final : public QWidget {
public:
    explicit VclWidget(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(true);
        setFocusPolicy(Qt::ClickFocus);
    }
    qt::ControlLink* link = nullptr;
    bool syncing = false;
    // Pixels above the client area (the menu bar).
    int clientTop = 0;

protected:
    bool event(QEvent* e) override {
        EventScope scope;
        return QWidget::event(e);
    }
    void paintEvent(QPaintEvent*) override {
        with([](TWinControl& c) { c.paintHandle(); });
        TWinControl* c = link ? link->control() : nullptr;
        if (!c) return;
        QPainter p(this);
        const pictures::Image& s = c->surface();
        if (!s.empty()) p.drawImage(0, clientTop, wrap(s));
    }
    void mousePressEvent(QMouseEvent* e) override { mouseButton(e, true, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouseButton(e, true, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouseButton(e, false, false); }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint p = e->position().toPoint() - QPoint(0, clientTop);
        const TShiftState shift = shiftOf(e->modifiers(), e->buttons());
        with([&](TWinControl& c) { c.handleMouseMove(shift, p.x(), p.y()); });
    }
    void leaveEvent(QEvent*) override {
        with([](TWinControl& c) { c.handleMouseLeave(); });
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        const QPoint p = e->pos() - QPoint(0, clientTop);
        with([&](TWinControl& c) {
            TControl* target = c.controlAtPos({p.x(), p.y()});
            if (target)
                target->contextPopup({p.x() - target->left(), p.y() - target->top()});
            else
                c.contextPopup({p.x(), p.y()});
        });
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (qt::keyPassedUp(this)) return;
        const int vk = virtualKey(e);
        const TShiftState shift = shiftOf(e->modifiers());
        const std::string text = qt::fromQString(e->text());
        bool used = false;
        if (vk) with([&](TWinControl& c) { used = c.handleKeyDown(vk, shift); });
        if (used || text.size() != 1) return;
        with([&](TWinControl& c) { c.handleKeyPress(text[0]); });
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (qt::keyPassedUp(this)) return;
        const int vk = virtualKey(e);
        const TShiftState shift = shiftOf(e->modifiers());
        if (vk) with([&](TWinControl& c) { c.handleKeyUp(vk, shift); });
    }
    bool focusNextPrevChild(bool) override { return false; }  // tab order is the model's
    void focusInEvent(QFocusEvent*) override {
        with([](TWinControl& c) {
            if (auto* form = dynamic_cast<TCustomForm*>(c.topLevel())) form->setFocusedControl(&c);
            c.doEnter();
        });
    }
    void focusOutEvent(QFocusEvent*) override {
        with([](TWinControl& c) { c.doExit(); });
    }
    void resizeEvent(QResizeEvent* e) override {
        if (parentWidget() || syncing) return;
        const QSize size = e->size();
        with([&](TWinControl& c) { c.handleResized(size.width(), size.height() - clientTop); });
    }
    void moveEvent(QMoveEvent*) override {
        // The event gives the frame's position; the model keeps the client area's.
        if (parentWidget() || syncing) return;
        const QPoint client = geometry().topLeft() + QPoint(0, clientTop);
        with([&](TWinControl& c) { c.handleMoved(client.x(), client.y()); });
    }
    void closeEvent(QCloseEvent* e) override {
        // The model decides: a form closes through its own Close.
        e->ignore();
        with([](TWinControl& c) {
            if (auto* form = dynamic_cast<TCustomForm*>(&c)) form->close();
        });
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::WindowStateChange && !parentWidget() && isMinimized() && !syncing) {
            with([](TWinControl& c) {
                if (auto* form = dynamic_cast<TCustomForm*>(&c)) form->handleMinimized();
            });
        }
        if (e->type() == QEvent::ActivationChange && !parentWidget()) {
            const bool active = isActiveWindow();
            with([active](TWinControl& c) {
                if (auto* form = dynamic_cast<TCustomForm*>(&c)) form->activated(active);
            });
        }
        QWidget::changeEvent(e);
    }

private:
    template <class F>
    void with(F&& f) {
        if (link) link->with(std::forward<F>(f));
    }

    void mouseButton(QMouseEvent* e, bool down, bool dbl) {
        TMouseButton b;
        if (!buttonOf(e->button(), b)) return;
        const QPoint p = e->position().toPoint() - QPoint(0, clientTop);
        const TShiftState shift = shiftOf(e->modifiers(), e->buttons());
        with([&](TWinControl& c) {
            if (down)
                c.handleMouseDown(b, shift, p.x(), p.y(), dbl);
            else
                c.handleMouseUp(b, shift, p.x(), p.y());
        });
    }
};

class QtWindowHandle final : public qt::QtHandle {
public:
    explicit QtWindowHandle(TWinControl& control)
        : QtHandle(control, new VclWidget(qt::parentContainer(control)), Input::Own),
          m_vcl(static_cast<VclWidget*>(widget())) {
        m_vcl->link = link();
        // The window's standard widgets inherit the look from here unless they differ.
        if (!control.parent()) {
            m_vcl->setPalette(qt::systemPalette());
            m_vcl->setFont(qt::toQFont(*control.font()));
        }
    }

    int clientTop() const override { return m_vcl->clientTop; }
    void setBounds(const TRect& r) override {
        m_vcl->syncing = true;
        if (m_vcl->parentWidget()) {
            QtHandle::setBounds(r);
        } else {
            const int top = m_vcl->clientTop;
            m_vcl->setGeometry(r.left, r.top - top, std::max(0, r.width()), std::max(0, r.height()) + top);
            if (m_bar) m_bar->setGeometry(0, 0, std::max(0, r.width()), top);
        }
        m_vcl->syncing = false;
    }
    void setShowState(WindowShowState s) override {
        // A state the model asked for is no news to the model.
        m_vcl->syncing = true;
        QtHandle::setShowState(s);
        m_vcl->syncing = false;
    }
    void setMenuBar(const TMenuItem* items, int height) override {
        delete m_bar;
        m_bar = nullptr;
        m_vcl->clientTop = 0;
        if (items) {
            m_bar = qt::buildMenuBar(*items, m_vcl);
            m_bar->setFixedHeight(height);
            m_bar->show();
            m_vcl->clientTop = height;
        }
        // Child windows move below the bar.
        for (TControl* c : control().controls())
            if (auto* w = dynamic_cast<TWinControl*>(c); w && w->handleAllocated())
                w->handle().setBounds(w->boundsRect());
        m_vcl->update();
    }

private:
    VclWidget* m_vcl;
    QMenuBar* m_bar = nullptr;
};

}  // namespace

std::unique_ptr<WindowHandle> createWindowHandle(TWinControl& control) {
    return std::make_unique<QtWindowHandle>(control);
}

namespace toolkit {

struct Session::Impl {
    std::unique_ptr<QApplication> app;
};

Session::Session(int& argc, char** argv) : m_impl(std::make_unique<Impl>()) {
    if (!qApp) m_impl->app = std::make_unique<QApplication>(argc, argv);
}

Session::~Session() = default;

void setApplicationName(const std::string& ansiText) {
    QCoreApplication::setApplicationName(qt::toQString(ansiText));
}

void processMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void runUntil(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

TRect screenRect() {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->geometry();
        return bounds(r.x(), r.y(), r.width(), r.height());
    }
    return {0, 0, 800, 600};
}

void beep() { QApplication::beep(); }

void post(std::function<void()> fn) { QTimer::singleShot(0, qApp, std::move(fn)); }

void postFromAnyThread(std::function<void()> fn) {
    if (qApp) QMetaObject::invokeMethod(qApp, std::move(fn), Qt::QueuedConnection);
}

void setOverrideCursor(int cursor) {
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    if (cursor != crDefault) QGuiApplication::setOverrideCursor(QCursor(qt::cursorShape(cursor)));
}

void setApplicationIcon(const pictures::Image* icon) {
    if (qApp) QGuiApplication::setWindowIcon(icon ? QIcon(QPixmap::fromImage(wrap(*icon).copy())) : QIcon());
}

}  // namespace toolkit

}  // namespace vcl
