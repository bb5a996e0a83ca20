// List boxes and combo boxes on the toolkit's list widgets (owner-drawn styles show their
// items as text: nothing here raises OnDrawItem). Items is a string list the
// widget follows item by item; the selection lives in the model, the widget shows it and
// reports the user's choices back. A choice of the user raises OnClick (and, for combo
// boxes, OnChange and OnSelect); the program's own changes raise nothing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vcl/ControlStrings.h"
#include "vcl/Controls.h"

namespace vcl {

class ItemsHandle;

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };

class TCustomListBox : public TWinControl, private TControlStrings::Listener {
public:
    CLASSES_OBJECT(TCustomListBox)
    explicit TCustomListBox(classes::TComponent* owner);
    ~TCustomListBox() override;

    classes::TStrings* items() const;
    void setItems(classes::TStrings* items);
    // -1: nothing selected. With MultiSelect, the item with the focus rectangle.
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);
    bool multiSelect() const { return m_multiSelect; }
    void setMultiSelect(bool value);
    bool extendedSelect() const { return m_extendedSelect; }
    void setExtendedSelect(bool value);
    // Selected[i]; throws "List index out of bounds (%d)" for a bad index.
    bool selected(int index) const;
    void setSelected(int index, bool value);
    int selCount() const;
    bool sorted() const;
    void setSorted(bool value);
    // More than 1: items flow in that many columns.
    int columns() const { return m_columns; }
    void setColumns(int value);
    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int value);
    TListBoxStyle style() const { return m_style; }
    void setStyle(TListBoxStyle value) { m_style = value; }
    TBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    int topIndex() const;
    void setTopIndex(int index);
    // The item under a client point; -1 (or, with `existing` false, the count) when none.
    int itemAtPos(TPoint p, bool existing) const;
    void clear();
    void selectAll();
    void clearSelection();
    void deleteSelected();

    // The user changed the selection in the widget: the current item and every item's state.
    void handleSelectionChanged(int current, const std::vector<bool>& selection);
    void loaded() override;

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;
    void fontChanged() override;
    void colorChanged() override;
    ItemsHandle* itemsHandle() const;

private:
    void itemInserted(int index) override;
    void itemRemoved(int index) override;
    void itemChanged(int index) override;
    void itemsReset() override;

    std::unique_ptr<TControlStrings> m_items;
    std::vector<bool> m_selection;  // one flag per item
    int m_itemIndex = -1, m_loadedIndex = -1;
    bool m_multiSelect = false, m_extendedSelect = true;
    int m_columns = 0, m_itemHeight = 16, m_topIndex = 0;
    TListBoxStyle m_style = lbStandard;
    TBorderStyle m_borderStyle = bsSingle;
};

class TListBox : public TCustomListBox {
public:
    CLASSES_OBJECT(TListBox)
    explicit TListBox(classes::TComponent* owner);
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox : public TWinControl, private TControlStrings::Listener {
public:
    CLASSES_OBJECT(TCustomComboBox)
    explicit TCustomComboBox(classes::TComponent* owner);
    ~TCustomComboBox() override;

    classes::TStrings* items() const;
    void setItems(classes::TStrings* items);
    // Setting it shows that item's text; -1 clears the text of a drop-down list.
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);
    const std::string& text() const { return caption(); }
    // A drop-down list takes only an item's text (else it shows nothing); the other styles
    // take any text and select the item it names, if one does.
    void setText(const std::string& text);
    TComboBoxStyle style() const { return m_style; }
    void setStyle(TComboBoxStyle value);
    // True for the styles whose text the user cannot type (drop-down list, owner-drawn).
    bool listOnly() const { return m_style >= csDropDownList; }
    int dropDownCount() const { return m_dropDownCount; }
    void setDropDownCount(int value);
    bool sorted() const;
    void setSorted(bool value);
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int value);
    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int value) { m_itemHeight = value; }
    bool droppedDown() const { return m_droppedDown; }
    void setDroppedDown(bool value);
    void clear();
    void selectAll();
    // The selection in the typed text; a drop-down list has none.
    int selStart() const;
    void setSelStart(int value);
    int selLength() const;
    void setSelLength(int value);
    std::string selText() const;
    // Replaces the selection as typing would.
    void setSelText(const std::string& value);

    classes::TMethod onChange, onDropDown, onCloseUp, onSelect;

    // From the widget: the user picked an item, typed text, opened or closed the list.
    void handleItemChosen(int index);
    void handleTextEdited(const std::string& text);
    void handleDropDown(bool open);
    bool wantsKey(int key) const override;
    void loaded() override;

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;
    void fontChanged() override;
    void colorChanged() override;
    void textChanged() override;

private:
    void itemInserted(int index) override;
    void itemRemoved(int index) override;
    void itemChanged(int index) override;
    void itemsReset() override;
    ItemsHandle* itemsHandle() const;
    void showItem(int index);

    std::unique_ptr<TControlStrings> m_items;
    int m_itemIndex = -1, m_loadedIndex = -1;
    TComboBoxStyle m_style = csDropDown;
    int m_dropDownCount = 8, m_maxLength = 0, m_itemHeight = 13;
    bool m_droppedDown = false;
    bool m_settingText = false;
    int m_selStart = 0, m_selLength = 0;  // until the widget holds the selection
};

class TComboBox : public TCustomComboBox {
public:
    CLASSES_OBJECT(TComboBox)
    explicit TComboBox(classes::TComponent* owner);
};

}  // namespace vcl
