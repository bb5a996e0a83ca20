// Forms, the application object and the screen. A form is a top-level window with a frame
// whose size comes from a fixed table (so Width and ClientWidth relate the same way on every
// desktop), shown modelessly or modally with a nested event loop. Main thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vcl/Controls.h"
#include "vcl/Graphic.h"

namespace vcl {

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = uint32_t;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                              mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

class TMainMenu;

// A form's scroll bar settings (HorzScrollBar, VertScrollBar). Forms here do not scroll:
// the values are kept so streams and scripts read them back.
class TControlScrollBar : public classes::TPersistent {
public:
    CLASSES_OBJECT(TControlScrollBar)
    int64_t value(const std::string& name, int64_t fallback) const;
    void setValue(const std::string& name, int64_t v) { m_values[name] = v; }
    void assign(const classes::TPersistent& source) override;

private:
    std::map<std::string, int64_t> m_values;
};

// The height of a form's menu bar, part of its frame as the caption is.
inline constexpr int kMenuBarHeight = 19;

class TCustomForm : public TWinControl {
public:
    CLASSES_OBJECT(TCustomForm)
    explicit TCustomForm(classes::TComponent* owner);
    ~TCustomForm() override;

    TFormBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TFormBorderStyle style);
    TBorderIcons borderIcons() const { return m_borderIcons; }
    void setBorderIcons(TBorderIcons icons);
    TPosition position() const { return m_position; }
    void setPosition(TPosition position) { m_position = position; }
    TFormStyle formStyle() const { return m_formStyle; }
    void setFormStyle(TFormStyle style);
    TWindowState windowState() const { return m_windowState; }
    void setWindowState(TWindowState state);
    TIcon* icon() const { return m_icon.get(); }
    void setIcon(TIcon* icon);
    // AlphaBlend with AlphaBlendValue makes the whole window translucent.
    bool alphaBlend() const { return m_alphaBlend; }
    void setAlphaBlend(bool value);
    int alphaBlendValue() const { return m_alphaBlendValue; }
    void setAlphaBlendValue(int value);
    // The form's menu bar; cleared when the menu is freed. The client area keeps its size
    // when a bar comes or goes.
    TMainMenu* menu() const { return m_menu; }
    void setMenu(TMainMenu* menu);
    bool menuBarShown() const { return m_menuBarShown; }
    // The control that has the focus, or gets it when the form shows.
    TWinControl* activeControl() const;
    void setActiveControl(TWinControl* control);
    TControlScrollBar* horzScrollBar() const { return m_horzScrollBar.get(); }
    TControlScrollBar* vertScrollBar() const { return m_vertScrollBar.get(); }
    void notification(classes::TComponent* component, classes::Operation operation) override;
    void getChildren(const std::function<void(classes::TComponent*)>& proc,
                     classes::TComponent* root) const override;
    bool keyPreview() const { return m_keyPreview; }
    void setKeyPreview(bool value) { m_keyPreview = value; }
    TModalResult modalResult() const { return m_modalResult; }
    void setModalResult(TModalResult result) { m_modalResult = result; }
    bool modal() const { return m_modal; }
    bool active() const { return m_active; }

    // Frame sizes of the current border style: left/right border and caption + borders.
    int frameWidth() const;
    int frameHeight() const;
    int clientWidth() const override;
    int clientHeight() const override;
    void setClientWidth(int w) override;
    void setClientHeight(int h) override;

    void show();
    void hide();
    // Asks OnCloseQuery, then OnClose with the action (hide; the main form ends the
    // application); a modal form sets ModalResult to mrCancel instead.
    void close();
    bool closeQuery();
    // Shows the form modally: the other forms are disabled and a nested event loop runs
    // until ModalResult is set (and the close is allowed) or the application terminates.
    // Raises "Cannot make a visible window modal" for a visible form.
    TModalResult showModal();
    // Raises OnCreate; the loader calls it once the form has been read.
    void doCreate();
    void setFocusedControl(TWinControl* control);
    // Enter presses the focused button, else the default button; Escape the cancel button.
    bool dialogKey(int key, TShiftState shift) override;
    bool isShortCut(int key, TShiftState shift) override;
    // The window's shape (shaped forms); an empty list removes it. Kept across handle
    // re-creation.
    void setWindowRegion(const std::vector<TRect>& rects);
    const std::vector<TRect>& windowRegion() const { return m_region; }
    // Starts moving the window with the mouse, as dragging the caption would. False when
    // no window manager takes the move (headless, or a platform without one).
    bool beginWindowDrag();
    void activated(bool active);

    classes::TMethod onCreate, onDestroy, onShow, onHide, onActivate, onDeactivate, onPaint, onClose,
        onCloseQuery;

    void setVisible(bool visible) override;
    bool previewsKeys() const override { return m_keyPreview; }
    // The window manager minimised the window.
    virtual void handleMinimized();
    void loaded() override;

protected:
    void paintWindow(TCanvas& canvas) override;
    void createHandleParams(WindowFrame& frame) override;
    TRect handleBounds() const override;
    void handleCreated() override;
    void handleResized(int clientW, int clientH) override;
    void visibleChanged() override;

private:
    void placeOnScreen();
    void applyFrame();
    void applyOpacity();
    void iconChanged();
    void closeModal();
    void doClose(TCloseAction& action);
    void menuItemsChanged();
    void rebuildMenuBar();

    TFormBorderStyle m_borderStyle = bsSizeable;
    TBorderIcons m_borderIcons = (1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize);
    TPosition m_position = poDesigned;
    TFormStyle m_formStyle = fsNormal;
    TWindowState m_windowState = wsNormal;
    std::unique_ptr<TIcon> m_icon;
    bool m_keyPreview = false;
    TModalResult m_modalResult = mrNone;
    bool m_modal = false;
    bool m_active = false;
    bool m_placed = false;
    bool m_showWhenLoaded = false;
    bool m_alphaBlend = false;
    int m_alphaBlendValue = 255;
    TMainMenu* m_menu = nullptr;
    bool m_menuBarShown = false;
    bool m_menuRebuildPending = false;
    std::vector<TRect> m_region;
    TWinControl* m_focused = nullptr;
    std::weak_ptr<const char> m_focusedAlive;
    TWinControl* m_activeControl = nullptr;
    std::unique_ptr<TControlScrollBar> m_horzScrollBar, m_vertScrollBar;

public:
    // The form's own canvas (OnPaint draws on it).
    TCanvas& canvas() { return ownCanvas(); }
};

class TForm : public TCustomForm {
public:
    CLASSES_OBJECT(TForm)
    explicit TForm(classes::TComponent* owner);
};

// The form class of every project's main form: a plain form from its built-in
// description (490 x 380, clBtnFace, "MS Sans Serif" -11) that opens screen-centred.
class TAutorunForm : public TForm {
public:
    CLASSES_OBJECT(TAutorunForm)
    explicit TAutorunForm(classes::TComponent* owner);
    ~TAutorunForm() override;

    static constexpr unsigned kSoundSettingsCommand = 11022;
    static constexpr unsigned kAboutCommand = 11023;
    struct MenuEntry {
        std::string text;  // empty: a separator
        unsigned command = 0;
    };
    // The entries the form adds to its window menu: the sound settings entry only when
    // the music library is loaded and the INI file does not disable it.
    static std::vector<MenuEntry> systemMenuEntries(bool musicLoaded, bool soundSettingsDisabled);
    // A window-menu command: minimising minimises the whole application; the player's
    // entries run their handlers (the about box's failures end there); the rest as usual.
    void systemCommand(unsigned command);
    std::function<void()> onSoundSettings;
    std::function<void()> onAbout;

    // The window-menu entries as a context menu of the form, shown when no control under
    // the pointer has a pop-up menu of its own. Its items are "SoundSettingsItem" and
    // "AboutItem" (for automation); calling it again rebuilds them.
    void installWindowMenu(bool musicLoaded, bool soundSettingsDisabled);
    // Null before installWindowMenu.
    TPopupMenu* windowMenu() const { return m_windowMenu.get(); }

    void handleMinimized() override;
    bool defaultContextPopup(TPoint at) override;

private:
    std::unique_ptr<TPopupMenu> m_windowMenu;
};

// The process's application object.
class TApplication : public classes::TComponent {
public:
    CLASSES_OBJECT(TApplication)
    explicit TApplication(classes::TComponent* owner);
    ~TApplication() override;

    // Handles events until the application terminates (the main form closed).
    void run();
    const std::string& title() const { return m_title; }
    void setTitle(const std::string& title);
    TIcon* icon() const { return m_icon.get(); }
    void setIcon(TIcon* icon);
    TCustomForm* mainForm() const { return m_mainForm; }
    void setMainForm(TCustomForm* form) { m_mainForm = form; }
    bool terminated() const { return m_terminated; }
    void terminate() { m_terminated = true; }
    // Clears the terminated flag (tests and a new run).
    void resetTerminated() { m_terminated = false; }
    void processMessages();
    void minimize();
    void restore();
    void bringToFront();
    // Shows the standard error box for an exception: its message, with "." appended
    // when the last character sorts after "."; the title as caption.
    void handleException(const std::exception& e);
    static std::string exceptionMessage(const std::string& message);

    // The dialog service shows error boxes; until one is installed they go to stderr.
    std::function<void(const std::string& caption, const std::string& text)> showErrorBox;

private:
    std::string m_title;
    std::unique_ptr<TIcon> m_icon;
    TCustomForm* m_mainForm = nullptr;
    bool m_terminated = false;
};

class TScreen : public classes::TComponent {
public:
    CLASSES_OBJECT(TScreen)
    explicit TScreen(classes::TComponent* owner);
    int width() const;
    int height() const;
    TCursor cursor() const { return m_cursor; }
    void setCursor(TCursor cursor);
    int formCount() const { return static_cast<int>(m_forms.size()); }
    TCustomForm* form(int index) const { return m_forms.at(static_cast<size_t>(index)); }
    const std::vector<TCustomForm*>& forms() const { return m_forms; }
    TCustomForm* activeForm() const { return m_activeForm; }
    int pixelsPerInch() const { return kPixelsPerInch; }

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> m_forms;
    TCustomForm* m_activeForm = nullptr;
    TCursor m_cursor = crDefault;
};

// The process-wide objects, created on first use.
TApplication& application();
TScreen& screen();

}  // namespace vcl
