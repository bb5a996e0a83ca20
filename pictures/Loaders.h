// The picture formats the player decodes, one loader each, chosen from a sniff/create
// table: a loader recognises its data by content and decodes it into frames.
// Loaders never trust lengths or sizes in the data; bad data throws DecodeError.
#pragma once

#include <span>
#include <string_view>

#include "base/Error.h"
#include "pictures/Image.h"

namespace pictures {

enum class Format { Unknown, Bitmap, Icon, Jpeg, Gif, Png, Targa, Metafile };

// A picture that cannot be decoded; the message is the graphic class's own text.
class DecodeError : public base::Error {
public:
    using Error::Error;
};

struct Loader {
    Format format;
    const char* name;        // short name for messages and tools ("BMP")
    const char* extensions;  // lower-case file extensions, separated by ';'
    const char* invalidMessage;
    bool (*sniff)(std::string_view data);  // may return true for a prefix of a valid file
    Decoded (*decode)(std::string_view data);
};

// Every loader, in sniff order (formats with a strong signature first; Targa, which has
// none, last).
std::span<const Loader> loaders();
const Loader* loaderFor(Format format);

Format sniffFormat(std::string_view data);
// "jpg", ".JPG", "jpeg" -> Jpeg; unknown -> Unknown.
Format formatForExtension(std::string_view extension);

// Decodes `data` as `format`; Format::Unknown sniffs first. Unknown data throws
// DecodeError("Invalid image"). A metafile decodes to one image drawn at its own size.
Decoded decode(std::string_view data, Format format = Format::Unknown);

}  // namespace pictures
