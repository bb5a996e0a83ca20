// Script registration of the speech routines, their record and their dialog enumeration.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& speechImports();

}  // namespace library
