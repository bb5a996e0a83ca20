// TGroupBox and TRadioGroup.
#include "vcl/GroupCtrls.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/NativeHandles.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

// A radio button of a radio group: its check is the group's choice.
class TGroupButton final : public TRadioButton {
public:
    CLASSES_OBJECT(TGroupButton)
    TGroupButton(TCustomRadioGroup& group) : TRadioButton(&group), m_group(group) {}
    void click() override {
        const auto alive = aliveToken();
        TRadioButton::click();
        if (!alive.expired() && checked()) m_group.buttonChecked(this);
    }

private:
    TCustomRadioGroup& m_group;
};

}  // namespace

const classes::ClassInfo& TGroupButton::staticClass() {
    static const auto info =
        ClassBuilder<TGroupButton>("TGroupButton", TRadioButton::staticClass()).factory({}).build();
    return *info;
}

const classes::ClassInfo& TCustomGroupBox::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomGroupBox> b("TCustomGroupBox", TWinControl::staticClass());
        b.factory({}).property("Caption", ct::string(), &TControl::caption,
                               [](TCustomGroupBox& g, const std::string& v) { g.setCaption(v); });
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TGroupBox::staticClass() {
    static const auto info = ClassBuilder<TGroupBox>("TGroupBox", TCustomGroupBox::staticClass()).build();
    return *info;
}

const classes::ClassInfo& TCustomRadioGroup::staticClass() {
    static const auto info =
        ClassBuilder<TCustomRadioGroup>("TCustomRadioGroup", TCustomGroupBox::staticClass())
            .factory({})
            .property("Items", classes::TStrings::staticClass().typeInfo(), &TCustomRadioGroup::items,
                      &TCustomRadioGroup::setItems)
            .property("ItemIndex", ct::integer(), &TCustomRadioGroup::itemIndex,
                      &TCustomRadioGroup::setItemIndex, {.defaultValue = -1})
            .property("Columns", ct::integer(), &TCustomRadioGroup::columns, &TCustomRadioGroup::setColumns,
                      {.defaultValue = 1})
            .build();
    return *info;
}

const classes::ClassInfo& TRadioGroup::staticClass() {
    static const auto info =
        ClassBuilder<TRadioGroup>("TRadioGroup", TCustomRadioGroup::staticClass()).build();
    return *info;
}

// --- TCustomGroupBox ---

TCustomGroupBox::TCustomGroupBox(classes::TComponent* owner) : TWinControl(owner) {
    m_controlStyle |= csAcceptsControls;
    setBounds(0, 0, 185, 105);
    setParentColor(true);
}

std::unique_ptr<WindowHandle> TCustomGroupBox::createHandle() { return createGroupBoxHandle(*this); }

TRect TCustomGroupBox::contentRect() const {
    TCanvas measure;
    measure.setFont(*font());
    const int h = measure.textHeight("0");
    TRect r = clientRect();
    return {r.left + 1, r.top + h, r.right - 1, r.bottom - 1};
}

void TCustomGroupBox::handleCreated() {
    TWinControl::handleCreated();
    syncHandle();
}

void TCustomGroupBox::textChanged() {
    TWinControl::textChanged();
    syncHandle();
}

void TCustomGroupBox::fontChanged() {
    TWinControl::fontChanged();
    syncHandle();
}

void TCustomGroupBox::colorChanged() {
    TWinControl::colorChanged();
    syncHandle();
}

TGroupBox::TGroupBox(classes::TComponent* owner) : TCustomGroupBox(owner) {}

// --- TCustomRadioGroup ---

TCustomRadioGroup::TCustomRadioGroup(classes::TComponent* owner)
    : TCustomGroupBox(owner),
      m_items(std::make_unique<TControlStrings>(static_cast<TControlStrings::Listener&>(*this))) {
    m_controlStyle &= ~csAcceptsControls;
}

TCustomRadioGroup::~TCustomRadioGroup() = default;

classes::TStrings* TCustomRadioGroup::items() const { return m_items.get(); }

void TCustomRadioGroup::setItems(classes::TStrings* items) {
    if (items) m_items->assign(*items);
}

void TCustomRadioGroup::setItemIndex(int index) {
    if (hasState(classes::ComponentState::Loading)) {
        m_loadedIndex = index;
        return;
    }
    index = std::clamp(index, -1, buttonCount() - 1);
    if (index == m_itemIndex) return;
    if (m_itemIndex >= 0) button(m_itemIndex)->setChecked(false);
    m_itemIndex = index;
    // Checking the button clicks it, which raises the group's OnClick.
    if (index >= 0) button(index)->setChecked(true);
}

void TCustomRadioGroup::buttonChecked(TRadioButton* b) {
    if (m_updating) return;
    auto it = std::find(m_buttons.begin(), m_buttons.end(), b);
    if (it == m_buttons.end()) return;
    m_itemIndex = static_cast<int>(it - m_buttons.begin());
    click();
}

void TCustomRadioGroup::setColumns(int value) {
    value = std::clamp(value, 1, 16);
    if (value == m_columns) return;
    m_columns = value;
    arrangeButtons();
}

void TCustomRadioGroup::loaded() {
    TCustomGroupBox::loaded();
    const int index = m_loadedIndex;
    m_loadedIndex = -1;
    m_updating = true;
    m_itemIndex = -1;
    if (index >= 0 && index < buttonCount()) {
        m_itemIndex = index;
        button(index)->setChecked(true);
    }
    m_updating = false;
}

void TCustomRadioGroup::updateButtons() {
    m_updating = true;
    while (buttonCount() > m_items->count()) {
        delete m_buttons.back();
        m_buttons.pop_back();
    }
    while (buttonCount() < m_items->count()) {
        auto* b = new TGroupButton(*this);
        b->setParent(this);
        m_buttons.push_back(b);
    }
    // Items taken away past the chosen one leave the last item chosen, as the native group does.
    if (m_itemIndex >= buttonCount()) m_itemIndex = buttonCount() - 1;
    for (int i = 0; i < buttonCount(); ++i) {
        TRadioButton* b = button(i);
        b->setCaption(m_items->get(i));
        b->setEnabled(enabled());
        b->setChecked(i == m_itemIndex);
    }
    m_updating = false;
    arrangeButtons();
}

void TCustomRadioGroup::arrangeButtons() {
    if (m_buttons.empty()) return;
    // Buttons fill the columns top to bottom, in equal cells below the caption.
    TCanvas measure;
    measure.setFont(*font());
    const int textHeight = measure.textHeight("0");
    const int count = buttonCount();
    const int perColumn = (count + m_columns - 1) / m_columns;
    const int cellWidth = std::max(0, (width() - 10) / m_columns);
    const int space = std::max(0, height() - textHeight - 5);
    const int cellHeight = space / perColumn;
    const int topMargin = textHeight + 1 + (space % perColumn) / 2;
    for (int i = 0; i < count; ++i) {
        button(i)->setBounds((i / perColumn) * cellWidth + 8, (i % perColumn) * cellHeight + topMargin,
                             cellWidth, cellHeight);
    }
}

void TCustomRadioGroup::boundsChanged() {
    TCustomGroupBox::boundsChanged();
    arrangeButtons();
}

void TCustomRadioGroup::fontChanged() {
    TCustomGroupBox::fontChanged();
    arrangeButtons();
}

void TCustomRadioGroup::enabledChanged() {
    TCustomGroupBox::enabledChanged();
    for (TRadioButton* b : m_buttons) b->setEnabled(enabled());
}

TRadioGroup::TRadioGroup(classes::TComponent* owner) : TCustomRadioGroup(owner) {}

}  // namespace vcl
