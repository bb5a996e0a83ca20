// Where mixed frames go: a sound device through SDL2, the "No sound" sink paced by the real
// clock, or a virtual sink whose clock tests advance by hand.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media/Mixer.h"

namespace media {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts or resumes pulling from the mixer; pause() stops pulling until start().
    virtual void start() = 0;
    virtual void pause() = 0;
    virtual int latencyMs() const { return 0; }
    // Virtual sinks only: mixes `frames` frames at once on the calling thread.
    virtual bool advance(size_t /*frames*/) { return false; }
};

enum class OutputMode { Device, Null, Virtual };

// VANTREL_AUDIO=null forces the sink, =virtual the hand-driven clock; otherwise devices.
OutputMode outputModeFromEnvironment();

std::unique_ptr<AudioOutput> createNullOutput(Mixer& mixer);
std::unique_ptr<AudioOutput> createVirtualOutput(Mixer& mixer);
// Opens the named output (empty: the system's default); nullptr when it cannot be opened.
std::unique_ptr<AudioOutput> createSdlOutput(Mixer& mixer, const std::string& deviceName);
// Names of the system's outputs, in SDL2's order; empty without SDL2 audio.
std::vector<std::string> sdlOutputNames();

}  // namespace media
