// Script registration of the music routines, the sound-settings dialog and the conversion
// to WAV files, and of the internal play list's class with its members.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& musicImports();
// The CD routines, the channel tags, the ID3v1 reader and the genre table.
const script::Imports& cdAndTagImports();
const script::Imports& playListImports();

}  // namespace library
