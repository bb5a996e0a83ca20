// A reader of our own for the clips the animation control plays: RIFF AVI files whose
// first video stream holds uncompressed frames (8, 16, 24 or 32 bits per pixel) or RLE8
// frames (each drawn over the one before), with palette changes. Everything else (other
// codecs, audio) is refused or skipped. Input comes from anywhere: every size is checked
// against the data present, and clips are bounded in size.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "pictures/Image.h"

namespace vcl {

struct AviClip {
    int width = 0;
    int height = 0;
    // How long each frame shows, in microseconds (never 0).
    int64_t frameMicroseconds = 0;
    // Opaque, top-down frames, all width x height.
    std::vector<pictures::Image> frames;
};

// The largest clip read: frames x width x height pixels, and frames.
inline constexpr int64_t kMaxAviPixels = 32LL * 1024 * 1024;
inline constexpr int kMaxAviFrames = 65535;
inline constexpr int kMaxAviDimension = 4096;

// Throws base::StreamError with a one-line reason for anything it cannot read.
AviClip readAviClip(std::string_view bytes);

}  // namespace vcl
