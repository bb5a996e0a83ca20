// The widget-independent half of every toolkit window.
#include "vcl/qt/QtHandle.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QRegion>
#include <QWindow>
#include <algorithm>
#include <cstring>

#include "vcl/Forms.h"
#include "vcl/qt/QtText.h"

namespace vcl::qt {

void runGuarded(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        application().handleException(e);
    }
}

bool keyPassedUp(const QWidget* receiver) {
    const QWidget* focus = QApplication::focusWidget();
    return focus && focus != receiver && receiver->isAncestorOf(focus);
}

TShiftState shiftOf(Qt::KeyboardModifiers m, Qt::MouseButtons b) {
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

int virtualKey(const QKeyEvent* e) {
    const int k = e->key();
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) {
        // Keypad digits have keys of their own.
        if ((e->modifiers() & Qt::KeypadModifier) && k >= Qt::Key_0 && k <= Qt::Key_9)
            return 0x60 + (k - Qt::Key_0);
        return k;
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return VK_F1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return (e->modifiers() & Qt::KeypadModifier) ? 0x6B : 0xBB;
    case Qt::Key_Minus: return (e->modifiers() & Qt::KeypadModifier) ? 0x6D : 0xBD;
    case Qt::Key_Slash: return (e->modifiers() & Qt::KeypadModifier) ? 0x6F : 0xBF;
    case Qt::Key_Semicolon: return 0xBA;
    case Qt::Key_Equal: return 0xBB;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Period: return 0xBE;
    case Qt::Key_QuoteLeft: return 0xC0;
    case Qt::Key_BracketLeft: return 0xDB;
    case Qt::Key_Backslash: return 0xDC;
    case Qt::Key_BracketRight: return 0xDD;
    case Qt::Key_Apostrophe: return 0xDE;
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

pictures::Image fromQImage(const QImage& image) {
    const QImage img = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    pictures::Image out(img.width(), img.height());
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.row(y), img.constScanLine(y), static_cast<size_t>(out.width) * 4);
    return out;
}

QColor toQColor(TColor color) {
    const TColor c = colorToRGB(color);
    return QColor(getRValue(c), getGValue(c), getBValue(c));
}

const QPalette& systemPalette() {
    static const QPalette palette = [] {
        QPalette p;
        auto set = [&p](QPalette::ColorRole role, TColor c) { p.setColor(role, toQColor(c)); };
        set(QPalette::Window, clBtnFace);
        set(QPalette::WindowText, clWindowText);
        set(QPalette::Base, clWindow);
        set(QPalette::AlternateBase, clBtnFace);
        set(QPalette::Text, clWindowText);
        set(QPalette::Button, clBtnFace);
        set(QPalette::ButtonText, clBtnText);
        set(QPalette::BrightText, clWhite);
        set(QPalette::Light, clBtnHighlight);
        set(QPalette::Midlight, cl3DLight);
        set(QPalette::Mid, clBtnShadow);
        set(QPalette::Dark, clBtnShadow);
        set(QPalette::Shadow, cl3DDkShadow);
        set(QPalette::Highlight, clHighlight);
        set(QPalette::HighlightedText, clHighlightText);
        set(QPalette::ToolTipBase, clInfoBk);
        set(QPalette::ToolTipText, clInfoText);
        set(QPalette::PlaceholderText, clGrayText);
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, role, toQColor(clGrayText));
        return p;
    }();
    return palette;
}

// --- ControlLink ---

ControlLink::ControlLink(TWinControl& control, QWidget* widget) : QObject(widget), m_control(&control) {}

// --- QtHandle ---

QWidget* parentContainer(TWinControl& control) {
    if (!control.parent() || !control.parent()->handleAllocated()) return nullptr;
    return static_cast<QtHandle&>(control.parent()->handle()).container();
}

QtHandle::QtHandle(TWinControl& control, QWidget* widget, Input input)
    : m_control(&control),
      m_widget(widget),
      m_link(input == Input::Bridged ? new InputBridge(control, widget) : new ControlLink(control, widget)) {
    if (input == Input::Bridged) widget->setFocusPolicy(Qt::StrongFocus);
}

QtHandle::~QtHandle() {
    if (!m_widget) return;
    m_link->detach();
    if (!EventScope::busy()) {
        delete m_widget.data();
        return;
    }
    m_widget->hide();
    m_widget->deleteLater();
}

void QtHandle::setBounds(const TRect& r) {
    int dy = 0;
    if (TWinControl* parent = m_control->parent(); parent && parent->handleAllocated())
        dy = static_cast<QtHandle&>(parent->handle()).clientTop();
    m_widget->setGeometry(r.left, r.top + dy, std::max(0, r.width()), std::max(0, r.height()));
}

void QtHandle::setCaption(const std::string& text) { m_widget->setWindowTitle(toQString(text)); }

void QtHandle::setToolTip(const std::string& text) { m_widget->setToolTip(toQString(text)); }

bool QtHandle::focused() const {
    // A standard widget may give the focus to a part of itself (a combo box's text).
    const QWidget* f = QApplication::focusWidget();
    return f && (f == m_widget || m_widget->isAncestorOf(f)) && f->window() == m_widget->window();
}

void QtHandle::stackAbove(WindowHandle* below) {
    // The model restacks bottom to top, so raising each in turn gives its order.
    if (below)
        m_widget->raise();
    else
        m_widget->lower();
}

void QtHandle::setFrame(const WindowFrame& f) {
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

void QtHandle::setShowState(WindowShowState s) {
    switch (s) {
    case WindowShowState::Minimized: m_widget->showMinimized(); break;
    case WindowShowState::Maximized: m_widget->showMaximized(); break;
    default:
        if (m_widget->isMinimized() || m_widget->isMaximized()) m_widget->showNormal();
        break;
    }
}

void QtHandle::setIcon(const pictures::Image* icon) {
    m_widget->setWindowIcon(icon ? QIcon(QPixmap::fromImage(wrap(*icon).copy())) : QIcon());
}

void QtHandle::activate() {
    // The headless platform cannot stack top-level windows and says so on every call.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) m_widget->raise();
    m_widget->activateWindow();
}

void QtHandle::setOpacity(int alpha) { m_widget->setWindowOpacity(std::clamp(alpha, 0, 255) / 255.0); }

void QtHandle::setRegion(const std::vector<TRect>* rects) {
    if (!rects) {
        m_widget->clearMask();
        return;
    }
    QRegion region;
    for (const TRect& r : *rects) region += QRect(r.left, r.top + clientTop(), r.width(), r.height());
    m_widget->setMask(region);
}

bool QtHandle::beginDrag() {
    QWindow* w = m_widget->window()->windowHandle();
    return w && w->startSystemMove();
}

pictures::Image QtHandle::grab() {
    const QRect client(0, clientTop(), m_widget->width(), m_widget->height() - clientTop());
    return fromQImage(m_widget->grab(client).toImage());
}

void QtHandle::applyLook(ColorUse use) {
    const TWinControl& c = *m_control;
    // A widget takes its window's font and palette by itself; it gets its own only when
    // they differ, which saves the toolkit a round of change events per widget.
    const QFont& font = toQFont(*c.font());
    if (m_widget->font() != font) m_widget->setFont(font);
    QPalette p = systemPalette();
    const QColor back = toQColor(c.color()), text = toQColor(c.font()->color());
    if (use == ColorUse::Field) {
        p.setColor(QPalette::Base, back);
        p.setColor(QPalette::Text, text);
    } else {
        p.setColor(QPalette::Window, back);
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::ButtonText, text);
    }
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, toQColor(clGrayText));
    if (p != m_widget->palette()) m_widget->setPalette(p);
}

// --- InputBridge ---

InputBridge::InputBridge(TWinControl& control, QWidget* widget)
    : ControlLink(control, widget), m_widget(widget) {
    widget->installEventFilter(this);
}

bool InputBridge::key(QKeyEvent* e, bool down) {
    const int vk = virtualKey(e);
    const TShiftState shift = shiftOf(e->modifiers());
    bool used = false;
    if (!down) {
        if (vk) with([&](TWinControl& c) { used = c.handleKeyUp(vk, shift); });
        return used || !control();
    }
    if (vk) with([&](TWinControl& c) { used = c.handleKeyDown(vk, shift); });
    if (used || !control()) return true;
    const std::string text = fromQString(e->text());
    if (text.size() != 1) return false;
    char ch = '\0';
    with([&](TWinControl& c) { ch = c.handleKeyPress(text[0]); });
    if (ch == '\0' || !control()) return true;
    if (ch == text[0]) return false;
    // A handler changed the character: the widget gets the new one instead.
    QKeyEvent replaced(QEvent::KeyPress, 0, e->modifiers(), toQString(std::string(1, ch)));
    m_widget->removeEventFilter(this);
    QApplication::sendEvent(m_widget, &replaced);
    m_widget->installEventFilter(this);
    return true;
}

bool InputBridge::eventFilter(QObject* watched, QEvent* event) {
    if (!control()) return false;
    EventScope scope;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (keyPassedUp(static_cast<QWidget*>(watched))) return false;
        return key(static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        TMouseButton b;
        if (!buttonOf(e->button(), b)) return false;
        const QPoint p = m_widget->mapFromGlobal(e->globalPosition().toPoint());
        const TShiftState shift = shiftOf(e->modifiers(), e->buttons());
        if (event->type() == QEvent::MouseButtonRelease) {
            with([&](TWinControl& c) { c.mouseUp(b, shift, p.x(), p.y()); });
        } else {
            const bool dbl = event->type() == QEvent::MouseButtonDblClick;
            with([&](TWinControl& c) {
                const auto alive = c.aliveToken();
                c.mouseDown(b, shift | (dbl ? (1u << ssDouble) : 0u), p.x(), p.y());
                if (dbl && b == mbLeft && !alive.expired()) c.dblClick();
            });
        }
        return !control();
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint p = m_widget->mapFromGlobal(e->globalPosition().toPoint());
        with([&](TWinControl& c) { c.mouseMove(shiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
        return !control();
    }
    case QEvent::Enter: with([](TWinControl& c) { c.mouseEnter(); }); return false;
    case QEvent::Leave: with([](TWinControl& c) { c.mouseLeave(); }); return false;
    case QEvent::ContextMenu: {
        auto* e = static_cast<QContextMenuEvent*>(event);
        const QPoint p = m_widget->mapFromGlobal(e->globalPos());
        bool shown = false;
        with([&](TWinControl& c) { shown = c.contextPopup({p.x(), p.y()}); });
        return shown || !control();
    }
    case QEvent::FocusIn:
        with([](TWinControl& c) {
            if (auto* form = dynamic_cast<TCustomForm*>(c.topLevel())) form->setFocusedControl(&c);
            c.doEnter();
        });
        return false;
    case QEvent::FocusOut: with([](TWinControl& c) { c.doExit(); }); return false;
    default: return false;
    }
}

}  // namespace vcl::qt
