// Script declarations of the shell, process and installation routines, bound to the plain
// functions of Shell. The enumerations they name (TDWSpecialFolder, TDWWindowsDialog)
// belong to the library's shared vocabulary, replayed before this table.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& shellImports();

}  // namespace library
