// The forms set: forms (show, modal show, close), the application object and the screen,
// with the modal result constants.
#include "vcl/Forms.h"
#include "classes/ClassInfo.h"
#include "host/std/VclSets.h"
#include "platform/Dialogs.h"

namespace host {
namespace {

using vcl::TApplication;
using vcl::TCustomForm;

struct NamedResult {
    const char* name;
    int value;
};

constexpr NamedResult kModalResults[] = {
    {"mrNone", vcl::mrNone},         {"mrOk", vcl::mrOk},
    {"mrCancel", vcl::mrCancel},     {"mrAbort", vcl::mrAbort},
    {"mrRetry", vcl::mrRetry},       {"mrIgnore", vcl::mrIgnore},
    {"mrYes", vcl::mrYes},           {"mrNo", vcl::mrNo},
    {"mrAll", vcl::mrAll},           {"mrNoToAll", vcl::mrNoToAll},
    {"mrYesToAll", vcl::mrYesToAll},
};

void formMembers(script::Imports& m) {
    m.method("TCustomForm", "procedure Show;", [](TCustomForm& f) { f.show(); })
        .method("TCustomForm", "procedure Hide;", [](TCustomForm& f) { f.hide(); })
        .method("TCustomForm", "procedure Close;", [](TCustomForm& f) { f.close(); })
        .method("TCustomForm", "function CloseQuery: Boolean;", [](TCustomForm& f) { return f.closeQuery(); })
        .method("TCustomForm", "function ShowModal: Integer;", [](TCustomForm& f) { return f.showModal(); })
        .property("TCustomForm", "property Active: Boolean;", [](const TCustomForm& f) { return f.active(); })
        .property("TCustomForm", "property Modal: Boolean;", [](const TCustomForm& f) { return f.modal(); });
}

void applicationMembers(script::Imports& m) {
    m.method("TApplication", "procedure BringToFront;", [](TApplication& a) { a.bringToFront(); })
        .method("TApplication", "procedure Minimize;", [](TApplication& a) { a.minimize(); })
        .method("TApplication", "procedure Restore;", [](TApplication& a) { a.restore(); })
        .method("TApplication", "procedure ProcessMessages;", [](TApplication& a) { a.processMessages(); })
        .method("TApplication", "procedure Terminate;", [](TApplication& a) { a.terminate(); })
        .method("TApplication", "function MessageBox(Text, Caption: PChar; Flags: Longint): Integer;",
                [](TApplication&, const std::string& text, const std::string& caption, int32_t flags) {
                    return platform::dialogs().messageBox(text, caption, static_cast<uint32_t>(flags));
                });
}

}  // namespace

const StdSet& formsSet() {
    static const StdSet set = [] {
        StdSet s;
        s.classes = {&vcl::TControlScrollBar::staticClass(), &TCustomForm::staticClass(),
                     &vcl::TForm::staticClass(), &TApplication::staticClass(), &vcl::TScreen::staticClass()};
        script::Imports& m = s.imports;
        m.type("TModalResult", "Integer").type("TCloseAction", "(caNone, caHide, caFree, caMinimize)");
        for (const NamedResult& r : kModalResults) m.constant(r.name, int32_t(r.value));
        for (const classes::ClassInfo* c : s.classes) m.classType(*c);
        formMembers(m);
        applicationMembers(m);
        return s;
    }();
    return set;
}

}  // namespace host
