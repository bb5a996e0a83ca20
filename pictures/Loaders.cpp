// The sniff/create table: signatures are checked here, decoding is done by each
// format's loader (the toolkit image readers behind pictures/qt/).
#include "pictures/Loaders.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "base/AnsiText.h"
#include "base/LittleEndian.h"
#include "pictures/Metafile.h"
#include "pictures/TargaLoader.h"
#include "pictures/qt/QtImageDecoder.h"

namespace pictures {

namespace {

const unsigned char* bytes(std::string_view d) { return reinterpret_cast<const unsigned char*>(d.data()); }

bool startsWith(std::string_view d, std::string_view magic) { return d.substr(0, magic.size()) == magic; }

bool sniffBitmap(std::string_view d) { return startsWith(d, "BM"); }

bool sniffIcon(std::string_view d) {
    // ICONDIR: reserved 0, type 1 (icon) or 2 (cursor), at least one entry.
    if (d.size() < 6) return false;
    const auto* p = bytes(d);
    const uint16_t type = base::readLE16(p + 2);
    return base::readLE16(p) == 0 && (type == 1 || type == 2) && base::readLE16(p + 4) > 0;
}

bool sniffJpeg(std::string_view d) { return startsWith(d, "\xFF\xD8\xFF"); }
bool sniffGif(std::string_view d) { return startsWith(d, "GIF87a") || startsWith(d, "GIF89a"); }
bool sniffPng(std::string_view d) { return startsWith(d, "\x89PNG\r\n\x1A\n"); }

bool sniffMetafile(std::string_view d) { return looksLikeMetafile(d); }

bool sniffTarga(std::string_view d) {
    // Targa has no signature; check that the 18-byte header is self-consistent.
    if (d.size() < 18) return false;
    const auto* p = bytes(d);
    const unsigned colorMapType = p[1], imageType = p[2], depth = p[16];
    const bool typeOk = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                        imageType == 10 || imageType == 11;
    const bool depthOk = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return colorMapType <= 1 && typeOk && depthOk && base::readLE16(p + 12) > 0 && base::readLE16(p + 14) > 0;
}

Decoded decodeBitmap(std::string_view d) { return qt::decodeImage(d, "bmp", "Bitmap image is not valid"); }
Decoded decodeIcon(std::string_view d) { return qt::decodeIcon(d, "Icon image is not valid"); }
Decoded decodeJpeg(std::string_view d) { return qt::decodeImage(d, "jpeg", "Invalid image"); }
Decoded decodeGif(std::string_view d) { return qt::decodeAnimation(d, "gif", "Invalid image"); }
Decoded decodePng(std::string_view d) { return qt::decodeImage(d, "png", "Invalid image"); }
// A metafile is drawn once at its own size (at most kMaxMetafileSide on a side); the
// graphic draws it again at any other size it is shown at.
Decoded decodeMetafile(std::string_view d) {
    const MetafileInfo info = metafileInfo(d);
    if (info.width <= 0 || info.height <= 0) return {};
    double scale = std::min(1.0, double(kMaxMetafileSide) / std::max(info.width, info.height));
    const int w = std::max(1, int(std::lround(info.width * scale)));
    const int h = std::max(1, int(std::lround(info.height * scale)));
    Decoded out;
    out.frames.push_back({renderMetafile(d, w, h), 0});
    return out;
}

const std::array<Loader, 7> kLoaders = {{
    {Format::Bitmap, "BMP", "bmp;dib", "Bitmap image is not valid", sniffBitmap, decodeBitmap},
    {Format::Png, "PNG", "png", "Invalid image", sniffPng, decodePng},
    {Format::Gif, "GIF", "gif", "Invalid image", sniffGif, decodeGif},
    {Format::Jpeg, "JPEG", "jpg;jpeg;jpe;jfif", "Invalid image", sniffJpeg, decodeJpeg},
    {Format::Metafile, "Metafile", "emf;wmf", "Metafile is not valid", sniffMetafile, decodeMetafile},
    {Format::Icon, "ICO", "ico;cur", "Icon image is not valid", sniffIcon, decodeIcon},
    {Format::Targa, "TGA", "tga;targa", "Invalid image", sniffTarga, decodeTarga},
}};

}  // namespace

std::span<const Loader> loaders() { return kLoaders; }

const Loader* loaderFor(Format format) {
    for (const auto& l : kLoaders)
        if (l.format == format) return &l;
    return nullptr;
}

Format sniffFormat(std::string_view data) {
    for (const auto& l : kLoaders)
        if (l.sniff(data)) return l.format;
    return Format::Unknown;
}

Format formatForExtension(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    if (extension.empty()) return Format::Unknown;
    for (const auto& l : kLoaders) {
        std::string_view list = l.extensions;
        while (!list.empty()) {
            const size_t semi = list.find(';');
            if (base::asciiSameText(list.substr(0, semi), extension)) return l.format;
            if (semi == std::string_view::npos) break;
            list.remove_prefix(semi + 1);
        }
    }
    return Format::Unknown;
}

Decoded decode(std::string_view data, Format format) {
    if (format == Format::Unknown) format = sniffFormat(data);
    const Loader* loader = loaderFor(format);
    if (!loader) throw DecodeError("Invalid image");
    return loader->decode(data);
}

}  // namespace pictures
