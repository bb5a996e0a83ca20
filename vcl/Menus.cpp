// Menu trees, main and pop-up menus, shortcuts and the menu-building routines.
#include "vcl/Menus.h"

#include <algorithm>
#include <map>

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "vcl/Graphic.h"
#include "vcl/KeptProperties.h"

namespace vcl {

using classes::ClassBuilder;
using classes::TComponent;
namespace ct = classes::types;

namespace {

// --- key names ---

struct KeyName {
    uint16_t key;
    const char* name;
};

// The names menus show for keys that are not a letter, a digit or a function key.
constexpr KeyName kKeyNames[] = {
    {0x08, "BkSp"},  {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},   {0x20, "Space"},   {0x21, "PgUp"},
    {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},  {0x26, "Up"},      {0x27, "Right"},
    {0x28, "Down"},  {0x2D, "Ins"},   {0x2E, "Del"},   {0x60, "Num 0"}, {0x61, "Num 1"},   {0x62, "Num 2"},
    {0x63, "Num 3"}, {0x64, "Num 4"}, {0x65, "Num 5"}, {0x66, "Num 6"}, {0x67, "Num 7"},   {0x68, "Num 8"},
    {0x69, "Num 9"}, {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"}, {0x6E, "Num Del"}, {0x6F, "Num /"},
    {0xBA, ";"},     {0xBB, "="},     {0xBC, ","},     {0xBD, "-"},     {0xBE, "."},       {0xBF, "/"},
    {0xC0, "`"},     {0xDB, "["},     {0xDC, "\\"},    {0xDD, "]"},     {0xDE, "'"},
};

std::string keyName(uint16_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key < VK_F1 + 24) {
        std::string name = std::to_string(key - VK_F1 + 1);
        name.insert(name.begin(), 'F');
        return name;
    }
    for (const KeyName& k : kKeyNames)
        if (k.key == key) return k.name;
    return {};
}

// A caption without its accelerator marks ("&&" stays one "&").
std::string stripHotkey(std::string_view caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

// A component reference streams may carry (image lists, actions) that nothing here uses:
// read and dropped.
template <class T, class Builder>
void ignoredReference(Builder& b, const char* name) {
    b.property(
        name, TComponent::staticClass().typeInfo(),
        [](const T&) { return static_cast<TComponent*>(nullptr); }, [](T&, TComponent*) {});
}

const classes::TypeInfo& menuBreakType() {
    static const auto t = classes::TypeInfo::enumeration("TMenuBreak", {"mbNone", "mbBreak", "mbBarBreak"});
    return t;
}
const classes::TypeInfo& autoHotkeysType() {
    static const auto t =
        classes::TypeInfo::enumeration("TMenuItemAutoFlag", {"maAutomatic", "maManual", "maParent"});
    return t;
}
const classes::TypeInfo& menuAutoFlagType() {
    static const auto t = classes::TypeInfo::enumeration("TMenuAutoFlag", {"maAutomatic", "maManual"});
    return t;
}
const classes::TypeInfo& popupAlignmentType() {
    static const auto t =
        classes::TypeInfo::enumeration("TPopupAlignment", {"paLeft", "paRight", "paCenter"});
    return t;
}
const classes::TypeInfo& trackButtonType() {
    static const auto t = classes::TypeInfo::enumeration("TTrackButton", {"tbRightButton", "tbLeftButton"});
    return t;
}
const classes::TypeInfo& menuAnimationType() {
    static const auto e = classes::TypeInfo::enumeration(
        "TMenuAnimations", {"maLeftToRight", "maRightToLeft", "maTopToBottom", "maBottomToTop", "maNone"});
    static const auto t = classes::TypeInfo::set("TMenuAnimation", e);
    return t;
}
const classes::TypeInfo& bidiModeType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"});
    return t;
}
const classes::TypeInfo& drawItemEvent() {
    static const auto t = classes::TypeInfo::method(
        "TMenuDrawItemEvent",
        "procedure (Sender: TObject; ACanvas: TCanvas; ARect: TRect; Selected: Boolean);");
    return t;
}
const classes::TypeInfo& advancedDrawItemEvent() {
    static const auto t = classes::TypeInfo::method(
        "TAdvancedMenuDrawItemEvent",
        "procedure (Sender: TObject; ACanvas: TCanvas; ARect: TRect; State: TOwnerDrawState);");
    return t;
}
const classes::TypeInfo& measureItemEvent() {
    static const auto t = classes::TypeInfo::method(
        "TMenuMeasureItemEvent",
        "procedure (Sender: TObject; ACanvas: TCanvas; var Width, Height: Integer);");
    return t;
}
const classes::TypeInfo& menuChangeEvent() {
    static const auto t = classes::TypeInfo::method(
        "TMenuChangeEvent", "procedure (Sender: TObject; Source: TMenuItem; Rebuild: Boolean);");
    return t;
}

}  // namespace

namespace types {
const classes::TypeInfo& shortCut() {
    static const auto t = classes::TypeInfo::integer("TShortCut", nullptr, 0, 65535);
    return t;
}
}  // namespace types

namespace {
// Values menus carry for the designer only: kept, so they read, write and script back.
template <class T, class Builder>
void keptMenuValue(Builder& b, const char* name, const classes::TypeInfo& type, int64_t fallback) {
    const std::string key = name;
    b.property(
        name, type,
        [key, fallback](const T& m) {
            auto it = m.keptValues().find(key);
            return it == m.keptValues().end() ? fallback : it->second;
        },
        [key](T& m, int64_t v) { m.keptValues()[key] = v; }, {.defaultValue = fallback});
}
}  // namespace

// --- metadata ---

const classes::ClassInfo& TMenuItem::staticClass() {
    static const auto info = [] {
        ClassBuilder<TMenuItem> b("TMenuItem", TComponent::staticClass());
        b.property("Caption", ct::string(), &TMenuItem::caption,
                   [](TMenuItem& m, const std::string& v) { m.setCaption(v); })
            .property("Checked", ct::boolean(), &TMenuItem::checked, &TMenuItem::setChecked,
                      {.defaultValue = 0})
            .property("Default", ct::boolean(), &TMenuItem::isDefault, &TMenuItem::setDefault,
                      {.defaultValue = 0})
            .property("Enabled", ct::boolean(), &TMenuItem::enabled, &TMenuItem::setEnabled,
                      {.defaultValue = 1})
            .property("GroupIndex", ct::byte(), &TMenuItem::groupIndex, &TMenuItem::setGroupIndex,
                      {.defaultValue = 0})
            .property("Hint", ct::string(), &TMenuItem::hint,
                      [](TMenuItem& m, const std::string& v) { m.setHint(v); })
            .property("RadioItem", ct::boolean(), &TMenuItem::radioItem, &TMenuItem::setRadioItem,
                      {.defaultValue = 0})
            .property("ShortCut", types::shortCut(), &TMenuItem::shortCut, &TMenuItem::setShortCut,
                      {.defaultValue = 0})
            .property("Visible", ct::boolean(), &TMenuItem::visible, &TMenuItem::setVisible,
                      {.defaultValue = 1})
            .property("AutoCheck", ct::boolean(), &TMenuItem::autoCheck, &TMenuItem::setAutoCheck,
                      {.defaultValue = 0})
            .property("Bitmap", TBitmap::staticClass().typeInfo(), &TMenuItem::bitmap, &TMenuItem::setBitmap,
                      {.defaultValue = {},
                       .stored =
                           [](const classes::TObject& o) {
                               const auto& m = static_cast<const TMenuItem&>(o);
                               return !m.m_bitmap->empty();
                           }})
            // The shortcut as the text a menu shows for it ("Ctrl+S").
            .defined(
                "ShortCutText",
                [](TMenuItem& m, classes::TReader& r) { m.setShortCut(textToShortCut(r.readString())); },
                [](const TMenuItem& m, classes::TWriter& w) { w.writeString(shortCutToText(m.shortCut())); },
                [](const TMenuItem&) { return false; });
        keptMenuValue<TMenuItem>(b, "Break", menuBreakType(), 0);
        keptMenuValue<TMenuItem>(b, "HelpContext", ct::integer(), 0);
        keptMenuValue<TMenuItem>(b, "ImageIndex", ct::integer(), -1);
        keptMenuValue<TMenuItem>(b, "AutoHotkeys", autoHotkeysType(), 2);
        keptMenuValue<TMenuItem>(b, "AutoLineReduction", autoHotkeysType(), 2);
        ignoredReference<TMenuItem>(b, "Action");
        ignoredReference<TMenuItem>(b, "SubMenuImages");
        b.event("OnClick", ct::notifyEvent(), &TMenuItem::onClick);
        return b.build();
    }();
    return *info;
}

namespace {
template <class T, class Builder>
void menuEvents(Builder& b, std::initializer_list<const char*> names) {
    // Owner-draw and change events: nothing here raises them, so they need no storage
    // beyond the assignment scripts and streams make.
    for (const char* name : names) {
        const std::string key = name;
        const classes::TypeInfo& type = key == "OnChange"             ? menuChangeEvent()
                                        : key == "OnDrawItem"         ? drawItemEvent()
                                        : key == "OnAdvancedDrawItem" ? advancedDrawItemEvent()
                                                                      : measureItemEvent();
        b.property(
            name, type, [](const T&) { return classes::TMethod(); }, [](T&, const classes::TMethod&) {});
    }
}
}  // namespace

const classes::ClassInfo& TMenu::staticClass() {
    static const auto info = [] {
        ClassBuilder<TMenu> b("TMenu", TComponent::staticClass());
        b.factory({}).readOnly("Items", TMenuItem::staticClass().typeInfo(), &TMenu::items,
                               {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }});
        keptMenuValue<TMenu>(b, "AutoHotkeys", menuAutoFlagType(), 0);
        keptMenuValue<TMenu>(b, "AutoLineReduction", menuAutoFlagType(), 0);
        keptMenuValue<TMenu>(b, "BiDiMode", bidiModeType(), 0);
        keptMenuValue<TMenu>(b, "ParentBiDiMode", ct::boolean(), 1);
        keptMenuValue<TMenu>(b, "OwnerDraw", ct::boolean(), 0);
        ignoredReference<TMenu>(b, "Images");
        menuEvents<TMenu>(b, {"OnChange"});
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TMainMenu::staticClass() {
    static const auto info = [] {
        ClassBuilder<TMainMenu> b("TMainMenu", TMenu::staticClass());
        keptMenuValue<TMainMenu>(b, "AutoMerge", ct::boolean(), 0);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TPopupMenu::staticClass() {
    static const auto info = [] {
        ClassBuilder<TPopupMenu> b("TPopupMenu", TMenu::staticClass());
        b.property("Alignment", popupAlignmentType(), &TPopupMenu::alignment, &TPopupMenu::setAlignment,
                   {.defaultValue = paLeft})
            .property("AutoPopup", ct::boolean(), &TPopupMenu::autoPopup, &TPopupMenu::setAutoPopup,
                      {.defaultValue = 1})
            .property("PopupComponent", TComponent::staticClass().typeInfo(), &TPopupMenu::popupComponent,
                      &TPopupMenu::setPopupComponent,
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }});
        keptMenuValue<TPopupMenu>(b, "HelpContext", ct::integer(), 0);
        keptMenuValue<TPopupMenu>(b, "MenuAnimation", menuAnimationType(), 0);
        keptMenuValue<TPopupMenu>(b, "TrackButton", trackButtonType(), 0);
        b.event("OnPopup", ct::notifyEvent(), &TPopupMenu::onPopup);
        return b.build();
    }();
    return *info;
}

// --- TMenuItem ---

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), m_bitmap(std::make_unique<TBitmap>()) {}

TMenuItem::~TMenuItem() {
    setState(classes::ComponentState::Destroying, true);
    if (m_parent) m_parent->remove(this);
    while (!m_items.empty()) delete m_items.back();
}

void TMenuItem::setCaption(const std::string& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    changed();
}

void TMenuItem::setChecked(bool value) {
    if (value == m_checked) return;
    m_checked = value;
    if (value && m_radioItem) uncheckGroup();
    changed();
}

void TMenuItem::uncheckGroup() {
    if (!m_parent) return;
    for (TMenuItem* sibling : m_parent->m_items) {
        if (sibling != this && sibling->m_radioItem && sibling->m_groupIndex == m_groupIndex &&
            sibling->m_checked) {
            sibling->m_checked = false;
            sibling->changed();
        }
    }
}

void TMenuItem::setRadioItem(bool value) {
    if (value == m_radioItem) return;
    m_radioItem = value;
    if (value && m_checked) uncheckGroup();
    changed();
}

void TMenuItem::setGroupIndex(int value) {
    if (value == m_groupIndex) return;
    m_groupIndex = value;
    if (m_radioItem && m_checked) uncheckGroup();
    changed();
}

void TMenuItem::setEnabled(bool value) {
    if (value == m_enabled) return;
    m_enabled = value;
    changed();
}

void TMenuItem::setVisible(bool value) {
    if (value == m_visible) return;
    m_visible = value;
    changed();
}

void TMenuItem::setShortCut(TShortCut value) {
    if (value == m_shortCut) return;
    m_shortCut = value;
    changed();
}

void TMenuItem::setDefault(bool value) {
    if (value == m_default) return;
    if (value && m_parent) {
        for (TMenuItem* sibling : m_parent->m_items) sibling->m_default = false;
    }
    m_default = value;
    changed();
}

void TMenuItem::setBitmap(TBitmap* bitmap) {
    const pictures::Image* img = bitmap ? bitmap->image() : nullptr;
    m_bitmap->assignImage(img ? *img : pictures::Image());
    changed();
}

TMenuItem* TMenuItem::item(int index) const {
    if (index < 0 || index >= count())
        throw classes::EListError(classes::format(classes::msg::kListIndexError, {std::to_string(index)}));
    return m_items[static_cast<size_t>(index)];
}

TMenu* TMenuItem::menu() const {
    const TMenuItem* root = this;
    while (root->m_parent) root = root->m_parent;
    return root->m_menu;
}

void TMenuItem::add(TMenuItem* item) { insert(count(), item); }

void TMenuItem::insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->m_parent) throw base::Error("Menu inserted twice");
    if (index < 0 || index > count()) throw base::Error("Menu index out of range");
    for (const TMenuItem* p = this; p; p = p->m_parent)
        if (p == item) throw base::Error("Menu inserted twice");
    m_items.insert(m_items.begin() + index, item);
    item->m_parent = this;
    if (item->m_radioItem && item->m_checked) item->uncheckGroup();
    changed();
}

void TMenuItem::remove(TMenuItem* item) {
    auto it = std::find(m_items.begin(), m_items.end(), item);
    if (it == m_items.end()) throw base::Error("Sub-menu is not in menu");
    m_items.erase(it);
    item->m_parent = nullptr;
    changed();
}

void TMenuItem::deleteItem(int index) { remove(item(index)); }

void TMenuItem::clear() {
    while (!m_items.empty()) delete m_items.back();
}

int TMenuItem::indexOf(const TMenuItem* item) const {
    auto it = std::find(m_items.begin(), m_items.end(), item);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

TMenuItem* TMenuItem::find(std::string_view caption) const {
    const std::string wanted = stripHotkey(caption);
    for (TMenuItem* i : m_items)
        if (base::ansiSameText(stripHotkey(i->m_caption), wanted)) return i;
    return nullptr;
}

TMenuItem* TMenuItem::findShortCut(TShortCut sc) {
    if (sc == 0) return nullptr;
    for (TMenuItem* i : m_items) {
        if (!i->m_visible || !i->m_enabled) continue;
        if (i->m_shortCut == sc) return i;
        if (TMenuItem* found = i->findShortCut(sc)) return found;
    }
    return nullptr;
}

void TMenuItem::click() {
    if (!m_enabled) return;
    if (m_autoCheck) setChecked(m_radioItem ? true : !m_checked);
    fireEvent(onClick, {static_cast<classes::TObject*>(this)});
}

void TMenuItem::changed() {
    if (hasState(classes::ComponentState::Destroying)) return;
    TMenu* m = menu();
    if (m && !m->hasState(classes::ComponentState::Destroying)) m->menuChanged();
}

void TMenuItem::setParentComponent(TComponent* parent) {
    if (auto* m = dynamic_cast<TMenu*>(parent))
        m->items()->add(this);
    else if (auto* i = dynamic_cast<TMenuItem*>(parent))
        i->add(this);
}

TComponent* TMenuItem::parentComponent() const {
    if (m_parent && m_parent->m_menu) return m_parent->m_menu;
    return m_parent;
}

void TMenuItem::getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
    for (TMenuItem* i : m_items)
        if (i->owner() == root) proc(i);
}

void TMenuItem::setChildOrder(TComponent* child, int order) {
    auto* item = dynamic_cast<TMenuItem*>(child);
    auto it = std::find(m_items.begin(), m_items.end(), item);
    if (it == m_items.end()) return;
    m_items.erase(it);
    order = std::clamp(order, 0, static_cast<int>(m_items.size()));
    m_items.insert(m_items.begin() + order, item);
    changed();
}

void TMenuItem::loaded() {
    TComponent::loaded();
    changed();
}

// --- TMenu ---

TMenu::TMenu(TComponent* owner) : TComponent(owner), m_items(new TMenuItem(this)) { m_items->m_menu = this; }

TMenu::~TMenu() {
    setState(classes::ComponentState::Destroying, true);
    // The tree goes first, while this is still a menu its items can tell of changes.
    m_items->m_menu = nullptr;
    delete m_items;
}

bool TMenu::isShortCut(int key, TShiftState shift) {
    TMenuItem* item = m_items->findShortCut(shortCut(static_cast<uint16_t>(key), shift));
    if (!item) return false;
    item->click();
    return true;
}

void TMenu::getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
    m_items->getChildren(proc, root);
}

void TMenu::setChildOrder(TComponent* child, int order) { m_items->setChildOrder(child, order); }

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

void TMainMenu::menuChanged() {
    if (onItemsChanged) onItemsChanged();
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::setPopupComponent(TComponent* c) {
    if (m_popupComponent) m_popupComponent->removeFreeNotification(this);
    m_popupComponent = c;
    if (c) c->freeNotification(this);
}

void TPopupMenu::notification(TComponent* component, classes::Operation operation) {
    TMenu::notification(component, operation);
    if (operation == classes::Operation::Remove && component == m_popupComponent) m_popupComponent = nullptr;
}

void TPopupMenu::popup(int x, int y) {
    const auto alive = items()->aliveToken();
    fireEvent(onPopup, {static_cast<classes::TObject*>(this)});
    if (alive.expired()) return;
    toolkit::popupMenu(*items(), {x, y}, m_alignment);
}

// --- routines ---

TShortCut shortCut(uint16_t key, TShiftState shift) {
    if (key & 0xFF00) return 0;
    TShortCut sc = key;
    if (shift & (1u << ssShift)) sc |= scShift;
    if (shift & (1u << ssCtrl)) sc |= scCtrl;
    if (shift & (1u << ssAlt)) sc |= scAlt;
    return sc;
}

void shortCutToKey(TShortCut sc, uint16_t& key, TShiftState& shift) {
    key = sc & 0xFF;
    shift = 0;
    if (sc & scShift) shift |= 1u << ssShift;
    if (sc & scCtrl) shift |= 1u << ssCtrl;
    if (sc & scAlt) shift |= 1u << ssAlt;
}

std::string shortCutToText(TShortCut sc) {
    const std::string name = keyName(sc & 0xFF);
    if (name.empty()) return {};
    std::string text;
    if (sc & scShift) text += "Shift+";
    if (sc & scCtrl) text += "Ctrl+";
    if (sc & scAlt) text += "Alt+";
    return text + name;
}

TShortCut textToShortCut(std::string_view text) {
    TShortCut mods = 0;
    for (bool more = true; more;) {
        more = false;
        for (auto [prefix, flag] : {std::pair{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
            const std::string_view p(prefix);
            // "Ctrl++" names the plus key, so a modifier needs something after it.
            if (text.size() > p.size() && base::asciiSameText(text.substr(0, p.size()), p)) {
                mods |= flag;
                text.remove_prefix(p.size());
                more = true;
            }
        }
    }
    if (text.empty()) return 0;
    for (uint16_t key = 0x08; key <= 0xFF; ++key) {
        const std::string name = keyName(key);
        if (!name.empty() && base::asciiSameText(name, text)) return static_cast<TShortCut>(key | mods);
    }
    return 0;
}

namespace {
void takeItems(TMenu& menu, const std::vector<TMenuItem*>& items) {
    // Items without an owner come to the menu's owner, which frees them with itself.
    std::function<void(TMenuItem*)> adopt = [&](TMenuItem* item) {
        if (!item->owner() && menu.owner()) menu.owner()->insertComponent(item);
        for (TMenuItem* sub : item->items()) adopt(sub);
    };
    for (TMenuItem* item : items) {
        if (!item) continue;
        adopt(item);
        menu.items()->add(item);
    }
}
}  // namespace

TMainMenu* newMenu(TComponent* owner, const std::string& name, const std::vector<TMenuItem*>& items) {
    auto* menu = new TMainMenu(owner);
    menu->setName(name);
    takeItems(*menu, items);
    return menu;
}

TPopupMenu* newPopupMenu(TComponent* owner, const std::string& name, TPopupAlignment alignment,
                         bool autoPopup, const std::vector<TMenuItem*>& items) {
    auto* menu = new TPopupMenu(owner);
    menu->setName(name);
    menu->setAlignment(alignment);
    menu->setAutoPopup(autoPopup);
    takeItems(*menu, items);
    return menu;
}

TMenuItem* newSubMenu(const std::string& caption, uint16_t helpContext, const std::string& name,
                      const std::vector<TMenuItem*>& items, bool enabled) {
    auto* item = new TMenuItem(nullptr);
    item->setCaption(caption);
    item->setName(name);
    item->setEnabled(enabled);
    item->keptValues()["HelpContext"] = helpContext;
    for (TMenuItem* sub : items)
        if (sub) item->add(sub);
    return item;
}

TMenuItem* newItem(const std::string& caption, TShortCut sc, bool checked, bool enabled,
                   const classes::TMethod& onClick, uint16_t helpContext, const std::string& name) {
    auto* item = new TMenuItem(nullptr);
    item->setCaption(caption);
    item->setShortCut(sc);
    item->setChecked(checked);
    item->setEnabled(enabled);
    item->onClick = onClick;
    item->setName(name);
    item->keptValues()["HelpContext"] = helpContext;
    return item;
}

TMenuItem* newLine() {
    auto* item = new TMenuItem(nullptr);
    item->setCaption("-");
    return item;
}

}  // namespace vcl
