// Our own interpreter of multimedia command strings ("open a.wav type waveaudio alias snd",
// "play snd from 0 to 1500", "status snd length"): devices over the audio engine
// (waveaudio, mpegvideo for compressed audio, sequencer through FluidSynth) and the CD layer
// (cdaudio), and video (avivideo, digitalvideo, mpegvideo for video files) through the video
// player the toolkit side installs (VideoPlayer.h); without one, video gives
// kMciDeviceNotInstalled. Video devices are for the main thread only.
//
// Threads: any thread; commands are carried out one at a time. Devices play on the engine's
// current device, initialising the default output (device 1) when none is.
// Failure: never throws; the error number says what went wrong (see MciErrors.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace media::mci {

// Maps a file name of a command (as the script wrote it) to the name to open.
using PathResolver = std::function<std::string(std::string_view)>;

// Carries out `command`; returns 0 or an error number. `result` gets the command's answer
// ("playing", "1500", "true", the new device's identifier for open) or empty text.
int sendString(std::string_view command, std::string& result, const PathResolver& resolve = {});

// The identifier of the device open under `alias` (as "open ... alias" gave it), 0 if none.
int deviceId(std::string_view alias);

// Closes every device (at the end of a run).
void closeAll();

}  // namespace media::mci
