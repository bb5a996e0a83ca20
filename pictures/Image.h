// Decoded pixels shared by the picture loaders, the canvas and every graphic class.
// Pixels are 32-bit premultiplied 0xAARRGGBB, rows top-down without padding, so a
// toolkit image can wrap the buffer without copying.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictures {

// The largest picture the loaders accept: a bound on memory, not a format limit.
inline constexpr int kMaxDimension = 32767;
inline constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Image() = default;
    // A width x height image filled with `argb`; sizes outside the limits give an empty image.
    Image(int w, int h, uint32_t argb = 0xFF000000u);

    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
    void setPixel(int x, int y, uint32_t argb) { pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x] = argb; }
    uint32_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
    const uint32_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
    // True when any pixel is not fully opaque.
    bool hasAlpha() const;
    // Resizes, keeping the overlapping top-left part and filling new pixels with `argb`.
    void resize(int w, int h, uint32_t argb = 0xFF000000u);
};

// One frame of a decoded picture; still pictures have exactly one.
struct Frame {
    Image image;
    int delayMs = 0;  // time this frame stays on screen (animations only)
};

struct Decoded {
    std::vector<Frame> frames;
    int loopCount = -1;  // repetitions after the first play; -1 loops for ever
    bool empty() const { return frames.empty() || frames.front().image.empty(); }
};

}  // namespace pictures
