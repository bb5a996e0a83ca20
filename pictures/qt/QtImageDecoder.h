// Decoding through the toolkit's image readers; the only place pictures/ sees Qt.
#pragma once

#include <string_view>

#include "pictures/Image.h"

namespace pictures::qt {

// One still image of the named reader format ("bmp", "png", "jpeg", "tga").
Decoded decodeImage(std::string_view data, const char* format, const char* invalidMessage);
// Every frame with its delay; frames come composited to the full canvas.
Decoded decodeAnimation(std::string_view data, const char* format, const char* invalidMessage);
// The icon entry closest to 32 x 32, the size the system picks for a plain icon.
Decoded decodeIcon(std::string_view data, const char* invalidMessage);

}  // namespace pictures::qt
