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
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
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

class VclWidget final : public QWidget {
public:
    VclWidget(TWinControl& control, QWidget* parent) : QWidget(parent), m_control(control) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(true);
        setFocusPolicy(Qt::ClickFocus);
    }
    TWinControl& control() { return m_control; }

protected:
    void paintEvent(QPaintEvent*) override {
        guarded([&] { m_control.paintHandle(); });
        QPainter p(this);
        const pictures::Image& s = m_control.surface();
        if (!s.empty()) p.drawImage(0, 0, wrap(s));
    }
    void mousePressEvent(QMouseEvent* e) override { mouseButton(e, true, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouseButton(e, true, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouseButton(e, false, false); }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint p = e->position().toPoint();
        guarded([&] { m_control.handleMouseMove(shiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
    }
    void leaveEvent(QEvent*) override {
        guarded([&] { m_control.handleMouseLeave(); });
    }
    void keyPressEvent(QKeyEvent* e) override {
        const int vk = virtualKey(e);
        const TShiftState shift = shiftOf(e->modifiers());
        guarded([&] {
            if (vk) m_control.handleKeyDown(vk, shift);
            const std::string text = qt::fromQString(e->text());
            if (text.size() == 1) m_control.handleKeyPress(text[0]);
        });
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        const int vk = virtualKey(e);
        if (vk) guarded([&] { m_control.handleKeyUp(vk, shiftOf(e->modifiers())); });
    }
    bool focusNextPrevChild(bool) override { return false; }  // tab order is the model's
    void focusInEvent(QFocusEvent*) override {
        guarded([&] {
            if (auto* form = dynamic_cast<TCustomForm*>(m_control.topLevel())) form->setFocusedControl(&m_control);
            m_control.doEnter();
        });
    }
    void focusOutEvent(QFocusEvent*) override {
        guarded([&] { m_control.doExit(); });
    }
    void resizeEvent(QResizeEvent* e) override {
        if (!parentWidget() && !m_syncing) {
            guarded([&] { m_control.handleResized(e->size().width(), e->size().height()); });
        }
    }
    void closeEvent(QCloseEvent* e) override {
        // The model decides: a form closes through its own Close.
        e->ignore();
        if (auto* form = dynamic_cast<TCustomForm*>(&m_control)) guarded([&] { form->close(); });
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::ActivationChange && !parentWidget()) {
            if (auto* form = dynamic_cast<TCustomForm*>(&m_control))
                guarded([&] { form->activated(isActiveWindow()); });
        }
        QWidget::changeEvent(e);
    }

private:
    void mouseButton(QMouseEvent* e, bool down, bool dbl) {
        TMouseButton b;
        if (!buttonOf(e->button(), b)) return;
        const QPoint p = e->position().toPoint();
        const TShiftState shift = shiftOf(e->modifiers(), e->buttons());
        guarded([&] {
            if (down)
                m_control.handleMouseDown(b, shift, p.x(), p.y(), dbl);
            else
                m_control.handleMouseUp(b, shift, p.x(), p.y());
        });
    }

public:
    bool m_syncing = false;

private:
    TWinControl& m_control;
};

class QtWindowHandle final : public WindowHandle {
public:
    explicit QtWindowHandle(TWinControl& control) {
        QWidget* parentWidget = nullptr;
        if (control.parent() && control.parent()->handleAllocated())
            parentWidget = static_cast<QtWindowHandle&>(control.parent()->handle()).m_widget;
        m_widget = new VclWidget(control, parentWidget);
    }
    ~QtWindowHandle() override { delete m_widget.data(); }

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
        switch (s) {
        case WindowShowState::Minimized: m_widget->showMinimized(); break;
        case WindowShowState::Maximized: m_widget->showMaximized(); break;
        default:
            if (m_widget->isMinimized() || m_widget->isMaximized()) m_widget->showNormal();
            break;
        }
    }
    void setIcon(const pictures::Image* icon) override {
        m_widget->setWindowIcon(icon ? QIcon(QPixmap::fromImage(wrap(*icon).copy())) : QIcon());
    }
    void activate() override {
        // The headless platform cannot stack top-level windows and says so on every call.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) m_widget->raise();
        m_widget->activateWindow();
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

}  // namespace toolkit

}  // namespace vcl
