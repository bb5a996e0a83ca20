// Push buttons, check boxes and radio buttons on the toolkit's own button widgets. A
// button may close a modal form with its ModalResult and answer Enter (Default) or Escape
// (Cancel); radio buttons with the same parent exclude each other.
#pragma once

#include <memory>

#include "vcl/Controls.h"

namespace vcl {

class TButtonControl : public TWinControl {
public:
    CLASSES_OBJECT(TButtonControl)
    explicit TButtonControl(classes::TComponent* owner);

    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);
    // The user clicked the widget (or pressed Space on it).
    virtual void handleClicked() = 0;

protected:
    void textChanged() override;
    void fontChanged() override;
    void colorChanged() override;
    void enabledChanged() override;
    void handleCreated() override;

private:
    bool m_wordWrap = false;
};

using TModalResult = int;

class TButton : public TButtonControl {
public:
    CLASSES_OBJECT(TButton)
    explicit TButton(classes::TComponent* owner);

    bool isDefault() const { return m_default; }
    void setDefault(bool value);
    bool cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }
    // Clicking sets the form's ModalResult to this (a modal form then closes).
    TModalResult modalResult() const { return m_modalResult; }
    void setModalResult(TModalResult value) { m_modalResult = value; }

    void click() override;
    void handleClicked() override { click(); }
    bool pressedByDialogKey(int key, bool focused) const override;

protected:
    std::unique_ptr<WindowHandle> createHandle() override;

private:
    bool m_default = false, m_cancel = false;
    TModalResult m_modalResult = 0;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
public:
    CLASSES_OBJECT(TCustomCheckBox)
    explicit TCustomCheckBox(classes::TComponent* owner);

    TCheckBoxState state() const { return m_state; }
    // Every change of the state raises OnClick, the program's own included.
    void setState(TCheckBoxState value);
    bool checked() const { return m_state == cbChecked; }
    void setChecked(bool value) { setState(value ? cbChecked : cbUnchecked); }
    bool allowGrayed() const { return m_allowGrayed; }
    void setAllowGrayed(bool value);
    // Which side of the box the caption is on: taRightJustify (the usual) or taLeftJustify.
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    // The next state a click gives: unchecked, grayed (when allowed), checked, unchecked.
    void toggle();
    void handleClicked() override { toggle(); }

protected:
    std::unique_ptr<WindowHandle> createHandle() override;

private:
    TCheckBoxState m_state = cbUnchecked;
    bool m_allowGrayed = false;
    TAlignment m_alignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
public:
    CLASSES_OBJECT(TCheckBox)
    explicit TCheckBox(classes::TComponent* owner);
};

class TRadioButton : public TButtonControl {
public:
    CLASSES_OBJECT(TRadioButton)
    explicit TRadioButton(classes::TComponent* owner);

    bool checked() const { return m_checked; }
    // Checking one unchecks the other radio buttons of the same parent and raises OnClick.
    void setChecked(bool value);
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    void handleClicked() override { setChecked(true); }

protected:
    std::unique_ptr<WindowHandle> createHandle() override;

private:
    bool m_checked = false;
    TAlignment m_alignment = taRightJustify;
};

}  // namespace vcl
