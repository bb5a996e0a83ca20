// The interface between the model and a toolkit window: what a TWinControl asks of its
// window, and nothing else. The Qt realisation lives in vcl/qt/; the model never sees Qt.
// Handles are created lazily by TWinControl::handle() and owned by their control.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pictures/Image.h"
#include "vcl/Types.h"

namespace vcl {

class TWinControl;
class TMenuItem;

// Top-level window decoration, from a form's properties.
struct WindowFrame {
    bool border = true;  // false: no caption and no border
    bool toolWindow = false;
    bool sizeable = true;
    bool systemMenu = true;
    bool minimize = true;
    bool maximize = true;
    bool stayOnTop = false;
};

enum class WindowShowState { Normal, Minimized, Maximized };

class WindowHandle {
public:
    virtual ~WindowHandle() = default;

    // Client rectangle: in the parent's client coordinates, or on the screen for a
    // top-level window.
    virtual void setBounds(const TRect& r) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setEnabled(bool enabled) = 0;
    // Asks for a paint; the toolkit later calls TWinControl::paintHandle().
    virtual void invalidate() = 0;
    // Paints now if a paint is pending.
    virtual void update() = 0;
    virtual void setCaption(const std::string& ansiText) = 0;
    virtual void setCursor(int cursor) = 0;
    // The hint shown while the mouse rests on the window (empty: none).
    virtual void setToolTip(const std::string& ansiText) = 0;
    virtual void setFocus() = 0;
    virtual bool focused() const = 0;
    // Stacking among siblings: directly above `below` (null: at the bottom).
    virtual void stackAbove(WindowHandle* below) = 0;
    virtual void raise() = 0;
    // The control's properties changed: a standard control's widget takes them over (the
    // plain window paints from the model and needs nothing).
    virtual void sync() {}

    // Top-level windows only.
    virtual void setFrame(const WindowFrame& frame) = 0;
    virtual void setShowState(WindowShowState state) = 0;
    virtual void setIcon(const pictures::Image* icon) = 0;
    virtual void activate() = 0;
    // 0 (invisible) .. 255 (opaque).
    virtual void setOpacity(int alpha) = 0;
    // The window's shape as a union of rectangles in client coordinates; null: no shape.
    virtual void setRegion(const std::vector<TRect>* rects) = 0;
    // Lets the user drag the window with the mouse button that is down now, as dragging
    // its caption would.
    virtual bool beginDrag() = 0;
    // The menu bar above the client area, built from the items below `items` (null: no
    // bar). The bar is `height` pixels high; the client area keeps its size below it.
    virtual void setMenuBar(const TMenuItem* items, int height) { (void)items, (void)height; }

    // The window and its child windows as they look now (tests and screenshots).
    virtual pictures::Image grab() = 0;
};

// Creates the toolkit window for `control` (a child window when it has a parent).
std::unique_ptr<WindowHandle> createWindowHandle(TWinControl& control);

// Toolkit services the application object needs.
namespace toolkit {
// The toolkit for the whole process: create one before the first window (the program's
// main, a benchmark, a fuzz target) and keep it until the last is gone.
class Session {
public:
    Session(int& argc, char** argv);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
// The program's name the desktop shows (task bar, window lists).
void setApplicationName(const std::string& ansiText);
void processMessages();
// Handles events until `done` returns true, sleeping while there are none.
void runUntil(const std::function<bool()>& done);
TRect screenRect();
void beep();
}  // namespace toolkit

}  // namespace vcl

namespace vcl::toolkit {
// Runs `fn` on the main thread once the current event is done (deferred frees).
void post(std::function<void()> fn);
void setOverrideCursor(int cursor);
// The icon the desktop shows for the whole program (task bar, window lists).
void setApplicationIcon(const pictures::Image* icon);
}  // namespace vcl::toolkit
