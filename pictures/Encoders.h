// File images of our own for pictures the player writes: Targa (the toolkit's readers only
// read it) and icons (system icons handed to scripts as icon pictures). No Qt.
#pragma once

#include <cstdint>
#include <string>

#include "pictures/Image.h"

namespace pictures {

// An uncompressed true-colour Targa, top-left origin: 24 bits per pixel when every pixel is
// opaque, else 32 with an 8-bit alpha channel. An empty image gives an empty string.
std::string encodeTarga(const Image& image);

// A one-image icon file: a 32-bit bitmap with alpha and its transparency mask. Sizes above
// 256 are refused (empty string), as icon files cannot hold them.
std::string encodeIcon(const Image& image);

// 0xAARRGGBB from the premultiplied form pictures keep.
uint32_t unpremultiplied(uint32_t argb);

}  // namespace pictures
