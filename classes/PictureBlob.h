// The payload of a picture's "Data" defined property: a graphic class name (1-byte length,
// at most 63 characters) and the graphic's own bytes, whose framing depends on the class.
// Decoding the image is the picture classes' business; this only splits and joins blobs.
#pragma once

#include <string>
#include <string_view>

namespace classes {

struct PictureBlob {
    std::string className;  // as stored, e.g. "TIcon"
    std::string subName;    // TTarga only: the second stored name
    std::string image;      // the image file bytes (BMP, ICO, EMF/WMF, JPEG, GIF, PNG, TGA)
    // False for a class name no graphic class reads: the picture becomes empty, no error.
    bool known = false;
};

// Throws EStreamTruncated("Stream read error") when a length runs past the blob's end
// or the name is longer than 63 characters.
PictureBlob splitPictureBlob(std::string_view blob);
// The inverse, in the framing of `className` (unknown names: name then image as is).
std::string joinPictureBlob(const PictureBlob& picture);

}  // namespace classes
