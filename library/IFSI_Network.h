// Script registration of the network, download and printing routines.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& networkImports();

}  // namespace library
