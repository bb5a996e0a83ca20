// Script registration of the ZIP routines.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& zipImports();

}  // namespace library
