// The controls set: TControl and TWinControl with the members scripts call on any
// control (show, hide, bounds, focus, z-order, parent), the graphic and custom controls,
// and the cursor constants.
#include "vcl/Controls.h"
#include "classes/ClassInfo.h"
#include "host/std/VclSets.h"

namespace host {
namespace {

using vcl::TControl;
using vcl::TWinControl;

struct NamedCursor {
    const char* name;
    vcl::TCursor value;
};

constexpr NamedCursor kCursors[] = {
    {"crDefault", vcl::crDefault},     {"crNone", vcl::crNone},           {"crArrow", vcl::crArrow},
    {"crCross", vcl::crCross},         {"crIBeam", vcl::crIBeam},         {"crSizeNESW", vcl::crSizeNESW},
    {"crSizeNS", vcl::crSizeNS},       {"crSizeNWSE", vcl::crSizeNWSE},   {"crSizeWE", vcl::crSizeWE},
    {"crUpArrow", vcl::crUpArrow},     {"crHourGlass", vcl::crHourGlass}, {"crDrag", vcl::crDrag},
    {"crNoDrop", vcl::crNoDrop},       {"crHSplit", vcl::crHSplit},       {"crVSplit", vcl::crVSplit},
    {"crMultiDrag", vcl::crMultiDrag}, {"crSQLWait", vcl::crSQLWait},     {"crNo", vcl::crNo},
    {"crAppStart", vcl::crAppStart},   {"crHelp", vcl::crHelp},           {"crHandPoint", vcl::crHandPoint},
    {"crSizeAll", vcl::crSizeAll},
};

void controlMembers(script::Imports& m) {
    m.method("TControl", "procedure Show;", [](TControl& c) { c.show(); })
        .method("TControl", "procedure Hide;", [](TControl& c) { c.hide(); })
        .method("TControl", "procedure BringToFront;", [](TControl& c) { c.bringToFront(); })
        .method("TControl", "procedure SendToBack;", [](TControl& c) { c.sendToBack(); })
        .method("TControl", "procedure Invalidate;", [](TControl& c) { c.invalidate(); })
        .method("TControl", "procedure Repaint;", [](TControl& c) { c.repaint(); })
        .method("TControl", "procedure Refresh;", [](TControl& c) { c.repaint(); })
        .method("TControl", "procedure Update;", [](TControl& c) { c.update(); })
        .method("TControl", "procedure SetBounds(ALeft, ATop, AWidth, AHeight: Integer);",
                [](TControl& c, int l, int t, int w, int h) { c.setBounds(l, t, w, h); })
        .property(
            "TControl", "property Parent: TWinControl;", [](const TControl& c) { return c.parent(); },
            [](TControl& c, TWinControl* p) { c.setParent(p); })
        .property(
            "TControl", "property ClientWidth: Integer;", [](const TControl& c) { return c.clientWidth(); },
            [](TControl& c, int v) { c.setClientWidth(v); })
        .property(
            "TControl", "property ClientHeight: Integer;", [](const TControl& c) { return c.clientHeight(); },
            [](TControl& c, int v) { c.setClientHeight(v); })
        .property("TControl", "property Showing: Boolean;", [](const TControl& c) { return c.showing(); })
        .method("TWinControl", "procedure SetFocus;", [](TWinControl& c) { c.setFocus(); })
        .method("TWinControl", "function CanFocus: Boolean;",
                [](const TWinControl& c) { return c.canFocus(); })
        .method("TWinControl", "function Focused: Boolean;", [](const TWinControl& c) { return c.focused(); })
        .method("TWinControl", "function HandleAllocated: Boolean;",
                [](const TWinControl& c) { return c.handleAllocated(); })
        .property("TWinControl", "property ControlCount: Integer;",
                  [](const TWinControl& c) { return c.controlCount(); })
        .property("TWinControl", "property Controls[Index: Integer]: TControl;",
                  [](const TWinControl& c, int i) { return c.control(i); });
}

}  // namespace

const StdSet& controlsSet() {
    static const StdSet set = [] {
        StdSet s;
        s.classes = {&TControl::staticClass(), &TWinControl::staticClass(),
                     &vcl::TGraphicControl::staticClass(), &vcl::TCustomControl::staticClass()};
        script::Imports& m = s.imports;
        m.type("TCursor", "Integer")
            .type("TShiftState", "set of (ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)")
            .type("TMouseButton", "(mbLeft, mbRight, mbMiddle)")
            .type("TDragState", "(dsDragEnter, dsDragLeave, dsDragMove)")
            // Dragging is not modelled: the drag objects events name are plain objects.
            .type("TDragObject", "TObject")
            .type("TDragDockObject", "TObject")
            .type("TWMKey",
                  "record Msg: Cardinal; CharCode: Word; Unused: Word; KeyData: Longint; Result: "
                  "Longint; end");
        for (const NamedCursor& c : kCursors) m.constant(c.name, int32_t(c.value));
        for (const classes::ClassInfo* c : s.classes) m.classType(*c);
        controlMembers(m);
        return s;
    }();
    return set;
}

}  // namespace host
