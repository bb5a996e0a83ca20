// Group boxes (the toolkit's framed box with its caption) and radio groups, whose radio
// buttons come from their Items and are laid out in Columns.
#pragma once

#include <memory>
#include <vector>

#include "vcl/ControlStrings.h"
#include "vcl/Controls.h"

namespace vcl {

class TRadioButton;

class TCustomGroupBox : public TWinControl {
public:
    CLASSES_OBJECT(TCustomGroupBox)
    explicit TCustomGroupBox(classes::TComponent* owner);
    bool nativeBackground() const override { return true; }
    // Where the box's frame leaves room for its contents, in client coordinates.
    TRect contentRect() const;

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;
    void textChanged() override;
    void fontChanged() override;
    void colorChanged() override;
};

class TGroupBox : public TCustomGroupBox {
public:
    CLASSES_OBJECT(TGroupBox)
    explicit TGroupBox(classes::TComponent* owner);
};

class TCustomRadioGroup : public TCustomGroupBox, private TControlStrings::Listener {
public:
    CLASSES_OBJECT(TCustomRadioGroup)
    explicit TCustomRadioGroup(classes::TComponent* owner);
    ~TCustomRadioGroup() override;

    classes::TStrings* items() const;
    void setItems(classes::TStrings* items);
    // The checked button's index; -1 when none is.
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);
    int columns() const { return m_columns; }
    void setColumns(int value);
    // The radio buttons, one per item (owned by the group).
    int buttonCount() const { return static_cast<int>(m_buttons.size()); }
    TRadioButton* button(int index) const { return m_buttons.at(static_cast<size_t>(index)); }

    void loaded() override;
    // A button of the group was checked by the user or the program.
    void buttonChecked(TRadioButton* button);

protected:
    void boundsChanged() override;
    void fontChanged() override;
    void enabledChanged() override;

private:
    void itemInserted(int) override { updateButtons(); }
    void itemRemoved(int) override { updateButtons(); }
    void itemChanged(int) override { updateButtons(); }
    void itemsReset() override { updateButtons(); }
    void updateButtons();
    void arrangeButtons();

    std::unique_ptr<TControlStrings> m_items;
    std::vector<TRadioButton*> m_buttons;
    int m_itemIndex = -1, m_loadedIndex = -1;
    int m_columns = 1;
    bool m_updating = false;
};

class TRadioGroup : public TCustomRadioGroup {
public:
    CLASSES_OBJECT(TRadioGroup)
    explicit TRadioGroup(classes::TComponent* owner);
};

}  // namespace vcl
