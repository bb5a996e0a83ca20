// Script registration of the multimedia command-string routine.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& mciImports();

}  // namespace library
