// Splitting and joining picture blobs by graphic class.
#include "classes/PictureBlob.h"

#include "base/AnsiText.h"
#include "base/ByteReader.h"
#include "base/LittleEndian.h"
#include "classes/Errors.h"

namespace classes {

namespace {

enum class Framing { Length32, Rest, Metafile, Targa, Unknown };

Framing framingOf(std::string_view name) {
    if (base::asciiSameText(name, "TBitmap") || base::asciiSameText(name, "TJPEGImage"))
        return Framing::Length32;
    if (base::asciiSameText(name, "TIcon") || base::asciiSameText(name, "TGIFImage") ||
        base::asciiSameText(name, "TPNGObject")) {
        return Framing::Rest;
    }
    if (base::asciiSameText(name, "TMetafile")) return Framing::Metafile;
    if (base::asciiSameText(name, "TTarga")) return Framing::Targa;
    return Framing::Unknown;
}

[[noreturn]] void truncated(const base::ByteReader&, size_t) { throw EStreamTruncated(msg::kReadError); }

}  // namespace

PictureBlob splitPictureBlob(std::string_view blob) {
    base::ByteReader c(blob, 0, truncated);
    PictureBlob out;
    out.className = std::string(c.shortString());
    if (out.className.size() > 63) throw EStreamTruncated(msg::kReadError);
    out.known = true;
    switch (framingOf(out.className)) {
    case Framing::Length32: out.image = std::string(c.take(c.le32())); break;
    case Framing::Rest: out.image = std::string(c.rest()); break;
    case Framing::Metafile: {
        uint32_t len = c.le32();
        if (len > 4) out.image = std::string(c.take(len - 4));
        break;
    }
    case Framing::Targa:
        out.subName = std::string(c.shortString());
        out.image = std::string(c.rest());
        break;
    case Framing::Unknown:
        out.known = false;
        out.image = std::string(c.rest());
        break;
    }
    return out;
}

std::string joinPictureBlob(const PictureBlob& p) {
    std::string out;
    out.push_back(static_cast<char>(p.className.size()));
    out += p.className;
    switch (framingOf(p.className)) {
    case Framing::Length32: base::appendLE32(out, static_cast<uint32_t>(p.image.size())); break;
    case Framing::Metafile: base::appendLE32(out, static_cast<uint32_t>(p.image.size() + 4)); break;
    case Framing::Targa:
        out.push_back(static_cast<char>(p.subName.size()));
        out += p.subName;
        break;
    default: break;
    }
    out += p.image;
    return out;
}

}  // namespace classes
