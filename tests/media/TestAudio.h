// Test files made on the spot with Debian's tools (sox, lame, oggenc, mpg123, oggdec,
// openmpt123) and a tiny module writer of our own; nothing is committed from elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media::test {

// A fresh folder for this test binary's files.
const std::string& scratchDir();
std::string scratchPath(const std::string& name);

// Runs a shell command; false when it exits non-zero.
bool run(const std::string& command);
bool haveTool(const std::string& tool);

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The data chunk of a RIFF WAVE file (empty when there is none).
std::vector<uint8_t> wavData(const std::vector<uint8_t>& wav);

// A stereo 16-bit 44100 Hz tone of `seconds`, made by sox; returns its path.
std::string makeTone(const std::string& name, double seconds,
                     const std::string& soxOptions = "-r 44100 -c 2 -b 16");

// Writes interleaved 16-bit samples as a PCM WAV file.
void writeWav(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples);

// A four-channel ProTracker module with one looping sample and a short tune; `title` is its name.
std::vector<uint8_t> makeModule(const std::string& title);

}  // namespace media::test
