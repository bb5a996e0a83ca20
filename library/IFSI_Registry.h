// Script registration of the registry, INI and variables routines: their declarations
// and the native functions they bind to, with the registry root constants and the
// uninstall-entry string constants. The declarations use the aliases HKEY (integer) and
// the class TStrings, which other tables register first.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& registryImports();

}  // namespace library
