// Script declarations of the system information and control routines, bound to the plain
// functions of System, Desktop and Pictures. The types they name (TOSType, TOSSuiteType,
// TOSProductType, TOSVersionInfoEx, TDWDimension) belong to the library's shared vocabulary
// and the classes (TImage, TPicture, TForm) to the component registration, both replayed
// before this table.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& systemImports();

}  // namespace library
