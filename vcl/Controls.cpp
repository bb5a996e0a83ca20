// The control model: bounds and alignment, parent inheritance of font and colour, mouse
// routing to graphic children, painting into retained surfaces, and the metadata.
#include "vcl/Controls.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "vcl/KeptProperties.h"
#include "vcl/Menus.h"
#include "vcl/WindowIds.h"

namespace vcl {

using classes::ClassBuilder;
using classes::EventArg;
using classes::TComponent;
namespace ct = classes::types;

// --- metadata ---

namespace types {
const classes::TypeInfo& align() {
    static const auto t = classes::TypeInfo::enumeration(
        "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
    return t;
}
const classes::TypeInfo& anchors() {
    static const auto element =
        classes::TypeInfo::enumeration("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
    static const auto t = classes::TypeInfo::set("TAnchors", element);
    return t;
}
const classes::TypeInfo& alignment() {
    static const auto t =
        classes::TypeInfo::enumeration("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    return t;
}
const classes::TypeInfo& textLayout() {
    static const auto t = classes::TypeInfo::enumeration("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
    return t;
}
const classes::TypeInfo& mouseEvent() {
    static const auto t = classes::TypeInfo::method(
        "TMouseEvent",
        "procedure (Sender: TObject; Button: TMouseButton; Shift: TShiftState; X, Y: Integer);");
    return t;
}
const classes::TypeInfo& mouseMoveEvent() {
    static const auto t = classes::TypeInfo::method(
        "TMouseMoveEvent", "procedure (Sender: TObject; Shift: TShiftState; X, Y: Integer);");
    return t;
}
const classes::TypeInfo& keyEvent() {
    static const auto t = classes::TypeInfo::method(
        "TKeyEvent", "procedure (Sender: TObject; var Key: Word; Shift: TShiftState);");
    return t;
}
const classes::TypeInfo& keyPressEvent() {
    static const auto t =
        classes::TypeInfo::method("TKeyPressEvent", "procedure (Sender: TObject; var Key: Char);");
    return t;
}
const classes::TypeInfo& bevelCut() {
    static const auto t =
        classes::TypeInfo::enumeration("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
    return t;
}
const classes::TypeInfo& bevelEdges() {
    static const auto e =
        classes::TypeInfo::enumeration("TBevelEdge", {"beLeft", "beTop", "beRight", "beBottom"});
    static const auto t = classes::TypeInfo::set("TBevelEdges", e);
    return t;
}
const classes::TypeInfo& bevelKind() {
    static const auto t =
        classes::TypeInfo::enumeration("TBevelKind", {"bkNone", "bkTile", "bkSoft", "bkFlat"});
    return t;
}
const classes::TypeInfo& imeMode() {
    static const auto t = classes::TypeInfo::enumeration(
        "TImeMode", {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira",
                     "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel"});
    return t;
}
const classes::TypeInfo& borderStyle() {
    static const auto t = classes::TypeInfo::enumeration("TBorderStyle", {"bsNone", "bsSingle"});
    return t;
}
const classes::TypeInfo& scrollStyle() {
    static const auto t =
        classes::TypeInfo::enumeration("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
    return t;
}
}  // namespace types

namespace {

const classes::TypeInfo& bidiModeType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"});
    return t;
}
const classes::TypeInfo& dragKindType() {
    static const auto t = classes::TypeInfo::enumeration("TDragKind", {"dkDrag", "dkDock"});
    return t;
}
const classes::TypeInfo& dragModeType() {
    static const auto t = classes::TypeInfo::enumeration("TDragMode", {"dmManual", "dmAutomatic"});
    return t;
}
const classes::TypeInfo& helpTypeType() {
    static const auto t = classes::TypeInfo::enumeration("THelpType", {"htKeyword", "htContext"});
    return t;
}

const classes::TypeInfo& dragDropEvent() {
    static const auto t =
        classes::TypeInfo::method("TDragDropEvent", "procedure (Sender, Source: TObject; X, Y: Integer);");
    return t;
}
const classes::TypeInfo& dragOverEvent() {
    static const auto t = classes::TypeInfo::method(
        "TDragOverEvent",
        "procedure (Sender, Source: TObject; X, Y: Integer; State: TDragState; var Accept: Boolean);");
    return t;
}
const classes::TypeInfo& endDragEvent() {
    static const auto t =
        classes::TypeInfo::method("TEndDragEvent", "procedure (Sender, Target: TObject; X, Y: Integer);");
    return t;
}
const classes::TypeInfo& startDragEvent() {
    static const auto t = classes::TypeInfo::method(
        "TStartDragEvent", "procedure (Sender: TObject; var DragObject: TDragObject);");
    return t;
}
const classes::TypeInfo& startDockEvent() {
    static const auto t = classes::TypeInfo::method(
        "TStartDockEvent", "procedure (Sender: TObject; var DragObject: TDragDockObject);");
    return t;
}
const classes::TypeInfo& contextPopupEvent() {
    static const auto t = classes::TypeInfo::method(
        "TContextPopupEvent", "procedure (Sender: TObject; MousePos: TPoint; var Handled: Boolean);");
    return t;
}
const classes::TypeInfo& canResizeEvent() {
    static const auto t = classes::TypeInfo::method(
        "TCanResizeEvent",
        "procedure (Sender: TObject; var NewWidth, NewHeight: Integer; var Resize: Boolean);");
    return t;
}
const classes::TypeInfo& constrainedResizeEvent() {
    static const auto t = classes::TypeInfo::method(
        "TConstrainedResizeEvent",
        "procedure (Sender: TObject; var MinWidth, MinHeight, MaxWidth, MaxHeight: Integer);");
    return t;
}
const classes::TypeInfo& mouseWheelEvent() {
    static const auto t =
        classes::TypeInfo::method("TMouseWheelEvent",
                                  "procedure (Sender: TObject; Shift: TShiftState; WheelDelta: Integer; "
                                  "MousePos: TPoint; var Handled: Boolean);");
    return t;
}
const classes::TypeInfo& mouseWheelUpDownEvent() {
    static const auto t = classes::TypeInfo::method(
        "TMouseWheelUpDownEvent",
        "procedure (Sender: TObject; Shift: TShiftState; MousePos: TPoint; var Handled: Boolean);");
    return t;
}
const classes::TypeInfo& dockDropEvent() {
    static const auto t = classes::TypeInfo::method(
        "TDockDropEvent", "procedure (Sender: TObject; Source: TDragDockObject; X, Y: Integer);");
    return t;
}
const classes::TypeInfo& dockOverEvent() {
    static const auto t =
        classes::TypeInfo::method("TDockOverEvent",
                                  "procedure (Sender: TObject; Source: TDragDockObject; X, Y: Integer; "
                                  "State: TDragState; var Accept: Boolean);");
    return t;
}
const classes::TypeInfo& getSiteInfoEvent() {
    static const auto t = classes::TypeInfo::method(
        "TGetSiteInfoEvent",
        "procedure (Sender: TObject; DockClient: TControl; var InfluenceRect: TRect; "
        "MousePos: TPoint; var CanDock: Boolean);");
    return t;
}
const classes::TypeInfo& unDockEvent() {
    static const auto t = classes::TypeInfo::method(
        "TUnDockEvent",
        "procedure (Sender: TObject; Client: TControl; NewTarget: TWinControl; var Allow: Boolean);");
    return t;
}

bool notStoredValue(const classes::TObject&) { return false; }

// "Explicit" bounds that later designers write beside the real ones: read, never applied.
template <class Builder>
void explicitBounds(Builder& b) {
    for (const char* name : {"ExplicitLeft", "ExplicitTop", "ExplicitWidth", "ExplicitHeight"}) {
        b.property(
            name, ct::integer(), [](const TControl&) { return 0; }, [](TControl&, int) {},
            {.defaultValue = {}, .stored = notStoredValue});
    }
}

}  // namespace

const classes::ClassInfo& TSizeConstraints::staticClass() {
    static const auto info = [] {
        ClassBuilder<TSizeConstraints> b("TSizeConstraints", classes::TPersistent::staticClass());
        auto field = [&b](const char* name, int TSizeConstraints::*member) {
            b.property(
                name, ct::integer(), [member](const TSizeConstraints& c) { return c.*member; },
                [member](TSizeConstraints& c, int v) {
                    c.*member = std::max(0, v);
                    if (c.onChange) c.onChange();
                },
                {.defaultValue = 0});
        };
        field("MaxHeight", &TSizeConstraints::maxHeight);
        field("MaxWidth", &TSizeConstraints::maxWidth);
        field("MinHeight", &TSizeConstraints::minHeight);
        field("MinWidth", &TSizeConstraints::minWidth);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TControl::staticClass() {
    static const auto info = [] {
        ClassBuilder<TControl> b("TControl", TComponent::staticClass());
        b.factory({})
            .property("Left", ct::integer(), &TControl::left, &TControl::setLeft)
            .property("Top", ct::integer(), &TControl::top, &TControl::setTop)
            .property("Width", ct::integer(), &TControl::width, &TControl::setWidth)
            .property("Height", ct::integer(), &TControl::height, &TControl::setHeight)
            .property("Align", types::align(), &TControl::align, &TControl::setAlign,
                      {.defaultValue = alNone})
            .property("Anchors", types::anchors(), &TControl::anchors, &TControl::setAnchors,
                      {.defaultValue = kDefaultAnchors})
            .property("Cursor", ct::cursor(), &TControl::cursor, &TControl::setCursor,
                      {.defaultValue = crDefault})
            .property("Enabled", ct::boolean(), &TControl::enabled, &TControl::setEnabled,
                      {.defaultValue = 1})
            .property("Hint", ct::string(), &TControl::hint,
                      [](TControl& c, const std::string& v) { c.setHint(v); })
            .property("ShowHint", ct::boolean(), &TControl::showHint, &TControl::setShowHint,
                      {.defaultValue = {},
                       .stored =
                           [](const classes::TObject& o) {
                               return !static_cast<const TControl&>(o).parentShowHint();
                           }})
            .property("ParentShowHint", ct::boolean(), &TControl::parentShowHint,
                      &TControl::setParentShowHint, {.defaultValue = 1})
            .property("PopupMenu", TPopupMenu::staticClass().typeInfo(), &TControl::popupMenu,
                      &TControl::setPopupMenu)
            .property("Visible", ct::boolean(), &TControl::visible, &TControl::setVisible,
                      {.defaultValue = 1})
            .property("Color", ct::color(), &TControl::color, &TControl::setColor,
                      {.defaultValue = {},
                       .stored =
                           [](const classes::TObject& o) {
                               return !static_cast<const TControl&>(o).parentColor();
                           }})
            .property("ParentColor", ct::boolean(), &TControl::parentColor, &TControl::setParentColor)
            .property(
                "Font", TFont::staticClass().typeInfo(), &TControl::font, &TControl::setFont,
                {.defaultValue = {},
                 .stored =
                     [](const classes::TObject& o) { return !static_cast<const TControl&>(o).parentFont(); }})
            .property("ParentFont", ct::boolean(), &TControl::parentFont, &TControl::setParentFont)
            .property("Constraints", TSizeConstraints::staticClass().typeInfo(), &TControl::constraints,
                      &TControl::setConstraints)
            .defined("IsControl", [](TControl&, classes::TReader& r) { r.readBoolean(); });
        keptProperty(b, "BiDiMode", bidiModeType(), 0);
        keptProperty(b, "ParentBiDiMode", ct::boolean(), 1);
        keptProperty(b, "DragCursor", ct::cursor(), -12);
        keptProperty(b, "DragKind", dragKindType(), 0);
        keptProperty(b, "DragMode", dragModeType(), 0);
        keptProperty(b, "HelpContext", ct::integer(), 0);
        keptProperty(b, "HelpType", helpTypeType(), 1);
        keptTextProperty(b, "HelpKeyword");
        keptProperty(b, "DoubleBuffered", ct::boolean(), 0);
        keptProperty(b, "ParentDoubleBuffered", ct::boolean(), 1);
        keptProperty(b, "AlignWithMargins", ct::boolean(), 0);
        explicitBounds(b);
        b.event("OnClick", ct::notifyEvent(), &TControl::onClick);
        b.event("OnDblClick", ct::notifyEvent(), &TControl::onDblClick);
        b.event("OnMouseDown", types::mouseEvent(), &TControl::onMouseDown);
        b.event("OnMouseUp", types::mouseEvent(), &TControl::onMouseUp);
        b.event("OnMouseMove", types::mouseMoveEvent(), &TControl::onMouseMove);
        b.event("OnMouseEnter", ct::notifyEvent(), &TControl::onMouseEnter);
        b.event("OnMouseLeave", ct::notifyEvent(), &TControl::onMouseLeave);
        b.event("OnResize", ct::notifyEvent(), &TControl::onResize);
        keptEventProperty(b, "OnContextPopup", contextPopupEvent());
        keptEventProperty(b, "OnDragDrop", dragDropEvent());
        keptEventProperty(b, "OnDragOver", dragOverEvent());
        keptEventProperty(b, "OnEndDock", endDragEvent());
        keptEventProperty(b, "OnEndDrag", endDragEvent());
        keptEventProperty(b, "OnStartDock", startDockEvent());
        keptEventProperty(b, "OnStartDrag", startDragEvent());
        keptEventProperty(b, "OnCanResize", canResizeEvent());
        keptEventProperty(b, "OnConstrainedResize", constrainedResizeEvent());
        keptEventProperty(b, "OnMouseWheel", mouseWheelEvent());
        keptEventProperty(b, "OnMouseWheelDown", mouseWheelUpDownEvent());
        keptEventProperty(b, "OnMouseWheelUp", mouseWheelUpDownEvent());
        return b.build();
    }();
    return *info;
}

namespace {
bool notStored(const classes::TObject&) { return false; }
}  // namespace

const classes::ClassInfo& TGraphicControl::staticClass() {
    static const auto info =
        ClassBuilder<TGraphicControl>("TGraphicControl", TControl::staticClass())
            .factory({})
            .readOnly("Canvas", TCanvas::staticClass().typeInfo(),
                      [](const TGraphicControl& c) { return &const_cast<TGraphicControl&>(c).canvas(); },
                      {.defaultValue = {}, .stored = notStored})
            .build();
    return *info;
}

const classes::ClassInfo& TWinControl::staticClass() {
    static const auto info = [] {
        ClassBuilder<TWinControl> b("TWinControl", TControl::staticClass());
        b.factory({})
            .property("TabOrder", ct::integer(), &TWinControl::tabOrder, &TWinControl::setTabOrder,
                      {.defaultValue = -1})
            .property("TabStop", ct::boolean(), &TWinControl::tabStop, &TWinControl::setTabStop,
                      {.defaultValue = 0})
            // A small id from the window table, never a pointer: routines taking a window
            // handle look it up again and do nothing for one that no longer names a window.
            .publicProperty("property Handle: Integer;", [](TWinControl& c) { return windowId(&c); })
            .defined("DesignSize", [](TWinControl&, classes::TReader& r) {
                // Anchors work from the sizes the controls have when loaded; the design size adds nothing.
                r.readListBegin();
                r.readInteger();
                r.readInteger();
                r.readListEnd();
            });
        keptProperty(b, "Ctl3D", ct::boolean(), 1);
        keptProperty(b, "ParentCtl3D", ct::boolean(), 1);
        keptProperty(b, "UseDockManager", ct::boolean(), 0);
        keptProperty(b, "DockSite", ct::boolean(), 0);
        keptProperty(b, "ParentBackground", ct::boolean(), 1);
        keptProperty(b, "BorderWidth", ct::integer(), 0);
        b.event("OnKeyDown", types::keyEvent(), &TWinControl::onKeyDown);
        b.event("OnKeyPress", types::keyPressEvent(), &TWinControl::onKeyPress);
        b.event("OnKeyUp", types::keyEvent(), &TWinControl::onKeyUp);
        b.event("OnEnter", ct::notifyEvent(), &TWinControl::onEnter);
        b.event("OnExit", ct::notifyEvent(), &TWinControl::onExit);
        keptEventProperty(b, "OnDockDrop", dockDropEvent());
        keptEventProperty(b, "OnDockOver", dockOverEvent());
        keptEventProperty(b, "OnGetSiteInfo", getSiteInfoEvent());
        keptEventProperty(b, "OnUnDock", unDockEvent());
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TCustomControl::staticClass() {
    static const auto info =
        ClassBuilder<TCustomControl>("TCustomControl", TWinControl::staticClass())
            .factory({})
            .readOnly("Canvas", TCanvas::staticClass().typeInfo(),
                      [](const TCustomControl& c) { return &const_cast<TCustomControl&>(c).canvas(); },
                      {.defaultValue = {}, .stored = notStored})
            .build();
    return *info;
}

// --- TControl ---

TControl::TControl(TComponent* owner)
    : TComponent(owner),
      m_font(std::make_unique<TFont>()),
      m_constraints(std::make_unique<TSizeConstraints>()) {
    m_font->onChange = [this] { fontChanged(); };
    m_constraints->onChange = [this] { setBounds(m_left, m_top, m_width, m_height); };
}

void TSizeConstraints::assign(const classes::TPersistent& source) {
    if (auto* c = dynamic_cast<const TSizeConstraints*>(&source)) {
        minWidth = c->minWidth, minHeight = c->minHeight, maxWidth = c->maxWidth, maxHeight = c->maxHeight;
        if (onChange) onChange();
        return;
    }
    TPersistent::assign(source);
}

void TSizeConstraints::apply(int& width, int& height) const {
    if (maxWidth > 0) width = std::min(width, maxWidth);
    if (maxHeight > 0) height = std::min(height, maxHeight);
    width = std::max(width, minWidth);
    height = std::max(height, minHeight);
}

void TControl::setConstraints(TSizeConstraints* c) {
    if (c) m_constraints->assign(*c);
}

int64_t TControl::keptValue(const std::string& name, int64_t fallback) const {
    auto it = m_keptValues.find(name);
    return it == m_keptValues.end() ? fallback : it->second;
}

void TControl::setKeptValue(const std::string& name, int64_t value) { m_keptValues[name] = value; }

std::string TControl::keptText(const std::string& name) const {
    auto it = m_keptTexts.find(name);
    return it == m_keptTexts.end() ? std::string() : it->second;
}

void TControl::setKeptText(const std::string& name, const std::string& value) { m_keptTexts[name] = value; }

classes::TMethod TControl::keptEvent(const std::string& name) const {
    auto it = m_keptEvents.find(name);
    return it == m_keptEvents.end() ? classes::TMethod() : it->second;
}

void TControl::setKeptEvent(const std::string& name, const classes::TMethod& handler) {
    m_keptEvents[name] = handler;
}

TPoint TControl::clientToScreen(TPoint p) const {
    if (!m_parent) return p;
    return m_parent->clientToScreen({p.x + m_left, p.y + m_top});
}

TPoint TControl::screenToClient(TPoint p) const {
    const TPoint origin = clientToScreen({0, 0});
    return {p.x - origin.x, p.y - origin.y};
}

bool TControl::contextPopup(TPoint p) {
    for (TControl* c = this; c; c = c->parent()) {
        TPopupMenu* menu = c->popupMenu();
        if (!menu || !menu->autoPopup()) continue;
        const TPoint at = clientToScreen(p);
        menu->setPopupComponent(this);
        menu->popup(at.x, at.y);
        return true;
    }
    TControl* top = this;
    while (top->parent()) top = top->parent();
    auto* window = dynamic_cast<TWinControl*>(top);
    return window && window->defaultContextPopup(clientToScreen(p));
}

TControl::~TControl() {
    setState(classes::ComponentState::Destroying, true);
    if (m_parent) m_parent->removeControl(this);
}

void TControl::setParent(TWinControl* parent) {
    if (parent == m_parent) return;
    if (parent == this) throw base::Error("A control cannot have itself as its parent");
    if (m_parent) m_parent->removeControl(this);
    if (parent) parent->insertControl(this);
}

void TControl::setParentComponent(TComponent* parent) {
    if (auto* w = dynamic_cast<TWinControl*>(parent)) setParent(w);
}

TComponent* TControl::parentComponent() const { return m_parent; }

TPoint TControl::clientOrigin() const { return {m_left, m_top}; }

void TControl::setBounds(int left, int top, int width, int height) {
    if (m_constraints) m_constraints->apply(width, height);
    width = std::max(0, width), height = std::max(0, height);
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    const bool sized = width != m_width || height != m_height;
    if (m_parent && m_visible) m_parent->invalidate();
    m_left = left, m_top = top, m_width = width, m_height = height;
    updateAnchorRules();
    boundsChanged();
    if (m_parent && m_align != alNone) m_parent->alignControls();
    if (sized) resized();
}

void TControl::updateAnchorRules() {
    if (!m_parent || (m_parent->m_aligning)) return;
    m_parentWidth = m_parent->clientWidth();
    m_parentHeight = m_parent->clientHeight();
    m_anchorRight = m_parentWidth - (m_left + m_width);
    m_anchorBottom = m_parentHeight - (m_top + m_height);
}

void TControl::boundsChanged() {
    if (m_parent && m_visible) m_parent->invalidate();
}

void TControl::resized() {
    if (!hasState(classes::ComponentState::Loading))
        fireEvent(onResize, {static_cast<classes::TObject*>(this)});
}

void TControl::setAlign(TAlign align) {
    if (align == m_align) return;
    m_align = align;
    if (m_parent) m_parent->alignControls();
}

void TControl::setAnchors(TAnchors anchors) {
    m_anchors = anchors & 15u;
    updateAnchorRules();
}

void TControl::setVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    visibleChanged();
}

void TControl::visibleChanged() {
    if (m_parent) {
        m_parent->invalidate();
        if (m_align != alNone) m_parent->alignControls();
    }
    if (!m_visible && m_parent) {
        if (m_parent->m_hover == this) m_parent->m_hover = nullptr;
        if (m_parent->m_captured == this) m_parent->m_captured = nullptr;
    }
}

bool TControl::showing() const {
    if (!m_visible) return false;
    return m_parent ? m_parent->showing() : true;
}

void TControl::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    m_pressed = false;
    enabledChanged();
}

void TControl::setFont(TFont* font) {
    if (font) m_font->assign(*font);
}

void TControl::fontChanged() {
    if (!m_settingFont) m_parentFont = false;
    invalidate();
}

void TControl::applyParentFont() {
    if (!m_parent || !m_parentFont) return;
    m_settingFont = true;
    m_font->assign(*m_parent->font());
    m_settingFont = false;
}

void TControl::setParentFont(bool value) {
    m_parentFont = value;
    if (value) applyParentFont();
}

void TControl::parentFontChanged() {
    if (m_parentFont) applyParentFont();
}

void TControl::setColor(TColor color) {
    m_parentColor = false;
    if (color == m_color) return;
    m_color = color;
    colorChanged();
}

void TControl::colorChanged() { invalidate(); }

void TControl::setParentColor(bool value) {
    m_parentColor = value;
    if (value) parentColorChanged();
}

void TControl::parentColorChanged() {
    if (!m_parentColor || !m_parent) return;
    if (m_color != m_parent->color()) {
        m_color = m_parent->color();
        colorChanged();
    }
}

void TControl::setCursor(TCursor cursor) {
    m_cursor = cursor;
    if (m_parent) m_parent->updatePointer();
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->updatePointer();
}

void TControl::setHint(const std::string& hint) {
    m_hint = hint;
    setCursor(m_cursor);
}

void TControl::setShowHint(bool value) {
    m_showHint = value;
    m_parentShowHint = false;
    setCursor(m_cursor);
}

void TControl::setParentShowHint(bool value) {
    m_parentShowHint = value;
    setCursor(m_cursor);
}

bool TControl::effectiveShowHint() const {
    if (m_parentShowHint && m_parent) return m_parent->effectiveShowHint();
    return m_showHint;
}

void TControl::setPopupMenu(TPopupMenu* menu) {
    if (m_popupMenu) m_popupMenu->removeFreeNotification(this);
    m_popupMenu = menu;
    if (menu) menu->freeNotification(this);
}

void TControl::notification(TComponent* component, classes::Operation operation) {
    TComponent::notification(component, operation);
    if (operation == classes::Operation::Remove && component == m_popupMenu) m_popupMenu = nullptr;
}

void TControl::setCaption(const std::string& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    textChanged();
}

void TControl::loaded() {
    TComponent::loaded();
    updateAnchorRules();
    if (m_parentFont) applyParentFont();
    if (m_parentColor) parentColorChanged();
}

void TControl::invalidate() {
    if (m_parent && m_visible) m_parent->invalidate();
}

void TControl::update() {
    if (m_parent) m_parent->update();
}

void TControl::repaint() {
    invalidate();
    update();
}

void TControl::bringToFront() {
    if (!m_parent) return;
    auto& list = m_parent->m_controls;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    m_parent->restack();
    m_parent->invalidate();
}

void TControl::sendToBack() {
    if (!m_parent) return;
    auto& list = m_parent->m_controls;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    m_parent->restack();
    m_parent->invalidate();
}

void TControl::mouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && (m_controlStyle & csClickEvents)) m_pressed = true;
    fireEvent(onMouseDown, {static_cast<classes::TObject*>(this), int64_t{button}, int64_t{shift}, int64_t{x},
                            int64_t{y}});
}

void TControl::mouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    // The system's order: the click comes before the release event.
    if (button == mbLeft && m_pressed) {
        m_pressed = false;
        if (clientRect().contains({x, y})) {
            const auto alive = aliveToken();
            click();
            if (alive.expired()) return;
        }
    }
    fireEvent(onMouseUp, {static_cast<classes::TObject*>(this), int64_t{button}, int64_t{shift}, int64_t{x},
                          int64_t{y}});
}

void TControl::mouseMove(TShiftState shift, int x, int y) {
    fireEvent(onMouseMove, {static_cast<classes::TObject*>(this), int64_t{shift}, int64_t{x}, int64_t{y}});
}

void TControl::mouseEnter() { fireEvent(onMouseEnter, {static_cast<classes::TObject*>(this)}); }

void TControl::mouseLeave() { fireEvent(onMouseLeave, {static_cast<classes::TObject*>(this)}); }

void TControl::click() { fireEvent(onClick, {static_cast<classes::TObject*>(this)}); }

void TControl::dblClick() { fireEvent(onDblClick, {static_cast<classes::TObject*>(this)}); }

// --- TGraphicControl ---

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}
TGraphicControl::~TGraphicControl() = default;

TCanvas& TGraphicControl::canvas() {
    if (!m_canvas) {
        m_canvas = std::make_unique<TCanvas>();
        m_canvas->setFont(*font());
    }
    // Outside a paint the canvas still draws on the parent's surface, which then shows it.
    if (!painting() && parent() && m_canvas->target() != &parent()->surface()) {
        m_canvas->setTarget(&parent()->surface(), {left(), top()}, boundsRect());
        m_canvas->onChange = [this] {
            if (parent() && parent()->handleAllocated()) parent()->handle().invalidate();
        };
    }
    return *m_canvas;
}

void TGraphicControl::paintOn(pictures::Image& surface, TPoint origin, const TRect& clip) {
    TCanvas& c = canvas();
    TCanvas into;
    into.setTarget(&surface, origin, clip);
    PaintScope scope(*this);
    PaintRedirect redirect(c, into, *font(), clWhite);
    c.lock();
    try {
        paint();
    } catch (...) {
        c.unlock();
        throw;
    }
    c.unlock();
}

// --- TWinControl ---

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    setState(classes::ComponentState::Destroying, true);
    // Children outlive the parent link only as owned components of the form.
    for (TControl* c : std::vector<TControl*>(m_controls)) c->m_parent = nullptr;
    m_controls.clear();
    destroyHandle();
}

void TWinControl::insertControl(TControl* control) {
    control->m_parent = this;
    m_controls.push_back(control);
    control->updateAnchorRules();
    if (control->m_parentFont) control->applyParentFont();
    if (control->m_parentColor) control->parentColorChanged();
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        if (w->m_tabOrder < 0) {
            int count = 0;
            for (TControl* c : m_controls)
                if (dynamic_cast<TWinControl*>(c)) ++count;
            w->m_tabOrder = count - 1;
        }
        if (m_handle) {
            w->handle();
            restack();
        }
    }
    if (control->align() != alNone) alignControls();
    invalidate();
}

void TWinControl::removeControl(TControl* control) {
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end()) return;
    m_controls.erase(it);
    if (m_hover == control) m_hover = nullptr;
    if (m_captured == control) m_captured = nullptr;
    control->m_parent = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(control)) w->destroyHandle();
    if (!hasState(classes::ComponentState::Destroying)) {
        alignControls();
        invalidate();
    }
}

void TWinControl::setChildOrder(TComponent* child, int order) {
    auto* c = dynamic_cast<TControl*>(child);
    auto it = std::find(m_controls.begin(), m_controls.end(), c);
    if (it == m_controls.end()) return;
    m_controls.erase(it);
    order = std::clamp(order, 0, static_cast<int>(m_controls.size()));
    m_controls.insert(m_controls.begin() + order, c);
    restack();
}

void TWinControl::getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
    for (TControl* c : m_controls)
        if (c->owner() == root) proc(c);
}

std::unique_ptr<WindowHandle> TWinControl::createHandle() { return createWindowHandle(*this); }

WindowHandle& TWinControl::handle() {
    if (!m_handle) {
        if (parent()) parent()->handle();
        m_handle = createHandle();
        WindowFrame frame;
        createHandleParams(frame);
        if (!parent()) m_handle->setFrame(frame);
        syncHandleBounds();
        m_handle->setCaption(caption());
        m_handle->setEnabled(enabled());
        updatePointer();
        for (TControl* c : m_controls)
            if (auto* w = dynamic_cast<TWinControl*>(c)) w->handle();
        restack();
        if (parent()) m_handle->setVisible(visible());
        handleCreated();
    }
    return *m_handle;
}

void TWinControl::destroyHandle() {
    if (!m_handle) return;
    for (TControl* c : m_controls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->destroyHandle();
    m_handle.reset();
    m_dirty = true;
}

void TWinControl::syncHandleBounds() {
    if (m_handle) m_handle->setBounds(handleBounds());
}

void TWinControl::restack() {
    if (!m_handle) return;
    WindowHandle* below = nullptr;
    for (TControl* c : m_controls) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (!w || !w->m_handle) continue;
        w->m_handle->stackAbove(below);
        below = w->m_handle.get();
    }
}

void TWinControl::setTabOrder(int order) {
    // A stream gives every control its place; elsewhere the control moves to that place
    // in its parent's tab order and the others close up behind it.
    if (!parent() || hasState(classes::ComponentState::Loading)) {
        m_tabOrder = order;
        return;
    }
    std::vector<TWinControl*> siblings;
    for (TControl* c : parent()->m_controls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) siblings.push_back(w);
    std::stable_sort(siblings.begin(), siblings.end(),
                     [](auto* a, auto* b) { return a->m_tabOrder < b->m_tabOrder; });
    order = std::clamp(order, 0, static_cast<int>(siblings.size()));
    siblings.insert(siblings.begin() + order, this);
    for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->m_tabOrder = static_cast<int>(i);
}

bool TWinControl::canFocus() const {
    for (const TControl* c = this; c; c = c->parent())
        if (!c->visible() || !c->enabled()) return false;
    return true;
}

bool TWinControl::focused() const { return m_handle && m_handle->focused(); }

void TWinControl::setFocus() {
    if (!canFocus()) throw base::Error("Cannot focus a disabled or invisible window");
    handle().setFocus();
}

TWinControl* TWinControl::findNextControl(TWinControl* current, bool forward) const {
    std::vector<TWinControl*> order;
    std::function<void(const TWinControl*)> collect = [&](const TWinControl* w) {
        std::vector<TWinControl*> kids;
        for (TControl* c : w->m_controls)
            if (auto* k = dynamic_cast<TWinControl*>(c)) kids.push_back(k);
        std::stable_sort(kids.begin(), kids.end(),
                         [](auto* a, auto* b) { return a->m_tabOrder < b->m_tabOrder; });
        for (auto* k : kids) {
            order.push_back(k);
            collect(k);
        }
    };
    collect(this);
    std::vector<TWinControl*> stops;
    for (auto* w : order)
        if (w == current || (w->m_tabStop && w->canFocus())) stops.push_back(w);
    if (stops.empty()) return nullptr;
    auto it = std::find(stops.begin(), stops.end(), current);
    if (it == stops.end()) return forward ? stops.front() : stops.back();
    const auto n = static_cast<std::ptrdiff_t>(stops.size());
    const auto i = (it - stops.begin() + (forward ? 1 : n - 1)) % n;
    TWinControl* next = stops[static_cast<size_t>(i)];
    return next == current ? nullptr : next;
}

namespace {
TShiftState argShift(TShiftState s) { return s; }
}  // namespace

bool TWinControl::keyDown(int& key, TShiftState shift) {
    if (onKeyDown) {
        int64_t k = key;
        fireEvent(onKeyDown, {static_cast<classes::TObject*>(this), &k, int64_t{argShift(shift)}});
        key = static_cast<int>(k);
    }
    return key != 0;
}

bool TWinControl::keyPress(char& key) {
    if (onKeyPress) {
        std::string k(1, key);
        fireEvent(onKeyPress, {static_cast<classes::TObject*>(this), &k});
        key = k.empty() ? '\0' : k[0];
    }
    return key != '\0';
}

bool TWinControl::keyUp(int& key, TShiftState shift) {
    if (onKeyUp) {
        int64_t k = key;
        fireEvent(onKeyUp, {static_cast<classes::TObject*>(this), &k, int64_t{argShift(shift)}});
        key = static_cast<int>(k);
    }
    return key != 0;
}

bool TWinControl::dialogChar(char c) {
    for (TControl* child : m_controls)
        if (child->visible() && child->dialogChar(c)) return true;
    return false;
}

TWinControl* TWinControl::topLevel() {
    TWinControl* w = this;
    while (w->parent()) w = w->parent();
    return w;
}

bool TWinControl::isMenuKey(int key, TShiftState shift) {
    const auto alive = aliveToken();
    for (TControl* c = this; c; c = c->parent()) {
        if (TPopupMenu* menu = c->popupMenu(); menu && menu->isShortCut(key, shift)) return true;
    }
    return !alive.expired() && topLevel()->isShortCut(key, shift);
}

bool TWinControl::handleKeyDown(int key, TShiftState shift) {
    TWinControl* top = topLevel();
    const auto alive = aliveToken(), topAlive = top->aliveToken();
    constexpr TShiftState kModifiers = (1u << ssShift) | (1u << ssAlt) | (1u << ssCtrl);
    if (key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU && (isMenuKey(key, shift) || alive.expired()))
        return true;
    if (key == VK_TAB && !(shift & ((1u << ssCtrl) | (1u << ssAlt))) && !wantsKey(VK_TAB)) {
        if (TWinControl* next = top->findNextControl(this, !(shift & (1u << ssShift)))) next->setFocus();
        return true;
    }
    if ((key == VK_RETURN || key == VK_ESCAPE) && !(shift & kModifiers) && !wantsKey(key) &&
        (top->dialogKey(key, shift) || alive.expired()))
        return true;
    if (top != this && top->previewsKeys() && (!top->keyDown(key, shift) || alive.expired())) return true;
    if (!keyDown(key, shift) || alive.expired() || topAlive.expired()) return true;
    const bool alnum = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    return alnum && (shift & (1u << ssAlt)) && top->dialogChar(static_cast<char>(key));
}

char TWinControl::handleKeyPress(char key) {
    TWinControl* top = topLevel();
    const auto alive = aliveToken();
    if (top != this && top->previewsKeys() && (!top->keyPress(key) || alive.expired())) return '\0';
    if (!keyPress(key) || alive.expired()) return '\0';
    return key;
}

bool TWinControl::handleKeyUp(int key, TShiftState shift) {
    TWinControl* top = topLevel();
    const auto alive = aliveToken();
    if (top != this && top->previewsKeys() && (!top->keyUp(key, shift) || alive.expired())) return true;
    return !keyUp(key, shift) || alive.expired();
}

void TWinControl::doEnter() { fireEvent(onEnter, {static_cast<classes::TObject*>(this)}); }

void TWinControl::doExit() { fireEvent(onExit, {static_cast<classes::TObject*>(this)}); }

void TWinControl::invalidate() {
    m_dirty = true;
    if (m_handle) m_handle->invalidate();
}

void TWinControl::update() {
    if (m_handle) m_handle->update();
}

void TWinControl::paintWindow(TCanvas& canvas) {
    canvas.brush().setColor(color());
    canvas.brush().setStyle(bsSolid);
    canvas.fillRect(clientRect());
}

void TWinControl::paintHandle() {
    const int w = clientWidth(), h = clientHeight();
    if (m_surface.width != w || m_surface.height != h) {
        m_surface.resize(w, h, 0xFFFFFFFFu);
        m_dirty = true;
    }
    if (!m_dirty || m_surface.empty()) return;
    m_dirty = false;
    if (nativeBackground()) {
        std::fill(m_surface.pixels.begin(), m_surface.pixels.end(), 0u);
    } else {
        if (!m_surfaceCanvas) m_surfaceCanvas = std::make_unique<TCanvas>();
        TCanvas& c = *m_surfaceCanvas;
        c.setTarget(&m_surface);
        c.setFont(*font());
        c.lock();
        paintWindow(c);
        c.unlock();
    }
    const TRect client = clientRect();
    for (TControl* child : m_controls) {
        auto* g = dynamic_cast<TGraphicControl*>(child);
        if (!g || !g->visible()) continue;
        const TRect r = g->boundsRect().intersect(client);
        if (r.isEmpty()) continue;
        g->paintOn(m_surface, {g->left(), g->top()}, r);
    }
}

TControl* TWinControl::controlAtPos(TPoint p) const {
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->visible() || !c->enabled()) continue;
        if (c->boundsRect().contains(p)) return c;
    }
    return nullptr;
}

void TWinControl::handleMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick) {
    const auto alive = aliveToken();
    handleMouseMove(shift, x, y);
    if (alive.expired()) return;
    TControl* target = controlAtPos({x, y});
    if (!target) target = this;
    if (target != this && (target->controlStyle() & csCaptureMouse)) m_captured = target;
    const int tx = x - (target == this ? 0 : target->left()), ty = y - (target == this ? 0 : target->top());
    const auto targetAlive = target->aliveToken();
    target->mouseDown(button, shift | (doubleClick ? (1u << ssDouble) : 0u), tx, ty);
    if (doubleClick && button == mbLeft && !targetAlive.expired()) target->dblClick();
}

void TWinControl::handleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TControl* target = m_captured ? m_captured : controlAtPos({x, y});
    if (!target) target = this;
    m_captured = nullptr;
    const int tx = x - (target == this ? 0 : target->left()), ty = y - (target == this ? 0 : target->top());
    const auto alive = aliveToken();
    target->mouseUp(button, shift, tx, ty);
    if (!alive.expired()) handleMouseMove(shift, x, y);
}

void TWinControl::handleMouseMove(TShiftState shift, int x, int y) {
    const auto alive = aliveToken();
    if (!m_selfHover) {
        m_selfHover = true;
        mouseEnter();
        if (alive.expired()) return;
    }
    TControl* hit = m_captured ? m_captured : controlAtPos({x, y});
    if (m_captured && !m_captured->boundsRect().contains({x, y})) hit = nullptr;
    // While a control holds the mouse only it hears of leaving and coming back, as the
    // system tells it; other controls under the pointer wait for the release.
    if (m_captured && hit != m_hover && (hit == m_captured || m_hover == m_captured)) {
        TControl* captured = m_captured;
        if (m_hover) m_hover->mouseLeave();
        if (alive.expired() || m_captured != captured) return;
        m_hover = hit;
        updatePointer();
        if (m_hover) m_hover->mouseEnter();
        if (alive.expired() || m_captured != captured) return;
    } else if (!m_captured && hit != m_hover) {
        if (m_hover) m_hover->mouseLeave();
        if (alive.expired()) return;
        m_hover = hit ? controlAtPos({x, y}) : nullptr;  // the leave handler may have freed `hit`
        updatePointer();
        if (m_hover) m_hover->mouseEnter();
        if (alive.expired()) return;
        hit = m_hover;
    }
    TControl* target = m_captured ? m_captured : (hit ? hit : this);
    const int tx = x - (target == this ? 0 : target->left()), ty = y - (target == this ? 0 : target->top());
    target->mouseMove(shift, tx, ty);
}

void TWinControl::updatePointer() {
    if (!m_handle) return;
    const TControl* source = m_hover ? m_hover : this;
    m_handle->setCursor(source->cursor() != crDefault ? source->cursor() : cursor());
    m_handle->setToolTip(source->effectiveShowHint() ? source->hint() : std::string());
}

void TWinControl::handleMouseLeave() {
    if (m_hover) {
        TControl* h = m_hover;
        m_hover = nullptr;
        updatePointer();
        const auto alive = aliveToken();
        h->mouseLeave();
        if (alive.expired()) return;
    }
    if (m_selfHover) {
        m_selfHover = false;
        mouseLeave();
    }
}

void TWinControl::handleResized(int clientW, int clientH) {
    if (clientW == clientWidth() && clientH == clientHeight()) return;
    setBounds(left(), top(), width() + clientW - clientWidth(), height() + clientH - clientHeight());
}

void TWinControl::handleMoved(int clientX, int clientY) {
    const TRect hb = handleBounds();
    if (hb.left == clientX && hb.top == clientY) return;
    setBounds(left() + clientX - hb.left, top() + clientY - hb.top, width(), height());
}

pictures::Image TWinControl::grab() { return handle().grab(); }

TPoint TWinControl::clientToScreen(TPoint p) const {
    if (parent()) return TControl::clientToScreen(p);
    const TRect r = handleBounds();
    return {p.x + r.left, p.y + r.top};
}

void TWinControl::setBounds(int l, int t, int w, int h) { TControl::setBounds(l, t, w, h); }

void TWinControl::boundsChanged() {
    TControl::boundsChanged();
    syncHandleBounds();
    alignControls();
    m_dirty = true;
}

void TWinControl::visibleChanged() {
    TControl::visibleChanged();
    if (m_handle)
        m_handle->setVisible(visible());
    else if (visible() && parent() && parent()->handleAllocated())
        handle();
}

void TWinControl::enabledChanged() {
    TControl::enabledChanged();
    if (m_handle) m_handle->setEnabled(enabled());
    invalidate();
}

void TWinControl::textChanged() {
    if (m_handle && !parent()) m_handle->setCaption(caption());
    invalidate();
}

void TWinControl::fontChanged() {
    TControl::fontChanged();
    for (TControl* c : m_controls) c->parentFontChanged();
}

void TWinControl::colorChanged() {
    TControl::colorChanged();
    invalidate();
    for (TControl* c : m_controls) c->parentColorChanged();
}

void TWinControl::alignControls() {
    if (m_aligning) return;
    m_aligning = true;
    TRect rect = clientRect();
    const int cw = clientWidth(), ch = clientHeight();
    // Anchored controls follow the edges they are anchored to.
    for (TControl* c : m_controls) {
        if (c->align() != alNone || c->m_parentWidth < 0) continue;
        const TAnchors a = c->anchors();
        int l = c->left(), t = c->top(), w = c->width(), h = c->height();
        const int dw = cw - c->m_parentWidth, dh = ch - c->m_parentHeight;
        if (dw != 0) {
            if ((a & (1u << akRight)) && (a & (1u << akLeft)))
                w = std::max(0, w + dw);
            else if (a & (1u << akRight))
                l += dw;
            else if (!(a & (1u << akLeft)))
                l += dw / 2;
        }
        if (dh != 0) {
            if ((a & (1u << akBottom)) && (a & (1u << akTop)))
                h = std::max(0, h + dh);
            else if (a & (1u << akBottom))
                t += dh;
            else if (!(a & (1u << akTop)))
                t += dh / 2;
        }
        c->m_parentWidth = cw, c->m_parentHeight = ch;
        c->setBounds(l, t, w, h);
    }
    static constexpr TAlign kOrder[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign al : kOrder) {
        std::vector<TControl*> list;
        for (TControl* c : m_controls)
            if (c->align() == al && c->visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [al](TControl* a, TControl* b) {
            switch (al) {
            case alTop: return a->top() < b->top();
            case alBottom: return a->top() + a->height() > b->top() + b->height();
            case alLeft: return a->left() < b->left();
            case alRight: return a->left() + a->width() > b->left() + b->width();
            default: return false;
            }
        });
        for (TControl* c : list) {
            const int w = c->width(), h = c->height();
            switch (al) {
            case alTop: c->setBounds(rect.left, rect.top, rect.width(), h), rect.top += h; break;
            case alBottom: c->setBounds(rect.left, rect.bottom - h, rect.width(), h), rect.bottom -= h; break;
            case alLeft: c->setBounds(rect.left, rect.top, w, rect.height()), rect.left += w; break;
            case alRight: c->setBounds(rect.right - w, rect.top, w, rect.height()), rect.right -= w; break;
            default: c->setBounds(rect.left, rect.top, rect.width(), rect.height()); break;
            }
        }
    }
    m_aligning = false;
}

// --- TCustomControl ---

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}
TCustomControl::~TCustomControl() = default;

TCanvas& TWinControl::ownCanvas() {
    if (!m_ownCanvas) {
        m_ownCanvas = std::make_unique<TCanvas>();
        m_ownCanvas->setFont(*font());
        m_ownCanvas->onChange = [this] {
            if (handleAllocated()) handle().invalidate();
        };
    }
    if (painting()) return *m_ownCanvas;
    pictures::Image& s = surface();
    if (s.width != clientWidth() || s.height != clientHeight())
        s.resize(clientWidth(), clientHeight(), colorToArgb(color()));
    if (m_ownCanvas->target() != &s) m_ownCanvas->setTarget(&s);
    return *m_ownCanvas;
}

void TWinControl::paintOwnCanvas(TCanvas& background, const std::function<void()>& draw) {
    TCanvas& c = ownCanvas();
    PaintScope scope(*this);
    PaintRedirect redirect(c, background, *font(), color());
    draw();
}

void TCustomControl::paintWindow(TCanvas& background) {
    TWinControl::paintWindow(background);
    paintOwnCanvas(background, [this] { paint(); });
}

PaintRedirect::PaintRedirect(TCanvas& canvas, const TCanvas& into, const TFont& font, TColor color)
    : m_canvas(canvas),
      m_target(canvas.target()),
      m_origin(canvas.origin()),
      m_clip(canvas.surfaceClip()),
      m_onChange(std::move(canvas.onChange)) {
    canvas.onChange = nullptr;
    canvas.setTarget(into.target(), into.origin(), into.surfaceClip());
    canvas.setFont(font);
    canvas.brush().setColor(color);
    canvas.brush().setStyle(bsSolid);
    canvas.setPen(TPen());
}

PaintRedirect::~PaintRedirect() {
    m_canvas.setTarget(m_target, m_origin, m_clip);
    m_canvas.onChange = std::move(m_onChange);
}

void TWinControl::paintBelow(const TControl& child, pictures::Image& target) {
    if (target.empty()) return;
    const TPoint origin{-child.left(), -child.top()};
    TCanvas c;
    c.setTarget(&target, origin);
    c.setFont(*font());
    c.lock();
    paintWindow(c);
    c.unlock();
    const TRect area = child.boundsRect().intersect(clientRect());
    for (TControl* sibling : m_controls) {
        if (sibling == &child) break;
        auto* g = dynamic_cast<TGraphicControl*>(sibling);
        if (!g || !g->visible()) continue;
        const TRect r = g->boundsRect().intersect(area);
        if (r.isEmpty()) continue;
        g->paintOn(target, {g->left() + origin.x, g->top() + origin.y}, r.offset(origin.x, origin.y));
    }
}

}  // namespace vcl
