// Script declarations of the string, number, time and text-coder routines, bound to the plain
// functions of Strings, Numbers, Dates, TextCoders, SystemMessages and ComponentText.
// The host replays the table into each Compiler and Executor after the component classes
// (TComponent must be declared first).
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& stringImports();

}  // namespace library
