// Menus: trees of TMenuItem under a form's main menu or a control's pop-up menu, and the
// shortcut routines (key + shift state packed into one word, and its menu text). The
// model owns the trees; the toolkit builds its menu bar and pop-ups from them and hands
// every choice back as TMenuItem::click. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classes/TComponent.h"
#include "vcl/Controls.h"

namespace vcl {

class TBitmap;
class TMenu;

// A key with its shift state: the virtual-key code in the low byte, scShift, scCtrl and
// scAlt above it.
using TShortCut = uint16_t;
inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

enum TPopupAlignment { paLeft, paRight, paCenter };

class TMenuItem : public classes::TComponent {
public:
    CLASSES_OBJECT(TMenuItem)
    explicit TMenuItem(classes::TComponent* owner);
    // Frees the sub-items and leaves the parent item.
    ~TMenuItem() override;

    const std::string& caption() const { return m_caption; }
    void setCaption(const std::string& caption);
    // A caption of "-" makes the item a separator line.
    bool isLine() const { return m_caption == "-"; }
    bool checked() const { return m_checked; }
    // Checking a radio item unchecks the other radio items of its group under the same parent.
    void setChecked(bool value);
    bool radioItem() const { return m_radioItem; }
    void setRadioItem(bool value);
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int value);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool value);
    bool visible() const { return m_visible; }
    void setVisible(bool value);
    TShortCut shortCut() const { return m_shortCut; }
    void setShortCut(TShortCut value);
    bool isDefault() const { return m_default; }
    void setDefault(bool value);
    bool autoCheck() const { return m_autoCheck; }
    void setAutoCheck(bool value) { m_autoCheck = value; }
    const std::string& hint() const { return m_hint; }
    void setHint(const std::string& hint) { m_hint = hint; }
    TBitmap* bitmap() const { return m_bitmap.get(); }
    void setBitmap(TBitmap* bitmap);

    // Sub-items.
    int count() const { return static_cast<int>(m_items.size()); }
    // Throws EListError("List index out of bounds (%d)").
    TMenuItem* item(int index) const;
    const std::vector<TMenuItem*>& items() const { return m_items; }
    TMenuItem* parentItem() const { return m_parent; }
    // The menu whose tree holds this item, or null.
    TMenu* menu() const;
    // Adds (or moves) `item` to the end or to `index`. Raises "Menu inserted twice" when the
    // item is already in a menu tree elsewhere and "Menu index out of range" for a bad index.
    void add(TMenuItem* item);
    void insert(int index, TMenuItem* item);
    // Takes `item` out without freeing it (the caller owns it then unless it has an owner).
    void remove(TMenuItem* item);
    // Delete: takes the item at `index` out without freeing it.
    void deleteItem(int index);
    // Frees every sub-item.
    void clear();
    int indexOf(const TMenuItem* item) const;
    // The sub-item whose caption, without its "&", matches `caption` case-insensitively.
    TMenuItem* find(std::string_view caption) const;
    // The item whose shortcut this is, searching visible, enabled items depth first.
    TMenuItem* findShortCut(TShortCut shortCut);

    // A choice of this item: an auto-check item toggles, then OnClick runs.
    virtual void click();
    classes::TMethod onClick;

    // Designer values with no effect here (HelpContext, ImageIndex, Break, ...).
    std::map<std::string, int64_t>& keptValues() const { return m_kept; }

    // Expires when the item is freed (a handler may free its own menu).
    std::weak_ptr<const char> aliveToken() const { return m_alive; }

    bool hasParent() const override { return true; }
    void setParentComponent(classes::TComponent* parent) override;
    classes::TComponent* parentComponent() const override;
    void getChildren(const std::function<void(classes::TComponent*)>& proc,
                     classes::TComponent* root) const override;
    void setChildOrder(classes::TComponent* child, int order) override;
    void loaded() override;

protected:
    // Something shown changed: the menu that shows this tree rebuilds.
    void changed();

private:
    friend class TMenu;
    void uncheckGroup();

    std::string m_caption;
    bool m_checked = false, m_radioItem = false, m_enabled = true, m_visible = true, m_default = false,
         m_autoCheck = false;
    int m_groupIndex = 0;
    TShortCut m_shortCut = 0;
    std::string m_hint;
    std::unique_ptr<TBitmap> m_bitmap;
    TMenuItem* m_parent = nullptr;
    TMenu* m_menu = nullptr;  // set on a menu's root item only
    std::vector<TMenuItem*> m_items;
    mutable std::map<std::string, int64_t> m_kept;
    std::shared_ptr<const char> m_alive = std::make_shared<const char>('\0');
};

class TMenu : public classes::TComponent {
public:
    CLASSES_OBJECT(TMenu)
    explicit TMenu(classes::TComponent* owner);
    ~TMenu() override;

    // The invisible root item whose sub-items are the menu's items.
    TMenuItem* items() const { return m_items; }
    // Runs the item a shortcut belongs to; true when one took it.
    bool isShortCut(int key, TShiftState shift);

    void getChildren(const std::function<void(classes::TComponent*)>& proc,
                     classes::TComponent* root) const override;
    void setChildOrder(classes::TComponent* child, int order) override;

    // Called when anything shown in the tree changed.
    virtual void menuChanged() {}
    std::map<std::string, int64_t>& keptValues() const { return m_kept; }

private:
    TMenuItem* m_items;
    mutable std::map<std::string, int64_t> m_kept;
};

// The menu bar of a form (the form's Menu).
class TMainMenu : public TMenu {
public:
    CLASSES_OBJECT(TMainMenu)
    explicit TMainMenu(classes::TComponent* owner);

    // The form showing this menu sets this to hear of changes.
    std::function<void()> onItemsChanged;
    void menuChanged() override;
};

class TPopupMenu : public TMenu {
public:
    CLASSES_OBJECT(TPopupMenu)
    explicit TPopupMenu(classes::TComponent* owner);

    TPopupAlignment alignment() const { return m_alignment; }
    void setAlignment(TPopupAlignment a) { m_alignment = a; }
    bool autoPopup() const { return m_autoPopup; }
    void setAutoPopup(bool value) { m_autoPopup = value; }
    // The control the menu popped up for last.
    classes::TComponent* popupComponent() const { return m_popupComponent; }
    void setPopupComponent(classes::TComponent* c);
    // Raises OnPopup, then shows the menu with its corner at the screen point (X is its
    // left edge, right edge or centre by Alignment). Returns at once; a choice arrives later
    // as the item's click.
    void popup(int x, int y);
    classes::TMethod onPopup;

    void notification(classes::TComponent* component, classes::Operation operation) override;

private:
    TPopupAlignment m_alignment = paLeft;
    bool m_autoPopup = true;
    classes::TComponent* m_popupComponent = nullptr;
};

// --- shortcut and menu-building routines ---

TShortCut shortCut(uint16_t key, TShiftState shift);
void shortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift);
// "Ctrl+S", "Shift+Alt+F4", "Del": modifiers Shift, Ctrl, Alt in that order, then the key's
// name; empty for no shortcut or a key without a name.
std::string shortCutToText(TShortCut shortCut);
// The inverse, case-insensitive; 0 when the text names no key.
TShortCut textToShortCut(std::string_view text);

// The routines scripts build menus with. Items given are taken into the new menu (or
// sub-menu), which frees them with itself.
TMainMenu* newMenu(classes::TComponent* owner, const std::string& name, const std::vector<TMenuItem*>& items);
TPopupMenu* newPopupMenu(classes::TComponent* owner, const std::string& name, TPopupAlignment alignment,
                         bool autoPopup, const std::vector<TMenuItem*>& items);
TMenuItem* newSubMenu(const std::string& caption, uint16_t helpContext, const std::string& name,
                      const std::vector<TMenuItem*>& items, bool enabled = true);
TMenuItem* newItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled,
                   const classes::TMethod& onClick, uint16_t helpContext, const std::string& name);
TMenuItem* newLine();

namespace types {
const classes::TypeInfo& shortCut();  // "TShortCut", Word
}

namespace toolkit {
// Shows the items below `items` as a pop-up menu with its corner at the screen point.
void popupMenu(const TMenuItem& items, TPoint at, TPopupAlignment alignment);
}  // namespace toolkit

}  // namespace vcl
