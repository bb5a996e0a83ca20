// The toolkit window of a TWinControl: a QWidget that shows the control's retained surface
// and turns toolkit events into model calls. Exceptions never cross the toolkit's event
// dispatch: they end the event and go to the application's error box.
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>

#include "vcl/Forms.h"
#include "vcl/WindowHandle.h"
#include "vcl/qt/QtText.h"

namespace vcl {

namespace {

template <class F>
void guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        application().handleException(e);
    }
}

TShiftState shiftOf(Qt::KeyboardModifiers m, Qt::MouseButtons b = Qt::NoButton) {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= 1u << ssShift;
    if (m & Qt::AltModifier) s |= 1u << ssAlt;
    if (m & Qt::ControlModifier) s |= 1u << ssCtrl;
    if (b & Qt::LeftButton) s |= 1u << ssLeft;
    if (b & Qt::RightButton) s |= 1u << ssRight;
    if (b & Qt::MiddleButton) s |= 1u << ssMiddle;
    return s;
}

bool buttonOf(Qt::MouseButton b, TMouseButton& out) {
    switch (b) {
    case Qt::LeftButton: out = mbLeft; return true;
    case Qt::RightButton: out = mbRight; return true;
    case Qt::MiddleButton: out = mbMiddle; return true;
    default: return false;
    }
}

// Toolkit key -> the system's virtual-key code (0 when there is none).
int virtualKey(const QKeyEvent* e) {
    const int k = e->key();
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 0x70 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
    }
}

Qt::CursorShape cursorShape(int cursor) {
    switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crNo:
    case crNoDrop: return Qt::ForbiddenCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    default: return Qt::ArrowCursor;
    }
}

QImage wrap(const pictures::Image& img) {
    return QImage(reinterpret_cast<const uchar*>(img.pixels.data()), img.width, img.height, img.width * 4,
                  QImage::Format_ARGB32_Premultiplied);
}

// Holds its control by pointer: a control may be freed inside one of its own events, and
// then its window is detached here and deleted later, once the event is done.
class VclWidget final : public QWidget {
public:
    VclWidget(TWinControl& control, QWidget* parent) : QWidget(parent), m_control(&control) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(true);
        setFocusPolicy(Qt::ClickFocus);
    }
    void detach() { m_control = nullptr; }
    // True while an event of any of our windows is being handled: a window deleted then
    // could be the one handling it, or hold it as a child.
    static bool busy() { return s_depth > 0; }
    bool m_syncing = false;

protected:
    bool event(QEvent* e) override {
        ++s_depth;
        const bool handled = QWidget::event(e);
        --s_depth;
        return handled;
    }
    void paintEvent(QPaintEvent*) override {
        with([](TWinControl& c) { c.paintHandle(); });
        if (!m_control) return;
        QPainter p(this);
        const pictures::Image& s = m_control->surface();
        if (!s.empty()) p.drawImage(0, 0, wrap(s));
    }
    void mousePressEvent(QMouseEvent* e) override { mouseButton(e, true, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouseButton(e, true, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouseButton(e, false, false); }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint p = e->position().toPoint();
        const TShiftState shift = shiftOf(e->modifiers(), e->buttons());
        with([&](TWinControl& c) { c.handleMouseMove(shift, p.x(), p.y()); });
    }
    void leaveEvent(QEvent*) override {
        with([](TWinControl& c) { c.handleMouseLeave(); });
    }
    void keyPressEvent(QKeyEvent* e) override {
        const int vk = virtualKey(e);
        const TShiftState shift = shiftOf(e->modifiers());
        const std::string text = qt::fromQString(e->text());
        if (vk) with([&](TWinControl& c) { c.handleKeyDown(vk, shift); });
        if (text.size() == 1) with([&](TWinControl& c) { c.handleKeyPress(text[0]); });
    }
    void keyReleaseEvent(QKeyEvent* e) override {
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
        if (parentWidget() || m_syncing) return;
        const QSize size = e->size();
        with([&](TWinControl& c) { c.handleResized(size.width(), size.height()); });
    }
    void moveEvent(QMoveEvent*) override {
        // The event gives the frame's position; the model keeps the client area's.
        if (parentWidget() || m_syncing) return;
        const QPoint client = geometry().topLeft();
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
        if (e->type() == QEvent::WindowStateChange && !parentWidget() && isMinimized() && !m_syncing) {
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
        if (m_control) guarded([&] { f(*m_control); });
    }

    void mouseButton(QMouseEvent* e, bool down, bool dbl) {
        TMouseButton b;
        if (!buttonOf(e->button(), b)) return;
        const QPoint p = e->position().toPoint();
        const TShiftState shift = shiftOf(e->modifiers(), e->buttons());
        with([&](TWinControl& c) {
            if (down)
                c.handleMouseDown(b, shift, p.x(), p.y(), dbl);
            else
                c.handleMouseUp(b, shift, p.x(), p.y());
        });
    }

    TWinControl* m_control;
    static inline int s_depth = 0;
};

class QtWindowHandle final : public WindowHandle {
public:
    explicit QtWindowHandle(TWinControl& control) {
        QWidget* parentWidget = nullptr;
        if (control.parent() && control.parent()->handleAllocated())
            parentWidget = static_cast<QtWindowHandle&>(control.parent()->handle()).m_widget;
        m_widget = new VclWidget(control, parentWidget);
    }
    ~QtWindowHandle() override {
        if (!m_widget) return;
        m_widget->detach();
        if (!VclWidget::busy()) {
            delete m_widget.data();
            return;
        }
        m_widget->hide();
        m_widget->deleteLater();
    }

    void setBounds(const TRect& r) override {
        m_widget->m_syncing = true;
        m_widget->setGeometry(r.left, r.top, std::max(0, r.width()), std::max(0, r.height()));
        m_widget->m_syncing = false;
    }
    void setVisible(bool visible) override { m_widget->setVisible(visible); }
    void setEnabled(bool enabled) override { m_widget->setEnabled(enabled); }
    void invalidate() override { m_widget->update(); }
    void update() override { m_widget->repaint(); }
    void setCaption(const std::string& text) override { m_widget->setWindowTitle(qt::toQString(text)); }
    void setCursor(int cursor) override { m_widget->setCursor(cursorShape(cursor)); }
    void setToolTip(const std::string& text) override { m_widget->setToolTip(qt::toQString(text)); }
    void setFocus() override { m_widget->setFocus(Qt::OtherFocusReason); }
    bool focused() const override { return m_widget->hasFocus(); }
    // The model restacks bottom to top, so raising each in turn gives its order.
    void stackAbove(WindowHandle* below) override {
        if (below)
            m_widget->raise();
        else
            m_widget->lower();
    }
    void raise() override { m_widget->raise(); }
    void setFrame(const WindowFrame& f) override {
        Qt::WindowFlags flags = f.toolWindow ? Qt::Tool : Qt::Window;
        if (!f.border) {
            flags |= Qt::FramelessWindowHint;
        } else {
            flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            if (f.systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            if (f.minimize) flags |= Qt::WindowMinimizeButtonHint;
            if (f.maximize) flags |= Qt::WindowMaximizeButtonHint;
        }
        if (f.stayOnTop) flags |= Qt::WindowStaysOnTopHint;
        const bool wasVisible = m_widget->isVisible();
        m_widget->setWindowFlags(flags);
        if (wasVisible) m_widget->show();
    }
    void setShowState(WindowShowState s) override {
        // A state the model asked for is no news to the model.
        m_widget->m_syncing = true;
        switch (s) {
        case WindowShowState::Minimized: m_widget->showMinimized(); break;
        case WindowShowState::Maximized: m_widget->showMaximized(); break;
        default:
            if (m_widget->isMinimized() || m_widget->isMaximized()) m_widget->showNormal();
            break;
        }
        m_widget->m_syncing = false;
    }
    void setIcon(const pictures::Image* icon) override {
        m_widget->setWindowIcon(icon ? QIcon(QPixmap::fromImage(wrap(*icon).copy())) : QIcon());
    }
    void activate() override {
        // The headless platform cannot stack top-level windows and says so on every call.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) m_widget->raise();
        m_widget->activateWindow();
    }
    void setOpacity(int alpha) override { m_widget->setWindowOpacity(std::clamp(alpha, 0, 255) / 255.0); }
    void setRegion(const std::vector<TRect>* rects) override {
        if (!rects) {
            m_widget->clearMask();
            return;
        }
        QRegion region;
        for (const TRect& r : *rects) region += QRect(r.left, r.top, r.width(), r.height());
        m_widget->setMask(region);
    }
    void beginDrag() override {
        if (QWindow* w = m_widget->window()->windowHandle()) w->startSystemMove();
    }
    pictures::Image grab() override {
        const QImage img = m_widget->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        pictures::Image out(img.width(), img.height());
        for (int y = 0; y < out.height; ++y)
            std::memcpy(out.row(y), img.constScanLine(y), static_cast<size_t>(out.width) * 4);
        return out;
    }

private:
    QPointer<VclWidget> m_widget;
};

}  // namespace

std::unique_ptr<WindowHandle> createWindowHandle(TWinControl& control) {
    return std::make_unique<QtWindowHandle>(control);
}

namespace toolkit {

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

void setOverrideCursor(int cursor) {
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    if (cursor != crDefault) QGuiApplication::setOverrideCursor(QCursor(cursorShape(cursor)));
}

void setApplicationIcon(const pictures::Image* icon) {
    if (qApp) QGuiApplication::setWindowIcon(icon ? QIcon(QPixmap::fromImage(wrap(*icon).copy())) : QIcon());
}

}  // namespace toolkit

}  // namespace vcl
