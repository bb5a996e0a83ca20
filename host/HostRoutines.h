// The routines the host itself gives scripts: ending the player, the command line, the
// placeholder expansion the string family declares, and the debugger routines.
#pragma once

namespace script {
class Imports;
}

namespace host {

// ExitProcess, ParamCount, ParamStr; bindings for RepConst and DERepConst.
const script::Imports& hostRoutineImports();
// TDebugCommand, IsDebuggerAttached, SendCommandToDebugger.
const script::Imports& debuggerImports();

}  // namespace host
