// The control model: TControl (bounds, alignment, visibility, font and colour with parent
// inheritance, mouse events), TWinControl (children, a toolkit window created lazily, focus,
// keys, and a retained surface its window shows), TGraphicControl (no window: painted on
// its parent's surface in z-order, mouse routed to it by hit-testing) and TCustomControl
// (a window with a canvas on its retained surface, so drawing outside a paint event shows).
// Main thread only. Children are owned by their owner component, not by their parent.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classes/PropValue.h"
#include "classes/TComponent.h"
#include "pictures/Image.h"
#include "vcl/Canvas.h"
#include "vcl/Graphics.h"
#include "vcl/Types.h"
#include "vcl/WindowHandle.h"

namespace vcl {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = uint32_t;
inline constexpr TAnchors kDefaultAnchors = (1u << akLeft) | (1u << akTop);
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateElem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = uint32_t;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// A control's border: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;

using TCursor = int32_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                         crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                         crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                         crHandPoint = -21, crSizeAll = -22;

// Control style bits (which standard behaviours a class has).
enum ControlStyle : uint32_t {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csClickEvents = 1u << 2,
    csOpaque = 1u << 3,
    csSetCaption = 1u << 4,
    csDoubleClicks = 1u << 5,
};

class TWinControl;
class TPopupMenu;

// Virtual-key codes the model itself acts on.
inline constexpr int VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                     VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
                     VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
                     VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F1 = 0x70;

// Minimum and maximum sizes a control keeps to (0: no limit).
class TSizeConstraints : public classes::TPersistent {
public:
    CLASSES_OBJECT(TSizeConstraints)
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    std::function<void()> onChange;
    void assign(const classes::TPersistent& source) override;
    // Applies the limits to a size.
    void apply(int& width, int& height) const;
};

class TControl : public classes::TComponent {
public:
    CLASSES_OBJECT(TControl)
    explicit TControl(classes::TComponent* owner);
    ~TControl() override;

    TWinControl* parent() const { return m_parent; }
    virtual void setParent(TWinControl* parent);
    void setParentComponent(classes::TComponent* parent) override;
    classes::TComponent* parentComponent() const override;
    bool hasParent() const override { return true; }

    int left() const { return m_left; }
    int top() const { return m_top; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    void setLeft(int v) { setBounds(v, m_top, m_width, m_height); }
    void setTop(int v) { setBounds(m_left, v, m_width, m_height); }
    void setWidth(int v) { setBounds(m_left, m_top, v, m_height); }
    void setHeight(int v) { setBounds(m_left, m_top, m_width, v); }
    virtual void setBounds(int left, int top, int width, int height);
    TRect boundsRect() const { return bounds(m_left, m_top, m_width, m_height); }
    virtual TRect clientRect() const { return {0, 0, clientWidth(), clientHeight()}; }
    virtual int clientWidth() const { return m_width; }
    virtual int clientHeight() const { return m_height; }
    virtual void setClientWidth(int w) { setWidth(w); }
    virtual void setClientHeight(int h) { setHeight(h); }
    // Position of the client area's origin in the parent's client coordinates.
    TPoint clientOrigin() const;

    TAlign align() const { return m_align; }
    void setAlign(TAlign align);
    TAnchors anchors() const { return m_anchors; }
    void setAnchors(TAnchors anchors);

    bool visible() const { return m_visible; }
    virtual void setVisible(bool visible);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    // Visible here and in every parent up to a shown top-level window.
    bool showing() const;
    bool enabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);

    TFont* font() const { return m_font.get(); }
    void setFont(TFont* font);
    bool parentFont() const { return m_parentFont; }
    void setParentFont(bool value);
    TColor color() const { return m_color; }
    void setColor(TColor color);
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool value);
    TCursor cursor() const { return m_cursor; }
    virtual void setCursor(TCursor cursor);
    const std::string& hint() const { return m_hint; }
    void setHint(const std::string& hint);
    bool showHint() const { return m_showHint; }
    void setShowHint(bool value);
    bool parentShowHint() const { return m_parentShowHint; }
    // ShowHint as it applies: the parent's when ParentShowHint is on.
    bool effectiveShowHint() const;
    void setParentShowHint(bool value);
    TPopupMenu* popupMenu() const { return m_popupMenu; }
    void setPopupMenu(TPopupMenu* menu);
    // The control's text (Caption or Text, as each class publishes it).
    const std::string& caption() const { return m_caption; }
    void setCaption(const std::string& caption);

    TSizeConstraints* constraints() const { return m_constraints.get(); }
    void setConstraints(TSizeConstraints* c);
    // Properties streams carry that have no effect here (Ctl3D, BiDiMode, DragMode, help
    // context, ...): kept so they read, write and script back unchanged.
    int64_t keptValue(const std::string& name, int64_t fallback) const;
    void setKeptValue(const std::string& name, int64_t value);
    std::string keptText(const std::string& name) const;
    void setKeptText(const std::string& name, const std::string& value);
    // Event properties with nothing here to raise them (drag and dock, wheel, help).
    classes::TMethod keptEvent(const std::string& name) const;
    void setKeptEvent(const std::string& name, const classes::TMethod& handler);

    // Client coordinates of this control to the screen's and back.
    virtual TPoint clientToScreen(TPoint p) const;
    TPoint screenToClient(TPoint p) const;
    // The right mouse button was released at `p` (client coordinates): the pop-up menu of
    // this control or of the nearest parent with one pops up when it pops up by itself.
    // True when a menu showed.
    bool contextPopup(TPoint p);

    // Expires when the control is destroyed: event code checks it after running a handler,
    // which may free the control.
    std::weak_ptr<const char> aliveToken() const { return m_alive; }

    uint32_t controlStyle() const { return m_controlStyle; }
    void setControlStyle(uint32_t style) { m_controlStyle = style; }

    virtual void invalidate();
    virtual void update();
    void repaint();
    void bringToFront();
    void sendToBack();

    // Events (script-assignable; handlers get Sender first).
    classes::TMethod onClick, onDblClick, onMouseDown, onMouseUp, onMouseMove, onMouseEnter, onMouseLeave,
        onResize;

    // Mouse input, called by the parent window in client coordinates. The defaults raise
    // the events; click comes from a release inside the control after a press on it.
    virtual void mouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void mouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void mouseMove(TShiftState shift, int x, int y);
    virtual void mouseEnter();
    virtual void mouseLeave();
    virtual void click();
    virtual void dblClick();
    // An Alt+character accelerator offered to every control of the window; true when taken.
    virtual bool dialogChar(char) { return false; }

    void notification(classes::TComponent* component, classes::Operation operation) override;
    void loaded() override;

protected:
    friend class TWinControl;
    virtual void fontChanged();
    virtual void colorChanged();
    virtual void textChanged() { invalidate(); }
    virtual void boundsChanged();
    virtual void visibleChanged();
    virtual void enabledChanged() { invalidate(); }
    // The parent's font or colour changed: take them when inheriting.
    virtual void parentFontChanged();
    virtual void parentColorChanged();
    void resized();

    uint32_t m_controlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;

    // Marks a paint in progress: the control's canvas then stays where the paint put it.
    class PaintScope {
    public:
        explicit PaintScope(TControl& c) : m_control(c) { ++c.m_paintDepth; }
        ~PaintScope() { --m_control.m_paintDepth; }
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;

    private:
        TControl& m_control;
    };
    bool painting() const { return m_paintDepth > 0; }

private:
    void applyParentFont();
    void updateAnchorRules();

    TWinControl* m_parent = nullptr;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    TAlign m_align = alNone;
    TAnchors m_anchors = kDefaultAnchors;
    // Distances kept by anchors: from the parent's right and bottom edges.
    int m_anchorRight = 0, m_anchorBottom = 0;
    int m_parentWidth = -1, m_parentHeight = -1;
    bool m_visible = true;
    bool m_enabled = true;
    std::unique_ptr<TFont> m_font;
    bool m_parentFont = true;
    TColor m_color = clWindow;
    bool m_parentColor = false;
    TCursor m_cursor = crDefault;
    std::string m_hint;
    bool m_showHint = false;
    bool m_parentShowHint = true;
    TPopupMenu* m_popupMenu = nullptr;
    std::unique_ptr<TSizeConstraints> m_constraints;
    std::map<std::string, int64_t> m_keptValues;
    std::map<std::string, std::string> m_keptTexts;
    std::map<std::string, classes::TMethod> m_keptEvents;
    std::shared_ptr<const char> m_alive = std::make_shared<const char>('\0');
    std::string m_caption;
    bool m_pressed = false;
    bool m_settingFont = false;
    int m_paintDepth = 0;
};

// A control drawn on its parent's surface.
class TGraphicControl : public TControl {
public:
    CLASSES_OBJECT(TGraphicControl)
    explicit TGraphicControl(classes::TComponent* owner);
    ~TGraphicControl() override;

    // Draws on the parent's retained surface, clipped to this control.
    TCanvas& canvas();
    // Paints the control on its parent's surface; called by the parent in z-order.
    void paintOn(pictures::Image& surface, TPoint origin, const TRect& clip);

protected:
    virtual void paint() {}

private:
    std::unique_ptr<TCanvas> m_canvas;
};

class TWinControl : public TControl {
public:
    CLASSES_OBJECT(TWinControl)
    explicit TWinControl(classes::TComponent* owner);
    ~TWinControl() override;

    // Children in z-order, bottom first.
    const std::vector<TControl*>& controls() const { return m_controls; }
    int controlCount() const { return static_cast<int>(m_controls.size()); }
    TControl* control(int index) const { return m_controls.at(static_cast<size_t>(index)); }
    void insertControl(TControl* control);
    void removeControl(TControl* control);
    void setChildOrder(classes::TComponent* child, int order) override;
    void getChildren(const std::function<void(classes::TComponent*)>& proc,
                     classes::TComponent* root) const override;

    bool handleAllocated() const { return m_handle != nullptr; }
    // The toolkit window, created on first use (with the parent's first).
    WindowHandle& handle();
    void destroyHandle();

    int tabOrder() const { return m_tabOrder; }
    void setTabOrder(int order);
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool value) { m_tabStop = value; }
    bool canFocus() const;
    bool focused() const;
    virtual void setFocus();
    // The next control in tab order after `current` among this window's descendants.
    TWinControl* findNextControl(TWinControl* current, bool forward) const;

    classes::TMethod onKeyDown, onKeyPress, onKeyUp, onEnter, onExit;
    // Keys, called by the toolkit window. Return false when the key was consumed (set to
    // 0 by a handler).
    virtual bool keyDown(int& key, TShiftState shift);
    virtual bool keyPress(char& key);
    virtual bool keyUp(int& key, TShiftState shift);
    virtual void doEnter();
    virtual void doExit();
    // Keys from the toolkit for this focused window, in the system's order: menu shortcuts,
    // then the dialog keys (Tab moves the focus, Enter and Escape press the default and
    // cancel buttons) unless the control wants them, then the form when it previews keys,
    // then the control; a key a handler set to 0 goes no further. True when the key was
    // used up, so a toolkit widget must not act on it as well. handleKeyPress returns the
    // character the control should take (a handler may change it), 0 when used up.
    bool handleKeyDown(int key, TShiftState shift);
    char handleKeyPress(char key);
    bool handleKeyUp(int key, TShiftState shift);
    virtual bool previewsKeys() const { return false; }
    bool dialogChar(char c) override;
    // Keys the control handles itself that would otherwise be dialog keys (a memo's Enter
    // and Tab, an open drop-down list's Escape).
    virtual bool wantsKey(int key) const {
        (void)key;
        return false;
    }
    // A dialog key offered to the top-level window; true when it was used.
    virtual bool dialogKey(int key, TShiftState shift) {
        (void)key, (void)shift;
        return false;
    }
    // True for the button a dialog key presses: with `focused`, Enter on the focused button;
    // otherwise Enter on a default button or Escape on a cancel button.
    virtual bool pressedByDialogKey(int key, bool focused) const {
        (void)key, (void)focused;
        return false;
    }
    // A key that may be a menu shortcut: the pop-up menus of this control and its parents
    // come first, then the top-level window's own menu. True when a menu item took it.
    bool isMenuKey(int key, TShiftState shift);
    // The top-level window's part of isMenuKey (a form's main menu).
    virtual bool isShortCut(int key, TShiftState shift) {
        (void)key, (void)shift;
        return false;
    }
    // The top-level window this control is on (itself for a form).
    TWinControl* topLevel();
    // A top-level window's answer to a context-menu request that no pop-up menu of the
    // controls under the pointer took (`at` in screen coordinates); true when it showed one.
    virtual bool defaultContextPopup(TPoint at) {
        (void)at;
        return false;
    }

    // Toolkit side: the surface the window shows, painted on demand.
    pictures::Image& surface() { return m_surface; }
    // Paints the surface if anything was invalidated since the last paint.
    void paintHandle();
    // Mouse from the toolkit window, routed to the graphic child under the point.
    void handleMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick);
    void handleMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void handleMouseMove(TShiftState shift, int x, int y);
    void handleMouseLeave();
    // The graphic child that receives the mouse until the next release, or none.
    TControl* mouseCapture() const { return m_captured; }
    void releaseMouseCapture() { m_captured = nullptr; }
    // The toolkit window was resized by the user or the window manager.
    virtual void handleResized(int clientW, int clientH);
    // The toolkit window was moved (top-level windows: by the user or the window manager).
    void handleMoved(int clientX, int clientY);

    // The window's client area with every child window as it looks now.
    pictures::Image grab();
    TPoint clientToScreen(TPoint p) const override;
    // The toolkit widget draws itself; only the graphic children are painted, over it.
    virtual bool nativeBackground() const { return false; }

    void invalidate() override;
    void update() override;
    void setBounds(int left, int top, int width, int height) override;
    void alignControls();
    // Paints what lies beneath `child` (this window's own painting and the visible graphic
    // controls below it in z-order) into `target`, with the child's top-left at (0, 0):
    // what a transparent control draws itself over.
    void paintBelow(const TControl& child, pictures::Image& target);
    // Graphic child hit by a client point (topmost visible one), or null.
    TControl* controlAtPos(TPoint p) const;

protected:
    // Fills the background and paints this window's own content; graphic children follow.
    virtual void paintWindow(TCanvas& canvas);
    virtual void createHandleParams(WindowFrame&) {}
    // Creates the toolkit window: a plain window showing the retained surface, or a
    // standard control's own widget.
    virtual std::unique_ptr<WindowHandle> createHandle();
    virtual void handleCreated() {}
    WindowHandle* allocatedHandle() const { return m_handle.get(); }
    // Brings a toolkit widget up to date after a property changed.
    void syncHandle() {
        if (m_handle) m_handle->sync();
    }
    // The canvas of a window that draws on itself (custom controls and forms): outside a
    // paint it draws on the retained surface; `paintOwnCanvas` points it at a paint.
    TCanvas& ownCanvas();
    void paintOwnCanvas(TCanvas& background, const std::function<void()>& draw);
    void visibleChanged() override;
    void enabledChanged() override;
    void boundsChanged() override;
    void textChanged() override;
    void fontChanged() override;
    void colorChanged() override;
    void syncHandleBounds();
    // Client rectangle handed to the toolkit (forms subtract their frame).
    virtual TRect handleBounds() const { return boundsRect(); }

private:
    friend class TControl;
    void restack();
    // The pointer and hint of the window follow the graphic child under the mouse.
    void updatePointer();

    std::vector<TControl*> m_controls;
    std::unique_ptr<WindowHandle> m_handle;
    pictures::Image m_surface;
    std::unique_ptr<TCanvas> m_surfaceCanvas;
    bool m_dirty = true;
    bool m_aligning = false;
    int m_tabOrder = -1;
    bool m_tabStop = false;
    TControl* m_hover = nullptr;
    TControl* m_captured = nullptr;
    bool m_selfHover = false;
    std::unique_ptr<TCanvas> m_ownCanvas;
};

// A window whose canvas draws on its retained surface: what it draws outside a paint
// event stays and is shown.
class TCustomControl : public TWinControl {
public:
    CLASSES_OBJECT(TCustomControl)
    explicit TCustomControl(classes::TComponent* owner);
    ~TCustomControl() override;
    TCanvas& canvas() { return ownCanvas(); }

protected:
    void paintWindow(TCanvas& canvas) override;
    virtual void paint() {}
};

// Metadata types of this unit, shared by the subclasses' registrations.
namespace types {
const classes::TypeInfo& align();
const classes::TypeInfo& anchors();
const classes::TypeInfo& alignment();
const classes::TypeInfo& textLayout();
const classes::TypeInfo& mouseEvent();
const classes::TypeInfo& mouseMoveEvent();
const classes::TypeInfo& keyEvent();
const classes::TypeInfo& keyPressEvent();
}  // namespace types

// While alive, makes `canvas` draw where `into` draws (surface, origin and clip), with a
// fresh font, brush and pen and no change notification: a control's own canvas painting
// during a paint of its window, wherever that paint goes.
class PaintRedirect {
public:
    PaintRedirect(TCanvas& canvas, const TCanvas& into, const TFont& font, TColor color);
    ~PaintRedirect();
    PaintRedirect(const PaintRedirect&) = delete;
    PaintRedirect& operator=(const PaintRedirect&) = delete;

private:
    TCanvas& m_canvas;
    pictures::Image* m_target;
    TPoint m_origin;
    std::optional<TRect> m_clip;
    std::function<void()> m_onChange;
};

// Runs an event handler through a copy of the event property, so a handler that frees
// the sender (and the property with it) still finishes safely.
inline void fireEvent(const classes::TMethod& event, std::initializer_list<classes::EventArg> args) {
    if (!event) return;
    const classes::TMethod handler = event;
    handler(args);
}

}  // namespace vcl
