#include "host/HostRoutines.h"

#include "host/DebuggerLink.h"
#include "library/Shell.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "runtime/Placeholders.h"
#include "runtime/ProcessState.h"
#include "runtime/Termination.h"
#include "script/Imports.h"

namespace host {
namespace {

enum TDebugCommand { DC_HINT, DC_ERROR, DC_WARNING };

}  // namespace

const script::Imports& hostRoutineImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("procedure ExitProcess(ExitCode : integer)",
                  [](int32_t code) { runtime::ExitProcess(code); })
            .routine("Function ParamCount : Integer", &library::paramCount)
            .routine("Function ParamStr( Index : Integer) : string", &library::paramStr)
            .bind("RepConst", [](const std::string& s) { return runtime::RepConst(s); })
            .bind("DERepConst", [](const std::string& s) { return runtime::DERepConst(s); });
        return m;
    }();
    return table;
}

const script::Imports& debuggerImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TDebugCommand", "( DC_HINT, DC_ERROR, DC_WARNING )")
            .routine("function IsDebuggerAttached : boolean",
                     [] { return runtime::state().debuggerHandle() != 0; })
            .routine("procedure SendCommandToDebugger(Command : TDebugCommand; Param : string)",
                     [](TDebugCommand command, const std::string& param) {
                         if (runtime::state().debuggerHandle() == 0) return;
                         if (DebuggerLink* link = debuggerLink()) link->command(command, param);
                     });
        return m;
    }();
    return table;
}

}  // namespace host
