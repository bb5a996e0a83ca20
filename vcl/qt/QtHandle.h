// What every toolkit window shares: the widget a handle owns, the link from the widget
// back to its control (cut when the control goes, so late events find nobody), the
// translation of toolkit input into the model's and the look a control gives its widget.
// Main thread only.
#pragma once

#include <QKeyEvent>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <string>

#include "vcl/Controls.h"
#include "vcl/WindowHandle.h"

namespace vcl::qt {

// Counts toolkit events and signals our code is handling: a widget whose control is freed
// meanwhile could be the one handling it, so it is deleted later instead.
class EventScope {
public:
    EventScope() { ++s_depth; }
    ~EventScope() { --s_depth; }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;
    static bool busy() { return s_depth > 0; }

private:
    static inline int s_depth = 0;
};

// True when a key event reached `receiver` only because a widget inside it with the focus
// let it through: the system sends keys to the focused window alone, so it is not the
// receiver's to handle.
bool keyPassedUp(const QWidget* receiver);

// Runs model code from a toolkit event; its exceptions end the event and go to the
// application's error box, never through the toolkit's dispatch.
void runGuarded(const std::function<void()>& f);

TShiftState shiftOf(Qt::KeyboardModifiers m, Qt::MouseButtons b = Qt::NoButton);
bool buttonOf(Qt::MouseButton b, TMouseButton& out);
// The system's virtual-key code of a toolkit key (0 when there is none).
int virtualKey(const QKeyEvent* e);
Qt::CursorShape cursorShape(int cursor);
// Wraps the pixels without copying; the image must outlive the result.
QImage wrap(const pictures::Image& img);
pictures::Image fromQImage(const QImage& image);

// The system colours as a toolkit palette, so standard widgets look alike everywhere.
const QPalette& systemPalette();
QColor toQColor(TColor color);

// How a widget takes its control's Color and Font.Color: a text field paints its Color
// behind the text (edits, lists); a face keeps the button face and paints its Color
// around (check boxes, group boxes, track bars).
enum class ColorUse { Field, Face };

// The link from a widget back to its control: a child of the widget, so it lives exactly
// as long as the widget does; the handle cuts it when the control goes.
class ControlLink : public QObject {
public:
    ControlLink(TWinControl& control, QWidget* widget);
    TWinControl* control() const { return m_control; }
    void detach() { m_control = nullptr; }
    // True while the model pushes values into the widget, so the widget's change signals
    // are not reported back as the user's.
    bool syncing = false;
    // Calls `f` with the control, guarded, when the link still holds one.
    template <class F>
    void with(F&& f) {
        if (!m_control) return;
        EventScope scope;
        TWinControl& c = *m_control;
        runGuarded([&] { f(c); });
    }

private:
    TWinControl* m_control;
};

// The parts of the WindowHandle contract every widget answers the same way.
class QtHandle : public WindowHandle {
public:
    // Takes `widget` (created with the parent's container as its parent). A standard widget
    // gets an InputBridge as its link; the plain window handles its input itself.
    enum class Input { Own, Bridged };
    QtHandle(TWinControl& control, QWidget* widget, Input input);
    ~QtHandle() override;
    QtHandle(const QtHandle&) = delete;
    QtHandle& operator=(const QtHandle&) = delete;

    QWidget* widget() const { return m_widget; }
    ControlLink* link() const { return m_link; }
    // Where the widgets of child windows go, and how far down in it the client area begins.
    virtual QWidget* container() const { return m_widget; }
    virtual int clientTop() const { return 0; }

    void setBounds(const TRect& r) override;
    void setVisible(bool visible) override { m_widget->setVisible(visible); }
    void setEnabled(bool enabled) override { m_widget->setEnabled(enabled); }
    void invalidate() override { m_widget->update(); }
    void update() override { m_widget->repaint(); }
    void setCaption(const std::string& text) override;
    void setCursor(int cursor) override { m_widget->setCursor(cursorShape(cursor)); }
    void setToolTip(const std::string& text) override;
    void setFocus() override { m_widget->setFocus(Qt::OtherFocusReason); }
    bool focused() const override;
    void stackAbove(WindowHandle* below) override;
    void raise() override { m_widget->raise(); }
    void setFrame(const WindowFrame& frame) override;
    void setShowState(WindowShowState state) override;
    void setIcon(const pictures::Image* icon) override;
    void activate() override;
    void setOpacity(int alpha) override;
    void setRegion(const std::vector<TRect>* rects) override;
    bool beginDrag() override;
    pictures::Image grab() override;

protected:
    TWinControl& control() const { return *m_control; }
    // The control's font and colours on the widget.
    void applyLook(ColorUse use);

private:
    TWinControl* m_control;
    QPointer<QWidget> m_widget;
    ControlLink* m_link;
};

// Marks the model pushing values into a widget for as long as it lives.
class SyncScope {
public:
    explicit SyncScope(ControlLink& link) : m_link(link), m_was(link.syncing) { link.syncing = true; }
    ~SyncScope() { m_link.syncing = m_was; }
    SyncScope(const SyncScope&) = delete;
    SyncScope& operator=(const SyncScope&) = delete;

private:
    ControlLink& m_link;
    bool m_was;
};

// The parent's container for a new child window's widget (null for a top-level window).
QWidget* parentContainer(TWinControl& control);

// Sends a standard widget's input through the model: keys through shortcuts, dialog keys
// and the key events (a key the model uses up never reaches the widget), mouse events,
// focus changes and the pop-up menu. Install it on the widget and on any child that takes
// the focus itself (an editable combo box's line edit).
class InputBridge : public ControlLink {
public:
    InputBridge(TWinControl& control, QWidget* widget);
    void watch(QWidget* w) { w->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool key(QKeyEvent* e, bool down);
    QWidget* m_widget;
};

}  // namespace vcl::qt
