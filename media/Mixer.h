// What an output asks of the engine: stereo 16-bit frames at the output rate.
#pragma once

#include <cstddef>
#include <cstdint>

namespace media {

class Mixer {
public:
    virtual ~Mixer() = default;
    // Fills `frames` interleaved stereo frames. Called on the output's own thread; takes no
    // lock, allocates nothing and never throws.
    virtual void mix(int16_t* out, size_t frames) = 0;
    virtual int rate() const = 0;
};

}  // namespace media
