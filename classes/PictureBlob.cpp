// Splitting and joining picture blobs by graphic class.
#include "classes/PictureBlob.h"

#include "base/AnsiText.h"
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

struct Cursor {
    std::string_view data;
    size_t pos = 0;
    void need(size_t n) const {
        if (data.size() - pos < n) throw EStreamTruncated(msg::kReadError);
    }
    std::string_view take(size_t n) {
        need(n);
        std::string_view s = data.substr(pos, n);
        pos += n;
        return s;
    }
    uint32_t le32() {
        need(4);
        uint32_t v = base::readLE32(reinterpret_cast<const unsigned char*>(data.data() + pos));
        pos += 4;
        return v;
    }
    std::string_view shortStr() {
        need(1);
        size_t n = static_cast<unsigned char>(data[pos++]);
        return take(n);
    }
    std::string_view rest() { return take(data.size() - pos); }
};

}  // namespace

PictureBlob splitPictureBlob(std::string_view blob) {
    Cursor c{blob};
    PictureBlob out;
    out.className = std::string(c.shortStr());
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
        out.subName = std::string(c.shortStr());
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
