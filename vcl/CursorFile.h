// Readers of our own for cursor files: ".cur" (an icon directory whose entries carry a hot
// spot) and ".ani" (RIFF "ACON": frames, rates and a play sequence). Every length and offset
// in the data is checked before use; bad data throws pictures::DecodeError and nothing else.
// No Qt (PNG frames decode through the picture loaders).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "pictures/Image.h"

namespace vcl {

struct CursorFrame {
    pictures::Image image;
    int hotX = 0;  // inside the image
    int hotY = 0;
};

// A still cursor has one frame and one step.
struct CursorData {
    std::vector<CursorFrame> frames;
    std::vector<size_t> sequence;  // frame index of each step
    std::vector<int> delaysMs;     // how long each step shows
    bool animated() const { return sequence.size() > 1; }
};

// The largest picture a cursor frame may have, and the most frames and steps an animation
// may have: bounds on memory, above anything a real cursor needs.
inline constexpr int kMaxCursorSide = 256;
inline constexpr size_t kMaxCursorFrames = 512;
inline constexpr size_t kMaxCursorSteps = 4096;

// One ".cur" file (an ".ico" file is taken too, with its hot spot in the middle): the entry
// whose size is nearest to `size` pixels.
CursorFrame readCursor(std::string_view data, int size = 32);
// One ".ani" file.
CursorData readAnimatedCursor(std::string_view data);
// Either kind, told apart by content.
CursorData readCursorFile(std::string_view data);

}  // namespace vcl
