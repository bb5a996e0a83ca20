// Targa decoder of our own: the toolkit reader knows only uncompressed true-colour files,
// while pictures in the wild are often run-length encoded or colour-mapped.
#pragma once

#include <string_view>

#include "pictures/Image.h"

namespace pictures {

// Types 1, 2, 3 and their run-length forms 9, 10, 11; depths 8, 15, 16, 24, 32; either
// origin. Throws DecodeError("Invalid image") on truncated or inconsistent data.
Decoded decodeTarga(std::string_view data);

}  // namespace pictures
