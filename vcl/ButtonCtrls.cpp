// TButton, TCheckBox and TRadioButton: states and clicks as the system's buttons have them.
#include "vcl/ButtonCtrls.h"

#include "classes/ClassBuilder.h"
#include "vcl/Forms.h"
#include "vcl/NativeHandles.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& checkBoxStateType() {
    static const auto t =
        classes::TypeInfo::enumeration("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
    return t;
}
const classes::TypeInfo& leftRightType() {
    static const auto t = classes::TypeInfo::enumeration("TLeftRight", {"taLeftJustify", "taRightJustify"});
    return t;
}
const classes::TypeInfo& modalResultType() {
    static const auto t = classes::TypeInfo::integer("TModalResult");
    return t;
}

template <class Builder>
void captionProperty(Builder& b) {
    b.property("Caption", ct::string(), &TControl::caption,
               [](TControl& c, const std::string& v) { c.setCaption(v); });
}

}  // namespace

const classes::ClassInfo& TButtonControl::staticClass() {
    static const auto info = [] {
        ClassBuilder<TButtonControl> b("TButtonControl", TWinControl::staticClass());
        b.factory({}).property("WordWrap", ct::boolean(), &TButtonControl::wordWrap,
                               &TButtonControl::setWordWrap, {.defaultValue = 0});
        // Actions are not used here: the reference is read and dropped.
        b.property(
            "Action", classes::TComponent::staticClass().typeInfo(),
            [](const TButtonControl&) { return static_cast<classes::TComponent*>(nullptr); },
            [](TButtonControl&, classes::TComponent*) {});
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TButton::staticClass() {
    static const auto info = [] {
        ClassBuilder<TButton> b("TButton", TButtonControl::staticClass());
        captionProperty(b);
        b.property("Default", ct::boolean(), &TButton::isDefault, &TButton::setDefault, {.defaultValue = 0})
            .property("Cancel", ct::boolean(), &TButton::cancel, &TButton::setCancel, {.defaultValue = 0})
            .property("ModalResult", modalResultType(), &TButton::modalResult, &TButton::setModalResult,
                      {.defaultValue = 0});
        b.publicMethod("procedure Click;", &TButton::click);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TCustomCheckBox::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomCheckBox> b("TCustomCheckBox", TButtonControl::staticClass());
        b.factory({});
        captionProperty(b);
        b.property("State", checkBoxStateType(), &TCustomCheckBox::state, &TCustomCheckBox::setState,
                   {.defaultValue = cbUnchecked})
            .property("Checked", ct::boolean(), &TCustomCheckBox::checked, &TCustomCheckBox::setChecked,
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("AllowGrayed", ct::boolean(), &TCustomCheckBox::allowGrayed,
                      &TCustomCheckBox::setAllowGrayed, {.defaultValue = 0})
            .property("Alignment", leftRightType(), &TCustomCheckBox::alignment,
                      &TCustomCheckBox::setAlignment, {.defaultValue = taRightJustify});
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TCheckBox::staticClass() {
    static const auto info = ClassBuilder<TCheckBox>("TCheckBox", TCustomCheckBox::staticClass()).build();
    return *info;
}

const classes::ClassInfo& TRadioButton::staticClass() {
    static const auto info = [] {
        ClassBuilder<TRadioButton> b("TRadioButton", TButtonControl::staticClass());
        captionProperty(b);
        b.property("Checked", ct::boolean(), &TRadioButton::checked, &TRadioButton::setChecked,
                   {.defaultValue = 0})
            .property("Alignment", leftRightType(), &TRadioButton::alignment, &TRadioButton::setAlignment,
                      {.defaultValue = taRightJustify});
        return b.build();
    }();
    return *info;
}

// --- TButtonControl ---

TButtonControl::TButtonControl(classes::TComponent* owner) : TWinControl(owner) {
    setTabStop(true);
    setParentColor(true);
    // The widget says when it was clicked (mouse or keyboard); a click is not a mouse matter.
    setControlStyle(controlStyle() & ~csClickEvents);
}

void TButtonControl::setWordWrap(bool value) {
    m_wordWrap = value;
    syncHandle();
}

void TButtonControl::textChanged() {
    TWinControl::textChanged();
    syncHandle();
}

void TButtonControl::fontChanged() {
    TWinControl::fontChanged();
    syncHandle();
}

void TButtonControl::colorChanged() {
    TWinControl::colorChanged();
    syncHandle();
}

void TButtonControl::enabledChanged() {
    TWinControl::enabledChanged();
    syncHandle();
}

void TButtonControl::handleCreated() {
    TWinControl::handleCreated();
    syncHandle();
}

// --- TButton ---

TButton::TButton(classes::TComponent* owner) : TButtonControl(owner) {
    setBounds(0, 0, 75, 25);
    setParentColor(false);
    setColor(clBtnFace);
}

std::unique_ptr<WindowHandle> TButton::createHandle() { return createButtonHandle(*this, ButtonKind::Push); }

void TButton::setDefault(bool value) {
    m_default = value;
    syncHandle();
}

void TButton::click() {
    if (auto* form = dynamic_cast<TCustomForm*>(topLevel())) form->setModalResult(m_modalResult);
    TButtonControl::click();
}

bool TButton::pressedByDialogKey(int key, bool focused) const {
    if (!visible() || !enabled()) return false;
    if (key == VK_RETURN) return focused || m_default;
    return key == VK_ESCAPE && m_cancel;
}

// --- TCustomCheckBox ---

TCustomCheckBox::TCustomCheckBox(classes::TComponent* owner) : TButtonControl(owner) {
    setBounds(0, 0, 97, 17);
}

std::unique_ptr<WindowHandle> TCustomCheckBox::createHandle() {
    return createButtonHandle(*this, ButtonKind::Check);
}

void TCustomCheckBox::setState(TCheckBoxState value) {
    if (value == m_state) return;
    m_state = value;
    syncHandle();
    if (!hasState(classes::ComponentState::Loading)) click();
}

void TCustomCheckBox::setAllowGrayed(bool value) {
    m_allowGrayed = value;
    syncHandle();
}

void TCustomCheckBox::setAlignment(TAlignment value) {
    m_alignment = value == taLeftJustify ? taLeftJustify : taRightJustify;
    syncHandle();
}

void TCustomCheckBox::toggle() {
    switch (m_state) {
    case cbUnchecked: setState(m_allowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: setState(cbUnchecked); break;
    case cbGrayed: setState(cbChecked); break;
    }
}

TCheckBox::TCheckBox(classes::TComponent* owner) : TCustomCheckBox(owner) {}

// --- TRadioButton ---

TRadioButton::TRadioButton(classes::TComponent* owner) : TButtonControl(owner) { setBounds(0, 0, 113, 17); }

std::unique_ptr<WindowHandle> TRadioButton::createHandle() {
    return createButtonHandle(*this, ButtonKind::Radio);
}

void TRadioButton::setChecked(bool value) {
    if (value == m_checked) {
        // A click on the checked button still reaches the widget, which must show it checked.
        syncHandle();
        return;
    }
    m_checked = value;
    syncHandle();
    if (!value) return;
    if (parent()) {
        for (TControl* c : parent()->controls()) {
            auto* sibling = dynamic_cast<TRadioButton*>(c);
            if (sibling && sibling != this && sibling->m_checked) {
                sibling->m_checked = false;
                sibling->syncHandle();
            }
        }
    }
    if (!hasState(classes::ComponentState::Loading)) click();
}

void TRadioButton::setAlignment(TAlignment value) {
    m_alignment = value == taLeftJustify ? taLeftJustify : taRightJustify;
    syncHandle();
}

}  // namespace vcl
