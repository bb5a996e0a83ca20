// Forms (frame table, placement, show, close, modal loop), the application object and
// the screen, with their metadata.
#include "vcl/Forms.h"

#include <cstdio>

#include "classes/ClassBuilder.h"
#include "classes/TReader.h"
#include "vcl/KeptProperties.h"
#include "vcl/Menus.h"

namespace vcl {

using classes::ClassBuilder;
using classes::TComponent;
namespace ct = classes::types;

namespace {

struct FrameSize {
    int border;
    int caption;
};

// Classic window metrics: 3-pixel fixed frames, 4-pixel sizing frames, 19-pixel captions
// (16 for tool windows).
FrameSize frameOf(TFormBorderStyle s) {
    switch (s) {
    case bsNone: return {0, 0};
    case bsSingle:
    case bsDialog: return {3, 19};
    case bsSizeable: return {4, 19};
    case bsToolWindow: return {3, 16};
    case bsSizeToolWin: return {4, 16};
    }
    return {4, 19};
}

const classes::TypeInfo& borderStyleType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TFormBorderStyle",
        {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
    return t;
}
const classes::TypeInfo& borderIconsType() {
    static const auto e =
        classes::TypeInfo::enumeration("TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
    static const auto t = classes::TypeInfo::set("TBorderIcons", e);
    return t;
}
const classes::TypeInfo& positionType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                      "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
    return t;
}
const classes::TypeInfo& formStyleType() {
    static const auto t =
        classes::TypeInfo::enumeration("TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
    return t;
}
const classes::TypeInfo& windowStateType() {
    static const auto t =
        classes::TypeInfo::enumeration("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
    return t;
}
const classes::TypeInfo& defaultMonitorType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TDefaultMonitor", {"dmDesktop", "dmPrimary", "dmMainForm", "dmActiveForm"});
    return t;
}
const classes::TypeInfo& printScaleType() {
    static const auto t =
        classes::TypeInfo::enumeration("TPrintScale", {"poNone", "poProportional", "poPrintToFit"});
    return t;
}
const classes::TypeInfo& closeEvent() {
    static const auto t =
        classes::TypeInfo::method("TCloseEvent", "procedure (Sender: TObject; var Action: TCloseAction);");
    return t;
}
const classes::TypeInfo& closeQueryEvent() {
    static const auto t =
        classes::TypeInfo::method("TCloseQueryEvent", "procedure (Sender: TObject; var CanClose: Boolean);");
    return t;
}

const classes::TypeInfo& scrollBarStyleType() {
    static const auto t =
        classes::TypeInfo::enumeration("TScrollBarStyle", {"ssRegular", "ssFlat", "ssHotTrack"});
    return t;
}
const classes::TypeInfo& popupModeType() {
    static const auto t = classes::TypeInfo::enumeration("TPopupMode", {"pmNone", "pmAuto", "pmExplicit"});
    return t;
}
const classes::TypeInfo& helpEvent() {
    static const auto t = classes::TypeInfo::method(
        "THelpEvent", "function (Command: Word; Data: Longint; var CallHelp: Boolean): Boolean;");
    return t;
}
const classes::TypeInfo& shortCutEvent() {
    static const auto t =
        classes::TypeInfo::method("TShortCutEvent", "procedure (var Msg: TWMKey; var Handled: Boolean);");
    return t;
}

bool notStored(const classes::TObject&) { return false; }

}  // namespace

const classes::ClassInfo& TControlScrollBar::staticClass() {
    static const auto info = [] {
        ClassBuilder<TControlScrollBar> b("TControlScrollBar", classes::TPersistent::staticClass());
        auto kept = [&b](const char* name, const classes::TypeInfo& type, int64_t fallback) {
            const std::string key = name;
            b.property(
                name, type, [key, fallback](const TControlScrollBar& s) { return s.value(key, fallback); },
                [key](TControlScrollBar& s, int64_t v) { s.setValue(key, v); }, {.defaultValue = fallback});
        };
        kept("ButtonSize", ct::integer(), 0);
        kept("Color", ct::color(), clBtnHighlight);
        kept("Increment", ct::integer(), 8);
        kept("Margin", ct::word(), 0);
        kept("ParentColor", ct::boolean(), 1);
        kept("Position", ct::integer(), 0);
        kept("Range", ct::integer(), 0);
        kept("Smooth", ct::boolean(), 0);
        kept("Size", ct::integer(), 0);
        kept("Style", scrollBarStyleType(), 0);
        kept("ThumbSize", ct::integer(), 0);
        kept("Tracking", ct::boolean(), 0);
        kept("Visible", ct::boolean(), 1);
        return b.build();
    }();
    return *info;
}

int64_t TControlScrollBar::value(const std::string& name, int64_t fallback) const {
    auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}

void TControlScrollBar::assign(const classes::TPersistent& source) {
    if (auto* s = dynamic_cast<const TControlScrollBar*>(&source)) {
        m_values = s->m_values;
        return;
    }
    TPersistent::assign(source);
}

const classes::ClassInfo& TCustomForm::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomForm> b("TCustomForm", TWinControl::staticClass());
        b.property("BorderStyle", borderStyleType(), &TCustomForm::borderStyle, &TCustomForm::setBorderStyle,
                   {.defaultValue = bsSizeable})
            .property("BorderIcons", borderIconsType(), &TCustomForm::borderIcons,
                      &TCustomForm::setBorderIcons, {.defaultValue = 7})
            .property("Position", positionType(), &TCustomForm::position, &TCustomForm::setPosition,
                      {.defaultValue = poDesigned})
            .property("FormStyle", formStyleType(), &TCustomForm::formStyle, &TCustomForm::setFormStyle,
                      {.defaultValue = fsNormal})
            .property("WindowState", windowStateType(), &TCustomForm::windowState,
                      &TCustomForm::setWindowState, {.defaultValue = wsNormal})
            .property("Caption", ct::string(), &TControl::caption,
                      [](TCustomForm& f, const std::string& v) { f.setCaption(v); })
            .property("Icon", TIcon::staticClass().typeInfo(), &TCustomForm::icon, &TCustomForm::setIcon)
            .property(
                "ClientWidth", ct::integer(), [](const TCustomForm& f) { return f.clientWidth(); },
                [](TCustomForm& f, int v) { f.setClientWidth(v); })
            .property(
                "ClientHeight", ct::integer(), [](const TCustomForm& f) { return f.clientHeight(); },
                [](TCustomForm& f, int v) { f.setClientHeight(v); })
            .property("KeyPreview", ct::boolean(), &TCustomForm::keyPreview, &TCustomForm::setKeyPreview,
                      {.defaultValue = 0})
            .property("ModalResult", ct::integer(), &TCustomForm::modalResult, &TCustomForm::setModalResult,
                      {.defaultValue = 0, .stored = [](const classes::TObject&) { return false; }})
            .property(
                "OldCreateOrder", ct::boolean(), [](const TCustomForm&) { return false; },
                [](TCustomForm&, bool) {})
            .property(
                "PixelsPerInch", ct::integer(), [](const TCustomForm&) { return kPixelsPerInch; },
                [](TCustomForm&, int) {})
            .property(
                "Scaled", ct::boolean(), [](const TCustomForm&) { return true; }, [](TCustomForm&, bool) {},
                {.defaultValue = 1})
            .readOnly("Canvas", TCanvas::staticClass().typeInfo(),
                      [](const TCustomForm& f) { return &const_cast<TCustomForm&>(f).canvas(); },
                      {.defaultValue = {}, .stored = notStored})
            .property("ActiveControl", TWinControl::staticClass().typeInfo(), &TCustomForm::activeControl,
                      &TCustomForm::setActiveControl)
            .property("HorzScrollBar", TControlScrollBar::staticClass().typeInfo(),
                      &TCustomForm::horzScrollBar,
                      [](TCustomForm& f, TControlScrollBar* s) {
                          if (s) f.horzScrollBar()->assign(*s);
                      })
            .property("VertScrollBar", TControlScrollBar::staticClass().typeInfo(),
                      &TCustomForm::vertScrollBar,
                      [](TCustomForm& f, TControlScrollBar* s) {
                          if (s) f.vertScrollBar()->assign(*s);
                      })
            .property("AlphaBlend", ct::boolean(), &TCustomForm::alphaBlend, &TCustomForm::setAlphaBlend,
                      {.defaultValue = 0})
            .property("AlphaBlendValue", ct::byte(), &TCustomForm::alphaBlendValue,
                      &TCustomForm::setAlphaBlendValue, {.defaultValue = 255})
            .property("Menu", TMainMenu::staticClass().typeInfo(), &TCustomForm::menu, &TCustomForm::setMenu)
            .property(
                "HelpFile", ct::string(), [](const TCustomForm& f) { return f.keptText("HelpFile"); },
                [](TCustomForm& f, const std::string& v) { f.setKeptText("HelpFile", v); })
            .defined("TextHeight", [](TCustomForm&, classes::TReader& r) { r.readInteger(); })
            .defined("IgnoreFontProperty", [](TCustomForm& f, classes::TReader& r) {
                if (r.readBoolean()) f.setParentFont(true);
            });
        // FIXME: a colour-keyed transparent form (TransparentColor) is kept, not shown through.
        keptProperty(b, "AutoScroll", ct::boolean(), 1);
        keptProperty(b, "TransparentColor", ct::boolean(), 0);
        keptProperty(b, "TransparentColorValue", ct::color(), clBlack);
        keptProperty(b, "DefaultMonitor", defaultMonitorType(), 3);
        keptProperty(b, "PrintScale", printScaleType(), 1);
        keptProperty(b, "AutoSize", ct::boolean(), 0);
        keptProperty(b, "ScreenSnap", ct::boolean(), 0);
        keptProperty(b, "SnapBuffer", ct::integer(), 10);
        keptProperty(b, "PopupMode", popupModeType(), 0);
        for (const char* name : {"Action", "ObjectMenuItem", "WindowMenu", "PopupParent"}) {
            // References to components nothing here uses: read and dropped.
            b.property(
                name, TComponent::staticClass().typeInfo(),
                [](const TCustomForm&) { return static_cast<TComponent*>(nullptr); },
                [](TCustomForm&, TComponent*) {});
        }
        keptEventProperty(b, "OnHelp", helpEvent());
        keptEventProperty(b, "OnShortCut", shortCutEvent());
        b.event("OnCreate", ct::notifyEvent(), &TCustomForm::onCreate);
        b.event("OnDestroy", ct::notifyEvent(), &TCustomForm::onDestroy);
        b.event("OnShow", ct::notifyEvent(), &TCustomForm::onShow);
        b.event("OnHide", ct::notifyEvent(), &TCustomForm::onHide);
        b.event("OnActivate", ct::notifyEvent(), &TCustomForm::onActivate);
        b.event("OnDeactivate", ct::notifyEvent(), &TCustomForm::onDeactivate);
        b.event("OnPaint", ct::notifyEvent(), &TCustomForm::onPaint);
        b.event("OnClose", closeEvent(), &TCustomForm::onClose);
        b.event("OnCloseQuery", closeQueryEvent(), &TCustomForm::onCloseQuery);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TForm::staticClass() {
    static const auto info = ClassBuilder<TForm>("TForm", TCustomForm::staticClass()).build();
    return *info;
}

const classes::ClassInfo& TAutorunForm::staticClass() {
    static const auto info = ClassBuilder<TAutorunForm>("TAutorunForm", TForm::staticClass()).build();
    return *info;
}

const classes::ClassInfo& TApplication::staticClass() {
    static const auto info =
        ClassBuilder<TApplication>("TApplication", TComponent::staticClass())
            .property("Title", ct::string(), &TApplication::title,
                      [](TApplication& a, const std::string& v) { a.setTitle(v); })
            .property("Icon", TIcon::staticClass().typeInfo(), &TApplication::icon, &TApplication::setIcon)
            .readOnly("MainForm", TCustomForm::staticClass().typeInfo(), &TApplication::mainForm)
            .readOnly("Terminated", ct::boolean(), &TApplication::terminated)
            .build();
    return *info;
}

const classes::ClassInfo& TScreen::staticClass() {
    static const auto info =
        ClassBuilder<TScreen>("TScreen", TComponent::staticClass())
            .readOnly("Width", ct::integer(), &TScreen::width)
            .readOnly("Height", ct::integer(), &TScreen::height)
            .property("Cursor", ct::cursor(), &TScreen::cursor, &TScreen::setCursor)
            .readOnly("FormCount", ct::integer(), &TScreen::formCount)
            .readOnly("ActiveForm", TCustomForm::staticClass().typeInfo(), &TScreen::activeForm)
            .build();
    return *info;
}

// --- TCustomForm ---

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner),
      m_icon(std::make_unique<TIcon>()),
      m_horzScrollBar(std::make_unique<TControlScrollBar>()),
      m_vertScrollBar(std::make_unique<TControlScrollBar>()) {
    m_icon->onChange = [this] { iconChanged(); };
    m_controlStyle |= csAcceptsControls;
    setVisible(false);
    setColor(clBtnFace);
    setParentFont(false);
    setBounds(0, 0, 320, 240);
    screen().m_forms.push_back(this);
    classes::addGlobalComponent(this);
}

TCustomForm::~TCustomForm() {
    // Set now, so the controls freed below do not re-align and repaint the form one by one.
    setState(classes::ComponentState::Destroying, true);
    if (onDestroy) {
        try {
            fireEvent(onDestroy, {static_cast<classes::TObject*>(this)});
        } catch (const std::exception& e) {
            application().handleException(e);
        }
    }
    classes::removeGlobalComponent(this);
    auto& forms = screen().m_forms;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (screen().m_activeForm == this) screen().m_activeForm = nullptr;
    if (application().mainForm() == this) application().setMainForm(nullptr);
    setMenu(nullptr);
    // Children go before the window they live in.
    destroyComponents();
}

void TCustomForm::setBorderStyle(TFormBorderStyle style) {
    if (style == m_borderStyle) return;
    const int cw = clientWidth(), ch = clientHeight();
    m_borderStyle = style;
    // The client area keeps its size; the frame grows or shrinks around it.
    setBounds(left(), top(), cw + frameWidth(), ch + frameHeight());
    applyFrame();
}

void TCustomForm::setBorderIcons(TBorderIcons icons) {
    m_borderIcons = icons & 15u;
    applyFrame();
}

void TCustomForm::setFormStyle(TFormStyle style) {
    m_formStyle = style;
    applyFrame();
}

void TCustomForm::setWindowState(TWindowState state) {
    m_windowState = state;
    if (handleAllocated() && visible())
        handle().setShowState(state == wsMinimized   ? WindowShowState::Minimized
                              : state == wsMaximized ? WindowShowState::Maximized
                                                     : WindowShowState::Normal);
}

void TCustomForm::setIcon(TIcon* icon) {
    // The form keeps its own copy, as writing an object property always copies.
    m_icon.reset(icon ? static_cast<TIcon*>(icon->clone().release()) : new TIcon());
    m_icon->onChange = [this] { iconChanged(); };
    iconChanged();
}

void TCustomForm::handleMinimized() { m_windowState = wsMinimized; }

void TCustomForm::iconChanged() {
    if (handleAllocated()) handle().setIcon(m_icon->image());
}

int TCustomForm::frameWidth() const { return 2 * frameOf(m_borderStyle).border; }
int TCustomForm::frameHeight() const {
    const FrameSize f = frameOf(m_borderStyle);
    return 2 * f.border + f.caption + (m_menuBarShown ? kMenuBarHeight : 0);
}
int TCustomForm::clientWidth() const { return std::max(0, width() - frameWidth()); }
int TCustomForm::clientHeight() const { return std::max(0, height() - frameHeight()); }
void TCustomForm::setClientWidth(int w) { setWidth(w + frameWidth()); }
void TCustomForm::setClientHeight(int h) { setHeight(h + frameHeight()); }

TRect TCustomForm::handleBounds() const {
    const FrameSize f = frameOf(m_borderStyle);
    const int menuBar = m_menuBarShown ? kMenuBarHeight : 0;
    return bounds(left() + f.border, top() + f.border + f.caption + menuBar, clientWidth(), clientHeight());
}

void TCustomForm::createHandleParams(WindowFrame& frame) {
    frame.border = m_borderStyle != bsNone;
    frame.toolWindow = m_borderStyle == bsToolWindow || m_borderStyle == bsSizeToolWin;
    frame.sizeable = m_borderStyle == bsSizeable || m_borderStyle == bsSizeToolWin;
    frame.systemMenu = (m_borderIcons & (1u << biSystemMenu)) != 0;
    frame.minimize = frame.systemMenu && (m_borderIcons & (1u << biMinimize)) && m_borderStyle != bsDialog;
    frame.maximize = frame.systemMenu && (m_borderIcons & (1u << biMaximize)) && m_borderStyle != bsDialog;
    frame.stayOnTop = m_formStyle == fsStayOnTop;
}

void TCustomForm::applyFrame() {
    if (!handleAllocated()) return;
    WindowFrame frame;
    createHandleParams(frame);
    handle().setFrame(frame);
    syncHandleBounds();
}

void TCustomForm::setAlphaBlend(bool value) {
    m_alphaBlend = value;
    applyOpacity();
}

void TCustomForm::setAlphaBlendValue(int value) {
    m_alphaBlendValue = std::clamp(value, 0, 255);
    applyOpacity();
}

void TCustomForm::applyOpacity() {
    if (handleAllocated()) handle().setOpacity(m_alphaBlend ? m_alphaBlendValue : 255);
}

void TCustomForm::setMenu(TMainMenu* menu) {
    if (menu == m_menu) return;
    if (m_menu) {
        m_menu->removeFreeNotification(this);
        m_menu->onItemsChanged = nullptr;
    }
    m_menu = menu;
    if (menu) {
        menu->freeNotification(this);
        menu->onItemsChanged = [this] { menuItemsChanged(); };
    }
    menuItemsChanged();
}

void TCustomForm::getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
    // Components without a place among the controls (menus, timers) come first.
    if (root == this)
        for (TComponent* c : components())
            if (!c->hasParent()) proc(c);
    TWinControl::getChildren(proc, root);
}

void TCustomForm::notification(TComponent* component, classes::Operation operation) {
    TWinControl::notification(component, operation);
    if (operation != classes::Operation::Remove) return;
    if (component == m_menu) {
        m_menu = nullptr;
        menuItemsChanged();
    }
    if (component == m_activeControl) m_activeControl = nullptr;
}

void TCustomForm::menuItemsChanged() {
    if (hasState(classes::ComponentState::Destroying)) return;
    bool shown = false;
    if (m_menu)
        for (const TMenuItem* item : m_menu->items()->items()) shown = shown || item->visible();
    if (shown != m_menuBarShown) {
        // The bar is part of the frame: the client area keeps its size.
        const int cw = clientWidth(), ch = clientHeight();
        m_menuBarShown = shown;
        setBounds(left(), top(), cw + frameWidth(), ch + frameHeight());
    }
    if (!handleAllocated() || hasState(classes::ComponentState::Loading) || m_menuRebuildPending) return;
    // The change may come from a choice in the bar itself, whose menu must outlive it.
    m_menuRebuildPending = true;
    std::weak_ptr<const char> alive = aliveToken();
    toolkit::post([this, alive] {
        if (alive.expired()) return;
        m_menuRebuildPending = false;
        rebuildMenuBar();
    });
}

void TCustomForm::rebuildMenuBar() {
    if (!handleAllocated()) return;
    handle().setMenuBar(m_menuBarShown && m_menu ? m_menu->items() : nullptr, kMenuBarHeight);
    syncHandleBounds();
}

bool TCustomForm::isShortCut(int key, TShiftState shift) { return m_menu && m_menu->isShortCut(key, shift); }

void TCustomForm::setFocusedControl(TWinControl* control) {
    m_focused = control;
    m_focusedAlive = control ? control->aliveToken() : std::weak_ptr<const char>();
}

TWinControl* TCustomForm::activeControl() const {
    if (m_focused && !m_focusedAlive.expired()) return m_focused;
    return m_activeControl;
}

void TCustomForm::setActiveControl(TWinControl* control) {
    if (m_activeControl) m_activeControl->removeFreeNotification(this);
    m_activeControl = control;
    if (control) control->freeNotification(this);
    if (control && visible() && !hasState(classes::ComponentState::Loading) && control->canFocus())
        control->setFocus();
}

bool TCustomForm::dialogKey(int key, TShiftState) {
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    TWinControl* focusedNow = m_focusedAlive.expired() ? nullptr : m_focused;
    if (focusedNow && focusedNow->pressedByDialogKey(key, true)) {
        focusedNow->click();
        return true;
    }
    std::function<TWinControl*(TWinControl*)> find = [&](TWinControl* w) -> TWinControl* {
        for (TControl* c : w->controls()) {
            auto* child = dynamic_cast<TWinControl*>(c);
            if (!child || !child->visible() || !child->enabled()) continue;
            if (child->pressedByDialogKey(key, false)) return child;
            if (TWinControl* found = find(child)) return found;
        }
        return nullptr;
    };
    TWinControl* button = find(this);
    if (!button) return false;
    button->click();
    return true;
}

void TCustomForm::handleCreated() {
    if (m_menuBarShown) rebuildMenuBar();
    applyOpacity();
    if (!m_icon->empty()) handle().setIcon(m_icon->image());
    if (!m_region.empty()) handle().setRegion(&m_region);
}

void TCustomForm::setWindowRegion(const std::vector<TRect>& rects) {
    m_region = rects;
    if (handleAllocated()) handle().setRegion(m_region.empty() ? nullptr : &m_region);
    invalidate();
}

bool TCustomForm::beginWindowDrag() { return handleAllocated() && visible() && handle().beginDrag(); }

void TCustomForm::handleResized(int clientW, int clientH) { TWinControl::handleResized(clientW, clientH); }

void TCustomForm::paintWindow(TCanvas& background) {
    TWinControl::paintWindow(background);
    if (!onPaint) return;
    paintOwnCanvas(background, [this] { fireEvent(onPaint, {static_cast<classes::TObject*>(this)}); });
}

void TCustomForm::placeOnScreen() {
    if (m_placed) return;
    m_placed = true;
    TRect area = toolkit::screenRect();
    switch (m_position) {
    case poMainFormCenter:
    case poOwnerFormCenter:
        if (TCustomForm* main = application().mainForm(); main && main != this && main->visible()) {
            area = main->boundsRect();
        }
        [[fallthrough]];
    case poScreenCenter:
    case poDesktopCenter:
        setBounds(area.left + (area.width() - width()) / 2, area.top + (area.height() - height()) / 2,
                  width(), height());
        break;
    default: break;
    }
}

void TCustomForm::setVisible(bool visible) {
    // A stream that says Visible = True shows the form once it is complete.
    if (hasState(classes::ComponentState::Loading)) {
        m_showWhenLoaded = visible;
        return;
    }
    if (visible == this->visible()) return;
    if (visible) {
        placeOnScreen();
        fireEvent(onShow, {static_cast<classes::TObject*>(this)});
    } else if (onHide) {
        fireEvent(onHide, {static_cast<classes::TObject*>(this)});
    }
    TWinControl::setVisible(visible);
}

void TCustomForm::visibleChanged() {
    TControl::visibleChanged();
    if (visible()) {
        handle().setVisible(true);
        setWindowState(m_windowState);
        handle().activate();
        if (screen().m_activeForm != this) {
            if (TCustomForm* previous = screen().m_activeForm) previous->activated(false);
            activated(true);
        }
        if (m_activeControl && m_activeControl->canFocus()) m_activeControl->setFocus();
    } else {
        if (handleAllocated()) handle().setVisible(false);
        if (screen().m_activeForm == this) activated(false);
    }
}

void TCustomForm::activated(bool active) {
    if (active == m_active) return;
    m_active = active;
    if (active) {
        screen().m_activeForm = this;
        fireEvent(onActivate, {static_cast<classes::TObject*>(this)});
    } else {
        if (screen().m_activeForm == this) screen().m_activeForm = nullptr;
        fireEvent(onDeactivate, {static_cast<classes::TObject*>(this)});
    }
}

void TCustomForm::show() { setVisible(true); }
void TCustomForm::hide() { setVisible(false); }

void TCustomForm::doCreate() { fireEvent(onCreate, {static_cast<classes::TObject*>(this)}); }

void TCustomForm::loaded() {
    TWinControl::loaded();
    if (m_showWhenLoaded) {
        m_showWhenLoaded = false;
        show();
    }
}

bool TCustomForm::closeQuery() {
    bool canClose = true;
    fireEvent(onCloseQuery, {static_cast<classes::TObject*>(this), &canClose});
    return canClose;
}

void TCustomForm::doClose(TCloseAction& action) {
    if (!onClose) return;
    int64_t a = action;
    fireEvent(onClose, {static_cast<classes::TObject*>(this), &a});
    action = a >= caNone && a <= caMinimize ? static_cast<TCloseAction>(a) : caNone;
}

void TCustomForm::close() {
    if (m_modal) {
        m_modalResult = mrCancel;
        return;
    }
    if (!closeQuery()) return;
    TCloseAction action = caHide;
    doClose(action);
    if (action == caNone) return;
    if (application().mainForm() == this) {
        application().terminate();
        hide();
    } else if (action == caHide) {
        hide();
    } else if (action == caMinimize) {
        setWindowState(wsMinimized);
    } else {
        hide();
        toolkit::post([this] { delete this; });
    }
}

void TCustomForm::closeModal() {
    if (!closeQuery()) {
        m_modalResult = mrNone;
        return;
    }
    TCloseAction action = caHide;
    doClose(action);
    if (action == caNone) m_modalResult = mrNone;
}

TModalResult TCustomForm::showModal() {
    if (visible() || m_modal || !enabled()) throw base::Error("Cannot make a visible window modal");
    std::vector<TCustomForm*> disabled;
    for (TCustomForm* f : screen().forms())
        if (f != this && f->enabled()) {
            f->setEnabled(false);
            disabled.push_back(f);
        }
    // An event handler may free this form while it is modal; then the loop ends as cancelled.
    const auto alive = aliveToken();
    auto restore = [&] {
        if (!alive.expired()) m_modal = false;
        for (TCustomForm* f : disabled)
            if (std::find(screen().forms().begin(), screen().forms().end(), f) != screen().forms().end())
                f->setEnabled(true);
    };
    m_modal = true;
    m_modalResult = mrNone;
    try {
        show();
        toolkit::runUntil([this, &alive] {
            if (alive.expired()) return true;
            if (application().terminated()) {
                m_modalResult = mrCancel;
                return true;
            }
            if (m_modalResult == mrNone) return false;
            closeModal();
            return alive.expired() || m_modalResult != mrNone;
        });
        if (!alive.expired()) hide();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return alive.expired() ? mrCancel : m_modalResult;
}

TForm::TForm(TComponent* owner) : TCustomForm(owner) {}

TAutorunForm::TAutorunForm(TComponent* owner) : TForm(owner) {
    setBounds(0, 0, 490, 380);
    setColor(clBtnFace);
    font()->setName("MS Sans Serif");
    font()->setHeight(-11);
    font()->setCharset(DEFAULT_CHARSET);
    font()->setColor(clWindowText);
    setParentFont(false);
    setPosition(poScreenCenter);
}

std::vector<TAutorunForm::MenuEntry> TAutorunForm::systemMenuEntries(bool musicLoaded,
                                                                     bool soundSettingsDisabled) {
    std::vector<MenuEntry> entries;
    if (musicLoaded && !soundSettingsDisabled) {
        entries.push_back({});
        entries.push_back({"Sound Settings ...", kSoundSettingsCommand});
    }
    entries.push_back({});
    entries.push_back({"&About ...", kAboutCommand});
    return entries;
}

void TAutorunForm::systemCommand(unsigned command) {
    if ((command & 0xFFF0u) == 0xF020u) {
        application().minimize();
    } else if (command == kSoundSettingsCommand) {
        if (onSoundSettings) onSoundSettings();
    } else if (command == kAboutCommand) {
        try {
            if (onAbout) onAbout();
        } catch (const std::exception& e) {
            application().handleException(e);
        }
    } else if ((command & 0xFFF0u) == 0xF060u) {
        close();
    } else if ((command & 0xFFF0u) == 0xF030u) {
        setWindowState(wsMaximized);
    } else if ((command & 0xFFF0u) == 0xF120u) {
        setWindowState(wsNormal);
    }
}

TAutorunForm::~TAutorunForm() = default;

void TAutorunForm::installWindowMenu(bool musicLoaded, bool soundSettingsDisabled) {
    auto menu = std::make_unique<TPopupMenu>(nullptr);
    bool first = true;
    for (const MenuEntry& entry : systemMenuEntries(musicLoaded, soundSettingsDisabled)) {
        // The window menu's leading separator parts the entries from the system's own;
        // a menu of the player's entries alone starts with its first entry.
        if (entry.command == 0 && first) continue;
        auto* item = new TMenuItem(menu.get());
        if (entry.command == 0) {
            item->setCaption("-");
        } else {
            item->setCaption(entry.text);
            item->setName(entry.command == kAboutCommand ? "AboutItem" : "SoundSettingsItem");
            const unsigned command = entry.command;
            item->onClick = classes::TMethod(
                item, this, [this, command](std::span<const classes::EventArg>) { systemCommand(command); });
        }
        menu->items()->add(item);
        first = false;
    }
    m_windowMenu = std::move(menu);
}

bool TAutorunForm::defaultContextPopup(TPoint at) {
    if (!m_windowMenu) return false;
    m_windowMenu->setPopupComponent(this);
    m_windowMenu->popup(at.x, at.y);
    return true;
}

void TAutorunForm::handleMinimized() {
    TForm::handleMinimized();
    application().minimize();
}

// --- TApplication ---

TApplication::TApplication(TComponent* owner) : TComponent(owner), m_icon(std::make_unique<TIcon>()) {}
TApplication::~TApplication() = default;

// The title captions error boxes; it is not handed to the toolkit, which would add it to
// every window's title.
void TApplication::setTitle(const std::string& title) { m_title = title; }

void TApplication::setIcon(TIcon* icon) {
    m_icon.reset(icon ? static_cast<TIcon*>(icon->clone().release()) : new TIcon());
    toolkit::setApplicationIcon(m_icon->image());
}

void TApplication::processMessages() { toolkit::processMessages(); }

void TApplication::run() {
    toolkit::runUntil([this] { return m_terminated; });
}

void TApplication::minimize() {
    for (TCustomForm* f : screen().forms())
        if (f->visible() && f->handleAllocated()) f->handle().setShowState(WindowShowState::Minimized);
}

void TApplication::restore() {
    for (TCustomForm* f : screen().forms())
        if (f->visible() && f->handleAllocated()) f->handle().setShowState(WindowShowState::Normal);
}

void TApplication::bringToFront() {
    TCustomForm* f = screen().activeForm() ? screen().activeForm() : m_mainForm;
    if (f && f->visible()) f->handle().activate();
}

std::string TApplication::exceptionMessage(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

void TApplication::handleException(const std::exception& e) {
    const std::string text = exceptionMessage(e.what());
    if (showErrorBox)
        showErrorBox(m_title, text);
    else
        std::fprintf(stderr, "%s: %s\n", m_title.c_str(), text.c_str());
}

// --- TScreen ---

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}
int TScreen::width() const { return toolkit::screenRect().width(); }
int TScreen::height() const { return toolkit::screenRect().height(); }

void TScreen::setCursor(TCursor cursor) {
    m_cursor = cursor;
    toolkit::setOverrideCursor(cursor);
}

TApplication& application() {
    static TApplication* app = new TApplication(nullptr);  // lives until the process ends
    return *app;
}

TScreen& screen() {
    static TScreen* s = new TScreen(nullptr);
    return *s;
}

}  // namespace vcl
