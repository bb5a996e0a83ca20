#include "library/IFSI_Shell.h"

#include <utility>

#include "base/Error.h"
#include "classes/PropValue.h"
#include "library/Guarded.h"
#include "library/Shell.h"
#include "script/Imports.h"

namespace library {
namespace {

enum TDWWindowsDialog : uint8_t {};

bool shellExecScript(std::string_view fileName, std::string_view params, std::string workingDir,
                     int32_t showCmd, int32_t& errorCode) {
    return shellExec(fileName, params, std::move(workingDir), showCmd, errorCode);
}

// No automation servers exist here: every class name is unknown, as an unregistered one is.
classes::Variant noOleClass(std::string_view) { throw base::ScriptError("Invalid class string"); }

// Control-panel pages and the shell's open-with and properties dialogs have no counterpart
// on a Linux desktop; the routines do nothing.
void noSpecialDialog(TDWWindowsDialog) {}
void noShellDialog(std::string_view) {}
void nothing() {}

}  // namespace

const script::Imports& shellImports() {
    static const script::Imports table = [] {
        script::Imports m;
        // Programs and documents.
        m.routine(
             "Function ShellExec( const Filename, Params : String; WorkingDir : String; const ShowCmd : "
             "Integer; var ErrorCode : Integer) : Boolean",
             guarded<&shellExecScript>)
            .routine(
                "Function AppExec( const CmdLine, CmdParams : String; const CmdShow : Integer) : Boolean",
                guarded<&appExec>)
            .routine("Function FileExec( const aCmdLine : String; aHide, aWait : Boolean) : Boolean",
                     guarded<&fileExec>)
            .routine(
                "Function FileExecEx( const aCmdLine : String; aHide, aWait : Boolean; var ResultCode : "
                "integer) : Boolean",
                guarded<&fileExecEx>)
            .routine("Procedure ExecAndWait( const FileName, Params : String; const CmdShow : Integer)",
                     guarded<&execAndWait>)
            .routine("Procedure AppRestart", guarded<&appRestart>)
            .routine(
                "Function AppIsResponding( const ClassName : String; const TimeOut : Cardinal) : Boolean",
                guarded<&appIsResponding>)
            .routine("Procedure MinimizeAllWindows", guarded<&minimizeAllWindows>)
            .routine("Procedure ShowDesktop", guarded<&showDesktop>)
            .routine("Function SafeLoadLibrary( const Filename : String; ErrorMode : Integer) : Integer",
                     guarded<&safeLoadLibrary>)
            .routine("Procedure FileOpenWithDialog( const Filename : String)", &noShellDialog)
            .routine("Procedure FilePropertiesDialog( const Filename : String)", &noShellDialog)
            .routine("Function GetAssociatedProgram( const Ext : String) : String",
                     guarded<&getAssociatedProgram>)
            .routine("Procedure StartNewBrowserWindow( const URL : string)", guarded<&startNewBrowserWindow>)
            .routine("Procedure ShowSpecialDialog( const SpecialDialog : TDWWindowsDialog)", &noSpecialDialog)
            .routine("procedure CoFreeUnusedLibraries;", &nothing)
            .routine("function CreateOleObject(const ClassName: string): Variant;",
                     &noOleClass)  // not guarded
            .routine("function GetActiveOleObject(const ClassName: string): Variant;",
                     &noOleClass);  // not guarded

        // Command line, environment and folders.
        m.routine("Function NewParamCount : Integer", guarded<&paramCount>)
            .routine("Function NewParamStr( Index : Integer) : string", guarded<&paramStr>)
            .routine("Function GetCmdTail : String", guarded<&getCmdTail>)
            .routine("Function GetEnv( const EnvVar : String) : String", guarded<&getEnv>)
            .routine("Function GetShellFolderPath( const FolderID : Integer) : String",
                     guarded<&getShellFolderPath>)
            .routine("Function GetSpecialFolder( const SpecialFolder : TDWSpecialFolder) : String",
                     guarded<&getSpecialFolder>)
            .routine("Function SpecialFolderToCSIDL( const SpecialFolder : TDWSpecialFolder) : Word",
                     guarded<&specialFolderToCSIDL>)
            .routine("Function GetProgramFilesPath : String", guarded<&getProgramFilesPath>)
            .routine("Function GetCommonFilesPath : String", guarded<&getCommonFilesPath>);

        // Installation helpers.
        m.routine(
             "Function CreateShellLink( const Filename, Description, ShortcutTo, Parameters, WorkingDir, "
             "IconFilename : String; const IconIndex, ShowCmd : Integer; const HotKey : Word) : Boolean",
             &createShellLink)  // not guarded
            .routine(
                "Procedure IncrementSharedCount( const Filename : String; const AlreadyExisted : Boolean)",
                &incrementSharedCount)  // not guarded
            .routine("Function DecrementSharedCount( const Filename : String) : Boolean",
                     &decrementSharedCount)  // not guarded
            .routine("Function FontAdd( const FontFilename : String) : Boolean", guarded<&fontAdd>)
            .routine("Function FontRemove( const FontFilename : String) : Boolean", guarded<&fontRemove>)
            .routine("Procedure UnregisterFont( const FontName, FontFilename : String)",
                     guarded<&unregisterFont>)
            .routine("Procedure RegisterServer( const Filename : String; const FailCriticalErrors : Boolean)",
                     &registerServer)  // not guarded
            .routine(
                "Function UnregisterServer( const Filename : String; const FailCriticalErrors : Boolean) : "
                "Boolean",
                guarded<&unregisterServer>)
            .routine("Procedure RegisterTypeLibrary( const Filename : String)", &registerTypeLibrary)
            .routine("Function UnregisterTypeLibrary( const Filename : String) : Boolean",
                     [](std::string_view) { return false; })
            .routine("Function IsProtectedSystemFile( const Filename : String) : Boolean",
                     [](std::string_view) { return false; })  // no file protection service
            .routine("Procedure DelayDeleteFile( const Filename : String; const Tries : Integer)",
                     guarded<&delayDeleteFile>)
            .routine("Procedure RestartReplace( const TempFile, DestFile : String)",
                     &restartReplace)  // not guarded
            .routine("Procedure RestartComputer", guarded<&restartComputer>);
        return m;
    }();
    return table;
}

}  // namespace library
