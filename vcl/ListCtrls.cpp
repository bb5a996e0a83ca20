// TListBox and TComboBox: items, selection and the events of the user's choices.
#include "vcl/ListCtrls.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "vcl/KeptProperties.h"
#include "vcl/NativeHandles.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& listBoxStyleType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TListBoxStyle",
        {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual", "lbVirtualOwnerDraw"});
    return t;
}
const classes::TypeInfo& comboBoxStyleType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TComboBoxStyle",
        {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"});
    return t;
}
const classes::TypeInfo& charCaseType() {
    static const auto t =
        classes::TypeInfo::enumeration("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
    return t;
}
const classes::TypeInfo& drawItemEvent() {
    static const auto t = classes::TypeInfo::method(
        "TDrawItemEvent",
        "procedure (Control: TWinControl; Index: Integer; Rect: TRect; State: TOwnerDrawState);");
    return t;
}
const classes::TypeInfo& measureItemEvent() {
    static const auto t = classes::TypeInfo::method(
        "TMeasureItemEvent", "procedure (Control: TWinControl; Index: Integer; var Height: Integer);");
    return t;
}

bool notStored(const classes::TObject&) { return false; }

[[noreturn]] void listIndexError(int index) {
    throw classes::EListError(classes::format(classes::msg::kListIndexError, {std::to_string(index)}));
}

}  // namespace

const classes::ClassInfo& TCustomListBox::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomListBox> b("TCustomListBox", TWinControl::staticClass());
        b.factory({})
            .property("Items", classes::TStrings::staticClass().typeInfo(), &TCustomListBox::items,
                      &TCustomListBox::setItems)
            .property("ItemIndex", ct::integer(), &TCustomListBox::itemIndex, &TCustomListBox::setItemIndex,
                      {.defaultValue = -1})
            .property("MultiSelect", ct::boolean(), &TCustomListBox::multiSelect,
                      &TCustomListBox::setMultiSelect, {.defaultValue = 0})
            .property("ExtendedSelect", ct::boolean(), &TCustomListBox::extendedSelect,
                      &TCustomListBox::setExtendedSelect, {.defaultValue = 1})
            .property("Sorted", ct::boolean(), &TCustomListBox::sorted, &TCustomListBox::setSorted,
                      {.defaultValue = 0})
            .property("Columns", ct::integer(), &TCustomListBox::columns, &TCustomListBox::setColumns,
                      {.defaultValue = 0})
            .property("ItemHeight", ct::integer(), &TCustomListBox::itemHeight,
                      &TCustomListBox::setItemHeight, {.defaultValue = 16})
            .property("Style", listBoxStyleType(), &TCustomListBox::style, &TCustomListBox::setStyle,
                      {.defaultValue = lbStandard})
            .property("BorderStyle", types::borderStyle(), &TCustomListBox::borderStyle,
                      &TCustomListBox::setBorderStyle, {.defaultValue = bsSingle})
            .property("TopIndex", ct::integer(), &TCustomListBox::topIndex, &TCustomListBox::setTopIndex,
                      {.defaultValue = {}, .stored = notStored})
            .readOnly("SelCount", ct::integer(), &TCustomListBox::selCount,
                      {.defaultValue = {}, .stored = notStored});
        kept::bevels(b);
        kept::ime(b);
        keptProperty(b, "IntegralHeight", ct::boolean(), 0);
        keptProperty(b, "ScrollWidth", ct::integer(), 0);
        keptProperty(b, "TabWidth", ct::integer(), 0);
        keptProperty(b, "AutoComplete", ct::boolean(), 1);
        keptProperty(b, "Count", ct::integer(), 0);
        keptEventProperty(b, "OnDrawItem", drawItemEvent());
        keptEventProperty(b, "OnMeasureItem", measureItemEvent());
        keptEventProperty(b, "OnData", ct::notifyEvent());
        keptEventProperty(b, "OnDataFind", ct::notifyEvent());
        keptEventProperty(b, "OnDataObject", ct::notifyEvent());
        b.publicProperty("property Selected[Index: Integer]: Boolean;", &TCustomListBox::selected,
                         &TCustomListBox::setSelected)
            .publicMethod("procedure Clear;", &TCustomListBox::clear)
            .publicMethod("procedure SelectAll;", &TCustomListBox::selectAll)
            .publicMethod("procedure ClearSelection;", &TCustomListBox::clearSelection)
            .publicMethod("procedure DeleteSelected;", &TCustomListBox::deleteSelected);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TListBox::staticClass() {
    static const auto info = ClassBuilder<TListBox>("TListBox", TCustomListBox::staticClass()).build();
    return *info;
}

const classes::ClassInfo& TCustomComboBox::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomComboBox> b("TCustomComboBox", TWinControl::staticClass());
        b.factory({})
            .property("Style", comboBoxStyleType(), &TCustomComboBox::style, &TCustomComboBox::setStyle,
                      {.defaultValue = csDropDown})
            .property("Items", classes::TStrings::staticClass().typeInfo(), &TCustomComboBox::items,
                      &TCustomComboBox::setItems)
            .property("ItemIndex", ct::integer(), &TCustomComboBox::itemIndex, &TCustomComboBox::setItemIndex,
                      {.defaultValue = -1})
            .property("Text", ct::string(), &TCustomComboBox::text,
                      [](TCustomComboBox& c, const std::string& v) { c.setText(v); })
            .property("DropDownCount", ct::integer(), &TCustomComboBox::dropDownCount,
                      &TCustomComboBox::setDropDownCount, {.defaultValue = 8})
            .property("Sorted", ct::boolean(), &TCustomComboBox::sorted, &TCustomComboBox::setSorted,
                      {.defaultValue = 0})
            .property("MaxLength", ct::integer(), &TCustomComboBox::maxLength, &TCustomComboBox::setMaxLength,
                      {.defaultValue = 0})
            .property("ItemHeight", ct::integer(), &TCustomComboBox::itemHeight,
                      &TCustomComboBox::setItemHeight, {.defaultValue = 13})
            .property("DroppedDown", ct::boolean(), &TCustomComboBox::droppedDown,
                      &TCustomComboBox::setDroppedDown, {.defaultValue = {}, .stored = notStored});
        kept::bevels(b);
        kept::ime(b);
        keptProperty(b, "AutoComplete", ct::boolean(), 1);
        keptProperty(b, "AutoDropDown", ct::boolean(), 0);
        keptProperty(b, "AutoCloseUp", ct::boolean(), 0);
        keptProperty(b, "CharCase", charCaseType(), 0);
        b.event("OnChange", ct::notifyEvent(), &TCustomComboBox::onChange);
        b.event("OnDropDown", ct::notifyEvent(), &TCustomComboBox::onDropDown);
        b.event("OnCloseUp", ct::notifyEvent(), &TCustomComboBox::onCloseUp);
        b.event("OnSelect", ct::notifyEvent(), &TCustomComboBox::onSelect);
        keptEventProperty(b, "OnDrawItem", drawItemEvent());
        keptEventProperty(b, "OnMeasureItem", measureItemEvent());
        b.publicMethod("procedure Clear;", &TCustomComboBox::clear)
            .publicMethod("procedure SelectAll;", &TCustomComboBox::selectAll)
            .publicProperty("property SelStart: Integer;", &TCustomComboBox::selStart,
                            &TCustomComboBox::setSelStart)
            .publicProperty("property SelLength: Integer;", &TCustomComboBox::selLength,
                            &TCustomComboBox::setSelLength)
            .publicProperty("property SelText: string;", &TCustomComboBox::selText,
                            [](TCustomComboBox& c, const std::string& v) { c.setSelText(v); });
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TComboBox::staticClass() {
    static const auto info = ClassBuilder<TComboBox>("TComboBox", TCustomComboBox::staticClass()).build();
    return *info;
}

// --- TCustomListBox ---

TCustomListBox::TCustomListBox(classes::TComponent* owner)
    : TWinControl(owner),
      m_items(std::make_unique<TControlStrings>(static_cast<TControlStrings::Listener&>(*this))) {
    setBounds(0, 0, 121, 97);
    setTabStop(true);
    setColor(clWindow);
    setParentColor(false);
    // The selection changing raises OnClick, from the mouse or the keyboard alike.
    setControlStyle(controlStyle() & ~csClickEvents);
}

TCustomListBox::~TCustomListBox() = default;

std::unique_ptr<WindowHandle> TCustomListBox::createHandle() { return createListBoxHandle(*this); }

ItemsHandle* TCustomListBox::itemsHandle() const { return dynamic_cast<ItemsHandle*>(allocatedHandle()); }

void TCustomListBox::handleCreated() {
    TWinControl::handleCreated();
    if (auto* h = itemsHandle()) h->itemsReset();
    syncHandle();
}

classes::TStrings* TCustomListBox::items() const { return m_items.get(); }

void TCustomListBox::loaded() {
    TWinControl::loaded();
    if (m_loadedIndex >= 0) setItemIndex(m_loadedIndex);
    m_loadedIndex = -1;
}

void TCustomListBox::setItems(classes::TStrings* items) {
    if (items) m_items->assign(*items);
}

void TCustomListBox::setItemIndex(int index) {
    if (hasState(classes::ComponentState::Loading)) {
        m_loadedIndex = index;
        return;
    }
    if (index < -1 || index >= m_items->count()) index = -1;
    m_itemIndex = index;
    if (!m_multiSelect) {
        std::fill(m_selection.begin(), m_selection.end(), false);
        if (index >= 0) m_selection[static_cast<size_t>(index)] = true;
    }
    syncHandle();
}

void TCustomListBox::setMultiSelect(bool value) {
    m_multiSelect = value;
    if (!value) setItemIndex(m_itemIndex);
    syncHandle();
}

void TCustomListBox::setExtendedSelect(bool value) {
    m_extendedSelect = value;
    syncHandle();
}

bool TCustomListBox::selected(int index) const {
    if (index < 0 || index >= m_items->count()) listIndexError(index);
    return m_selection[static_cast<size_t>(index)];
}

void TCustomListBox::setSelected(int index, bool value) {
    if (index < 0 || index >= m_items->count()) listIndexError(index);
    if (!m_multiSelect) {
        // One selection only: selecting makes it the current item, unselecting clears it.
        if (value)
            setItemIndex(index);
        else if (m_itemIndex == index)
            setItemIndex(-1);
        return;
    }
    m_selection[static_cast<size_t>(index)] = value;
    syncHandle();
}

int TCustomListBox::selCount() const {
    if (!m_multiSelect) return -1;
    return static_cast<int>(std::count(m_selection.begin(), m_selection.end(), true));
}

bool TCustomListBox::sorted() const { return m_items->sorted(); }

void TCustomListBox::setSorted(bool value) { m_items->setSorted(value); }

void TCustomListBox::setColumns(int value) {
    m_columns = std::max(0, value);
    syncHandle();
}

void TCustomListBox::setItemHeight(int value) {
    if (value > 0) m_itemHeight = value;
    syncHandle();
}

void TCustomListBox::setBorderStyle(TBorderStyle value) {
    m_borderStyle = value == bsNone ? bsNone : bsSingle;
    syncHandle();
}

int TCustomListBox::topIndex() const {
    if (auto* h = itemsHandle()) return h->topIndex();
    return m_topIndex;
}

void TCustomListBox::setTopIndex(int index) {
    m_topIndex = std::clamp(index, 0, std::max(0, m_items->count() - 1));
    if (auto* h = itemsHandle()) h->setTopIndex(m_topIndex);
}

int TCustomListBox::itemAtPos(TPoint p, bool existing) const {
    int index = -1;
    if (auto* h = itemsHandle()) {
        index = h->itemAt(p);
    } else if (clientRect().contains(p)) {
        index = m_topIndex + p.y / std::max(1, m_itemHeight);
        if (index >= m_items->count()) index = -1;
    }
    return index < 0 && !existing ? m_items->count() : index;
}

void TCustomListBox::clear() { m_items->clear(); }

void TCustomListBox::selectAll() {
    if (!m_multiSelect) return;
    std::fill(m_selection.begin(), m_selection.end(), true);
    syncHandle();
}

void TCustomListBox::clearSelection() {
    std::fill(m_selection.begin(), m_selection.end(), false);
    if (!m_multiSelect) m_itemIndex = -1;
    syncHandle();
}

void TCustomListBox::deleteSelected() {
    classes::TStrings& list = *m_items;
    list.beginUpdate();
    for (int i = list.count() - 1; i >= 0; --i)
        if (m_selection[static_cast<size_t>(i)]) list.remove(i);
    list.endUpdate();
}

void TCustomListBox::handleSelectionChanged(int current, const std::vector<bool>& selection) {
    if (selection.size() != m_selection.size()) return;
    if (current == m_itemIndex && selection == m_selection) return;
    m_itemIndex = current >= 0 && current < m_items->count() ? current : -1;
    m_selection = selection;
    if (!m_multiSelect) {
        std::fill(m_selection.begin(), m_selection.end(), false);
        if (m_itemIndex >= 0) m_selection[static_cast<size_t>(m_itemIndex)] = true;
    }
    click();
}

void TCustomListBox::itemInserted(int index) {
    m_selection.insert(m_selection.begin() + index, false);
    if (m_itemIndex >= index) ++m_itemIndex;
    if (auto* h = itemsHandle()) h->itemInserted(index);
    syncHandle();
}

void TCustomListBox::itemRemoved(int index) {
    m_selection.erase(m_selection.begin() + index);
    if (m_itemIndex == index)
        m_itemIndex = -1;
    else if (m_itemIndex > index)
        --m_itemIndex;
    if (auto* h = itemsHandle()) h->itemRemoved(index);
    syncHandle();
}

void TCustomListBox::itemChanged(int index) {
    if (auto* h = itemsHandle()) h->itemChanged(index);
}

void TCustomListBox::itemsReset() {
    m_selection.assign(static_cast<size_t>(m_items->count()), false);
    if (m_itemIndex >= m_items->count()) m_itemIndex = -1;
    if (m_itemIndex >= 0 && !m_multiSelect) m_selection[static_cast<size_t>(m_itemIndex)] = true;
    if (auto* h = itemsHandle()) h->itemsReset();
    syncHandle();
}

void TCustomListBox::fontChanged() {
    TWinControl::fontChanged();
    syncHandle();
}

void TCustomListBox::colorChanged() {
    TWinControl::colorChanged();
    syncHandle();
}

TListBox::TListBox(classes::TComponent* owner) : TCustomListBox(owner) {}

// --- TCustomComboBox ---

TCustomComboBox::TCustomComboBox(classes::TComponent* owner)
    : TWinControl(owner),
      m_items(std::make_unique<TControlStrings>(static_cast<TControlStrings::Listener&>(*this))) {
    setBounds(0, 0, 145, 21);
    setTabStop(true);
    setColor(clWindow);
    setParentColor(false);
    setControlStyle(controlStyle() & ~csClickEvents);
}

TCustomComboBox::~TCustomComboBox() = default;

std::unique_ptr<WindowHandle> TCustomComboBox::createHandle() { return createComboBoxHandle(*this); }

ItemsHandle* TCustomComboBox::itemsHandle() const { return dynamic_cast<ItemsHandle*>(allocatedHandle()); }

void TCustomComboBox::handleCreated() {
    TWinControl::handleCreated();
    if (auto* h = itemsHandle()) h->itemsReset();
    syncHandle();
}

classes::TStrings* TCustomComboBox::items() const { return m_items.get(); }

void TCustomComboBox::setItems(classes::TStrings* items) {
    if (items) m_items->assign(*items);
}

void TCustomComboBox::showItem(int index) {
    m_settingText = true;
    setCaption(index >= 0 ? m_items->get(index) : std::string());
    m_settingText = false;
}

void TCustomComboBox::setItemIndex(int index) {
    // A stream gives the index before the items: it applies once they are there.
    if (hasState(classes::ComponentState::Loading)) {
        m_loadedIndex = index;
        return;
    }
    if (index < -1 || index >= m_items->count()) index = -1;
    m_itemIndex = index;
    showItem(index);
    syncHandle();
}

void TCustomComboBox::loaded() {
    TWinControl::loaded();
    const int index = m_loadedIndex;
    m_loadedIndex = -1;
    if (index >= 0 && index < m_items->count())
        setItemIndex(index);
    else
        setText(text());
}

void TCustomComboBox::setText(const std::string& text) {
    const int index = m_items->indexOf(text);
    if (listOnly() && !hasState(classes::ComponentState::Loading)) {
        setItemIndex(index);
        return;
    }
    m_settingText = true;
    setCaption(text);
    m_settingText = false;
    m_itemIndex = index;
    syncHandle();
}

void TCustomComboBox::setStyle(TComboBoxStyle value) {
    m_style = value;
    if (listOnly() && !hasState(classes::ComponentState::Loading)) showItem(m_itemIndex);
    syncHandle();
}

void TCustomComboBox::setDropDownCount(int value) {
    m_dropDownCount = std::max(1, value);
    syncHandle();
}

bool TCustomComboBox::sorted() const { return m_items->sorted(); }

void TCustomComboBox::setSorted(bool value) { m_items->setSorted(value); }

void TCustomComboBox::setMaxLength(int value) {
    m_maxLength = std::max(0, value);
    syncHandle();
}

void TCustomComboBox::setDroppedDown(bool value) {
    m_droppedDown = value;
    syncHandle();
}

void TCustomComboBox::clear() {
    m_items->clear();
    setText({});
}

void TCustomComboBox::selectAll() {
    setSelStart(0);
    setSelLength(static_cast<int>(text().size()));
}

int TCustomComboBox::selStart() const {
    if (listOnly()) return 0;
    if (auto* h = dynamic_cast<TextHandle*>(allocatedHandle())) return h->selStart();
    return std::min<int>(m_selStart, static_cast<int>(text().size()));
}

int TCustomComboBox::selLength() const {
    if (listOnly()) return 0;
    if (auto* h = dynamic_cast<TextHandle*>(allocatedHandle())) return h->selLength();
    return std::clamp(m_selLength, 0, static_cast<int>(text().size()) - selStart());
}

void TCustomComboBox::setSelStart(int value) {
    if (listOnly()) return;
    m_selStart = std::clamp(value, 0, static_cast<int>(text().size()));
    m_selLength = 0;
    if (auto* h = dynamic_cast<TextHandle*>(allocatedHandle())) h->setSelection(m_selStart, 0);
}

void TCustomComboBox::setSelLength(int value) {
    if (listOnly()) return;
    const int start = selStart();
    m_selStart = start;
    m_selLength = std::clamp(value, 0, static_cast<int>(text().size()) - start);
    if (auto* h = dynamic_cast<TextHandle*>(allocatedHandle())) h->setSelection(start, m_selLength);
}

std::string TCustomComboBox::selText() const {
    return text().substr(static_cast<size_t>(selStart()), static_cast<size_t>(selLength()));
}

void TCustomComboBox::setSelText(const std::string& value) {
    if (listOnly()) return;
    if (auto* h = dynamic_cast<TextHandle*>(allocatedHandle())) {
        h->replaceSelection(value);
        return;
    }
    const int start = selStart(), length = selLength();
    std::string t = text();
    t.replace(static_cast<size_t>(start), static_cast<size_t>(length), value);
    setText(t);
    m_selStart = start + static_cast<int>(value.size());
    m_selLength = 0;
}

void TCustomComboBox::textChanged() {
    TWinControl::textChanged();
    syncHandle();
}

void TCustomComboBox::handleItemChosen(int index) {
    if (index < 0 || index >= m_items->count()) return;
    m_itemIndex = index;
    showItem(index);
    syncHandle();
    const auto alive = aliveToken();
    click();
    if (alive.expired()) return;
    if (onSelect)
        fireEvent(onSelect, {static_cast<classes::TObject*>(this)});
    else
        fireEvent(onChange, {static_cast<classes::TObject*>(this)});
}

void TCustomComboBox::handleTextEdited(const std::string& text) {
    if (listOnly() || text == caption()) return;
    m_settingText = true;
    setCaption(text);
    m_settingText = false;
    m_itemIndex = m_items->indexOf(text);
    fireEvent(onChange, {static_cast<classes::TObject*>(this)});
}

void TCustomComboBox::handleDropDown(bool open) {
    if (open == m_droppedDown) return;
    m_droppedDown = open;
    fireEvent(open ? onDropDown : onCloseUp, {static_cast<classes::TObject*>(this)});
}

bool TCustomComboBox::wantsKey(int key) const {
    return m_droppedDown && (key == VK_RETURN || key == VK_ESCAPE);
}

void TCustomComboBox::itemInserted(int index) {
    if (m_itemIndex >= index) ++m_itemIndex;
    if (auto* h = itemsHandle()) h->itemInserted(index);
    syncHandle();
}

void TCustomComboBox::itemRemoved(int index) {
    if (m_itemIndex == index) {
        m_itemIndex = -1;
        if (listOnly()) showItem(-1);
    } else if (m_itemIndex > index) {
        --m_itemIndex;
    }
    if (auto* h = itemsHandle()) h->itemRemoved(index);
    syncHandle();
}

void TCustomComboBox::itemChanged(int index) {
    if (index == m_itemIndex) showItem(index);
    if (auto* h = itemsHandle()) h->itemChanged(index);
}

void TCustomComboBox::itemsReset() {
    if (m_itemIndex >= m_items->count()) m_itemIndex = -1;
    if (m_items->count() == 0) m_itemIndex = -1;
    if (auto* h = itemsHandle()) h->itemsReset();
    syncHandle();
}

void TCustomComboBox::fontChanged() {
    TWinControl::fontChanged();
    syncHandle();
}

void TCustomComboBox::colorChanged() {
    TWinControl::colorChanged();
    syncHandle();
}

TComboBox::TComboBox(classes::TComponent* owner) : TCustomComboBox(owner) {}

}  // namespace vcl
