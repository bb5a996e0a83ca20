// The menus set: items, main and pop-up menus with the members scripts build menus with,
// and the shortcut and menu-building routines.
#include "vcl/Menus.h"
#include "classes/ClassInfo.h"
#include "host/std/VclRecords.h"
#include "host/std/VclSets.h"
#include "vcl/Canvas.h"

namespace host {
namespace {

using vcl::TMenuItem;

void itemMembers(script::Imports& m) {
    m.method("TMenuItem", "procedure Add(Item: TMenuItem);",
             [](TMenuItem& i, TMenuItem* item) { i.add(item); })
        .method("TMenuItem", "procedure Insert(Index: Integer; Item: TMenuItem);",
                [](TMenuItem& i, int index, TMenuItem* item) { i.insert(index, item); })
        .method("TMenuItem", "procedure Delete(Index: Integer);",
                [](TMenuItem& i, int index) { i.deleteItem(index); })
        .method("TMenuItem", "procedure Remove(Item: TMenuItem);",
                [](TMenuItem& i, TMenuItem* item) { i.remove(item); })
        .method("TMenuItem", "procedure Clear;", [](TMenuItem& i) { i.clear(); })
        .method("TMenuItem", "procedure Click;", [](TMenuItem& i) { i.click(); })
        .method("TMenuItem", "function IndexOf(Item: TMenuItem): Integer;",
                [](const TMenuItem& i, TMenuItem* item) { return i.indexOf(item); })
        .property("TMenuItem", "property Count: Integer;", [](const TMenuItem& i) { return i.count(); })
        .property("TMenuItem", "property Items[Index: Integer]: TMenuItem; default;",
                  [](const TMenuItem& i, int index) { return i.item(index); })
        .property("TMenuItem", "property Parent: TMenuItem;",
                  [](const TMenuItem& i) { return i.parentItem(); })
        .method("TPopupMenu", "procedure Popup(X, Y: Integer);",
                [](vcl::TPopupMenu& p, int x, int y) { p.popup(x, y); });
}

// Menu items are drawn by the toolkit here; a script drawing one itself gets its caption
// in the rectangle.
enum OwnerDrawStateItem { odSelected };

void drawMenuItem(TMenuItem* item, vcl::TCanvas* canvas, const vcl::TRect& rect,
                  classes::Set<OwnerDrawStateItem>) {
    if (!item || !canvas) return;
    canvas->textRect(rect, rect.left + 2, rect.top + 1, item->caption());
}

void routines(script::Imports& m) {
    m.routine("function ShortCut(Key: Word; Shift: TShiftState): TShortCut;",
              [](uint16_t key, classes::Set<vcl::TShiftStateElem> shift) {
                  return vcl::shortCut(key, static_cast<vcl::TShiftState>(shift.mask()));
              })
        .routine("procedure ShortCutToKey(ShortCut: TShortCut; var Key: Word; var Shift: TShiftState);",
                 [](uint16_t sc, uint16_t& key, classes::Set<vcl::TShiftStateElem>& shift) {
                     vcl::TShiftState s = 0;
                     vcl::shortCutToKey(sc, key, s);
                     shift = classes::Set<vcl::TShiftStateElem>::fromMask(s);
                 })
        .routine("function ShortCutToText(ShortCut: TShortCut): string;",
                 [](uint16_t sc) { return vcl::shortCutToText(sc); })
        .routine("function TextToShortCut(Text: string): TShortCut;",
                 [](const std::string& t) { return vcl::textToShortCut(t); })
        .routine(
            "function NewMenu(Owner: TComponent; const AName: string; Items: array of TMenuItem): TMainMenu;",
            [](classes::TComponent* owner, const std::string& name, const std::vector<TMenuItem*>& items) {
                return vcl::newMenu(owner, name, items);
            })
        .routine(
            "function NewPopupMenu(Owner: TComponent; const AName: string; Alignment: TPopupAlignment; "
            "AutoPopup: Boolean; const Items: array of TMenuItem): TPopupMenu;",
            [](classes::TComponent* owner, const std::string& name, vcl::TPopupAlignment alignment,
               bool autoPopup, const std::vector<TMenuItem*>& items) {
                return vcl::newPopupMenu(owner, name, alignment, autoPopup, items);
            })
        .routine(
            "function NewSubMenu(const ACaption: string; hCtx: Word; const AName: string; Items: array of "
            "TMenuItem; AEnabled: Boolean): TMenuItem;",
            [](const std::string& caption, uint16_t help, const std::string& name,
               const std::vector<TMenuItem*>& items,
               bool enabled) { return vcl::newSubMenu(caption, help, name, items, enabled); })
        .routine(
            "function NewItem(const ACaption: string; AShortCut: TShortCut; AChecked, AEnabled: Boolean; "
            "AOnClick: TNotifyEvent; hCtx: Word; const AName: string): TMenuItem;",
            [](const std::string& caption, uint16_t sc, bool checked, bool enabled,
               const classes::TMethod& onClick, uint16_t help, const std::string& name) {
                return vcl::newItem(caption, sc, checked, enabled, onClick, help, name);
            })
        .routine("function NewLine: TMenuItem;", [] { return vcl::newLine(); })
        .routine(
            "procedure DrawMenuItem(MenuItem: TMenuItem; ACanvas: TCanvas; ARect: TRect; State: "
            "TOwnerDrawState);",
            &drawMenuItem);
}

}  // namespace

const StdSet& menusSet() {
    static const StdSet set = [] {
        StdSet s;
        s.classes = {&TMenuItem::staticClass(), &vcl::TMenu::staticClass(), &vcl::TMainMenu::staticClass(),
                     &vcl::TPopupMenu::staticClass()};
        script::Imports& m = s.imports;
        m.type("TShortCut", "Word").type("TPopupAlignment", "(paLeft, paRight, paCenter)");
        for (const classes::ClassInfo* c : s.classes) m.classType(*c);
        itemMembers(m);
        routines(m);
        return s;
    }();
    return set;
}

}  // namespace host
