#include "library/IFSI_Messages.h"

#include <cerrno>

#include "base/Error.h"
#include "classes/TStrings.h"
#include "library/Messages.h"
#include "script/Imports.h"
#include "vcl/Graphics.h"

namespace library {
namespace {

std::string getFileName(FileDialogKind kind, const std::string& title, const std::string& fileName,
                        const std::string& initialDir, const std::string& filter,
                        const std::string& defaultExt, bool mustExist, bool overwritePrompt, bool& executed) {
    return fileNameDialog(kind, title, fileName, initialDir, filter, defaultExt, mustExist, overwritePrompt,
                          executed);
}

// Not guarded: the script gets the failure as an exception it may catch.
void win32ErrorMsg(const std::string& functionName) {
    const int code = errno;
    throw base::Error(win32ErrorText(functionName, code));
}

}  // namespace

const script::Imports& messageImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("procedure ShowMessage(Msg:string);", [](const std::string& s) { ShowMessage(s); })
            // One routine behind both names.
            .routine("procedure Writeln(Msg:string);", [](const std::string& s) { ShowMessage(s); })
            .routine("function Readln(Msg:string):string;", [](const std::string& s) { return Readln(s); })
            .routine("function InputBox(const ACaption, APrompt, ADefault: string): string;",
                     [](const std::string& c, const std::string& p, const std::string& d) {
                         return InputBox(c, p, d);
                     })
            .routine("function InputQuery(const ACaption, APrompt: string; var Value: string): Boolean;",
                     [](const std::string& c, const std::string& p, std::string& v) {
                         return InputQuery(c, p, v);
                     })
            .routine("function MsgBox(AText,ACaption:string;Flags:integer):integer;",
                     [](const std::string& t, const std::string& c, int32_t f) { return MsgBox(t, c, f); })
            .routine("function MessageBox(AText,ACaption:string;Flags:integer):integer;",
                     [](const std::string& t, const std::string& c, int32_t f) { return MsgBox(t, c, f); })
            .routine("function SelectDirectory(Prompt:String):string;",
                     [](const std::string& p) { return SelectDirectory(p); })
            .routine("function SelectDirectoryEX(Prompt : string; var Dir : string) : boolean;",
                     [](const std::string& p, std::string& d) { return SelectDirectoryEX(p, d); })
            .routine(
                "function GetOpenFileName(Title,Filename,InitialDir,Filter,DefaultExt:string;FileMustExists,"
                "OwervritePrompt:boolean;var executed: boolean):string;",
                [](const std::string& t, const std::string& f, const std::string& i, const std::string& fl,
                   const std::string& e, bool m, bool o,
                   bool& x) { return getFileName(FileDialogKind::Open, t, f, i, fl, e, m, o, x); })
            .routine(
                "function GetSaveFileName(Title,Filename,InitialDir,Filter,DefaultExt:string;FileMustExists,"
                "OwervritePrompt:boolean;var executed: boolean):string;",
                [](const std::string& t, const std::string& f, const std::string& i, const std::string& fl,
                   const std::string& e, bool m, bool o,
                   bool& x) { return getFileName(FileDialogKind::Save, t, f, i, fl, e, m, o, x); })
            .routine(
                "function PromptForFileName(var AFileName: string; const AFilter: string; const ADefaultExt: "
                "string; const ATitle: string; const AInitialDir: string; SaveDialog: Boolean): Boolean;",
                [](std::string& f, const std::string& fl, const std::string& e, const std::string& t,
                   const std::string& i, bool save) { return PromptForFileName(f, fl, e, t, i, save); })
            .routine("function SelectColor(DefaultColor : TColor) : TColor;",
                     [](int32_t c) { return selectColor(c, ColorDialogForm::Short); })
            .routine("function SelectColorEX(DefaultColor : TColor) : TColor;",
                     [](int32_t c) { return selectColor(c, ColorDialogForm::Full); })
            .routine("function SelectFont(DefaultFont : TFont) : TFont;",
                     [](vcl::TFont* f) { return SelectFont(f); })
            .routine(
                "function SelectStringFromList(Caption,Prompt,Default : string; List : TStrings) : string;",
                [](const std::string& c, const std::string& p, const std::string& d, classes::TStrings* l) {
                    return SelectStringFromList(c, p, d, l);
                })
            .routine("function PrinterSetupDialog : boolean;", [] { return PrinterSetupDialog(); })
            .routine("procedure AboutMe(App,OtherStuff:string; windowhandle:integer);",
                     [](const std::string& a, const std::string& o, int32_t h) { AboutMe(a, o, h); })
            .routine("procedure Beep;", [] { Beep(); })
            .routine("Procedure Win32ErrorMsg( const FunctionName : String)", &win32ErrorMsg)
            .routine("Procedure InternalError( const Id : String)",
                     [](const std::string& id) { InternalError(id); })
            // Declared for scripts without a binding: a script calling one compiles but does
            // not load.
            .unbound(
                "Function GetIconDimension( const Filename : String; const Index : Integer) : TDWDimension")
            .unbound("Function GetNumberOfIcons( const Filename : String) : Integer")
            .unbound("Procedure ProcessMessages")
            .unbound("Function HotLightColor : TColor");
        return m;
    }();
    return table;
}

}  // namespace library
