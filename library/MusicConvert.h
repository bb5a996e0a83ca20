// ConvertAudioToWAV: decodes each listed file ("source" or "source>target") into a PCM WAV
// file while the progress dialog shows the file and the percentage done.
#pragma once

namespace classes {
class TStrings;
}

namespace library {

// True when every item converted; false without the library, after a cancel, when a
// source could not be opened or a target could not be written.
bool convertAudioToWav(classes::TStrings* files);

}  // namespace library
