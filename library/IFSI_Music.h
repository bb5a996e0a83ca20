// Script registration of the music routines, the sound-settings dialog and the conversion
// to WAV files, and of the internal play list's class with its members.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& musicImports();
const script::Imports& playListImports();

}  // namespace library
