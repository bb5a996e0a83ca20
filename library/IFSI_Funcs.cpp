#include "library/IFSI_Funcs.h"

#include "components/TimerEx.h"
#include "platform/Paths.h"
#include "script/Imports.h"
#include "vcl/Graphic.h"
#include "vcl/Picture.h"

namespace library {
namespace {

using vcl::TPicture;

// Scripts name files the Windows way; loading fails as the picture does (unknown
// extension, unreadable file), which the script sees as an exception.
std::string nativePath(const std::string& windowsPath) { return platform::resolvePath(windowsPath).string(); }

}  // namespace

const script::Imports& picturePartImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(TPicture::staticClass())
            .method("TPicture", "Procedure LoadFromFile( const Filename : string)",
                    [](TPicture& p, const std::string& f) { p.loadFromFile(nativePath(f)); })
            .method("TPicture", "Procedure SaveToFile( const Filename : string)",
                    [](const TPicture& p, const std::string& f) { p.saveToFile(nativePath(f)); })
            .method("TPicture", "procedure Assign(Source: TPersistent);",
                    [](TPicture& p, classes::TPersistent* source) {
                        if (source)
                            p.assign(*source);
                        else
                            p.setGraphic(nullptr);
                    });
        return m;
    }();
    return table;
}

// The event properties this step adds to the standard classes (OnKeyDown of any windowed
// control, OnMouseEnter of labels, OnChange of combo boxes and track bars, ...) are
// published in the component model's metadata already, so declaring the classes carries
// them; the component modules add their own classes' events.
const script::Imports& funcsClassImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(vcl::TIcon::staticClass())
            .type(
                "TMouseWheelEvent",
                "procedure (Sender: TObject; Shift: TShiftState; WheelDelta: Integer; MousePos: TPoint; var "
                "Handled: Boolean);")
            .type("TMouseWheelUpDownEvent",
                  "procedure (Sender: TObject; Shift: TShiftState; MousePos: TPoint; var Handled: Boolean);")
            .type("TKeyEvent", "procedure (Sender: TObject; var Key: Word; Shift: TShiftState);")
            .type("TKeyPressEvent", "procedure (Sender: TObject; var Key: Char);")
            .type("THelpEvent", "function (Command: Word; Data: Longint; var CallHelp: Boolean): Boolean;")
            .classType(components::TTimerEx::staticClass());
        return m;
    }();
    return table;
}

}  // namespace library
