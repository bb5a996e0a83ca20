// Script declarations of the file, folder and drive routines, bound to the plain functions of
// Files, FileOperations and Drives, with the placeholder expansion each routine applies
// (library/Expansion.h). The table needs the classes unit (TStringList, TMemoryStream).
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& fileImports();

}  // namespace library
