#include "host/HostRoutines.h"

#include "host/DebuggerLink.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "runtime/Placeholders.h"
#include "runtime/ProcessState.h"
#include "runtime/Termination.h"
#include "script/Imports.h"

namespace host {
namespace {

enum TDebugCommand { DC_HINT, DC_ERROR, DC_WARNING };

// Parameter 0 is the player itself, as the system gives its path (at most 260 characters).
std::string paramStr(int32_t index) {
    if (index == 0) {
        std::string path = platform::windowsPath(runtime::state().executable());
        return path.size() < 260 ? path : path.substr(0, 259);
    }
    std::vector<std::string> args = runtime::state().arguments();
    if (index < 0 || static_cast<size_t>(index) > args.size()) return {};
    // A parameter longer than the system's limit is cut there.
    std::string arg = args[static_cast<size_t>(index) - 1];
    if (arg.size() > 4096) arg.resize(4096);
    return arg;
}

}  // namespace

const script::Imports& hostRoutineImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("procedure ExitProcess(ExitCode : integer)",
                  [](int32_t code) { runtime::ExitProcess(code); })
            .routine("Function ParamCount : Integer",
                     [] { return static_cast<int32_t>(runtime::state().arguments().size()); })
            .routine("Function ParamStr( Index : Integer) : string", &paramStr)
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
