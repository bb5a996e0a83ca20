// Renders a Standard MIDI File into 44100 Hz stereo 16-bit PCM with FluidSynth and the
// General MIDI sound font Debian installs, so the sequencer device plays through the audio
// engine like any other stream (and on the "No sound" device, paced by its clock).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media::mci {

inline constexpr int kMidiRate = 44100;

// The sound font used: VANTREL_SOUNDFONT when it names a file, else Debian's General MIDI
// font; empty when none exists.
std::string soundFontPath();

// A complete WAV file (header and samples) of the MIDI file's performance, its notes' release
// included. Throws base::Error when the file is not MIDI, or no synthesiser or sound font is
// there. The song is capped at an hour so a hostile file cannot fill memory.
std::vector<uint8_t> renderMidi(const std::string& path);

}  // namespace media::mci
