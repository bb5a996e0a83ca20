// The standard controls, the extended controls and the buttons: their classes as their
// metadata describes them (published properties and events), and the types their events
// name. Members beyond the metadata arrive with the controls' own script bindings.
#include "vcl/StdCtrls.h"
#include "classes/ClassInfo.h"
#include "host/std/VclSets.h"
#include "vcl/Animate.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Buttons.h"
#include "vcl/Edits.h"
#include "vcl/ExtCtrls.h"
#include "vcl/GroupCtrls.h"
#include "vcl/Header.h"
#include "vcl/HotKey.h"
#include "vcl/ListCtrls.h"
#include "vcl/Notebook.h"
#include "vcl/RangeCtrls.h"

namespace host {
namespace {

StdSet classSet(std::vector<const classes::ClassInfo*> classes) {
    StdSet s;
    s.classes = std::move(classes);
    for (const classes::ClassInfo* c : s.classes) s.imports.classType(*c);
    return s;
}

}  // namespace

const StdSet& stdCtrlsSet() {
    static const StdSet set = [] {
        StdSet s = classSet({&vcl::TCustomGroupBox::staticClass(), &vcl::TGroupBox::staticClass(),
                             &vcl::TLabel::staticClass(), &vcl::TCustomEdit::staticClass(),
                             &vcl::TEdit::staticClass(), &vcl::TCustomMemo::staticClass(),
                             &vcl::TMemo::staticClass(), &vcl::TCustomComboBox::staticClass(),
                             &vcl::TComboBox::staticClass(), &vcl::TButtonControl::staticClass(),
                             &vcl::TButton::staticClass(), &vcl::TCustomCheckBox::staticClass(),
                             &vcl::TCheckBox::staticClass(), &vcl::TRadioButton::staticClass(),
                             &vcl::TCustomListBox::staticClass(), &vcl::TListBox::staticClass(),
                             &vcl::TScrollBar::staticClass()});
        // Named by the owner-draw events of lists and menus.
        s.imports.type("TOwnerDrawStateItem",
                       "(odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, "
                       "odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)");
        s.imports.type("TOwnerDrawState", "set of TOwnerDrawStateItem");
        s.imports.type("TScrollCode",
                       "(scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, "
                       "scEndScroll)");
        return s;
    }();
    return set;
}

const StdSet& extCtrlsSet() {
    static const StdSet set =
        classSet({&vcl::TShape::staticClass(), &vcl::TImage::staticClass(), &vcl::TPaintBox::staticClass(),
                  &vcl::TBevel::staticClass(), &vcl::TTimer::staticClass(), &vcl::TPanel::staticClass(),
                  &vcl::TPage::staticClass(), &vcl::TNotebook::staticClass(), &vcl::THeader::staticClass(),
                  &vcl::TCustomRadioGroup::staticClass(), &vcl::TRadioGroup::staticClass()});
    return set;
}

const StdSet& buttonsSet() {
    static const StdSet set = classSet({&vcl::TSpeedButton::staticClass(), &vcl::TBitBtn::staticClass()});
    return set;
}

const StdSet& comCtrlsSet() {
    static const StdSet set = classSet({&vcl::TAnimate::staticClass(), &vcl::THotKey::staticClass(),
                                        &vcl::TCustomHotKey::staticClass(), &vcl::TProgressBar::staticClass(),
                                        &vcl::TTrackBar::staticClass()});
    return set;
}

}  // namespace host
