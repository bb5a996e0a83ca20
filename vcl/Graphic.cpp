// Graphic kinds: loading, saving, the blob layouts of each kind, and GIF animation.
#include "vcl/Graphic.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "base/LittleEndian.h"
#include "classes/ClassBuilder.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "pictures/Metafile.h"

namespace vcl {

namespace {

// A length-prefixed part of a blob: 4-byte length, then that many bytes.
std::string_view lengthPrefixed(std::string_view payload) {
    if (payload.size() < 4) throw base::StreamError("Stream read error");
    const uint32_t n = base::readLE32(reinterpret_cast<const unsigned char*>(payload.data()));
    if (n > payload.size() - 4) throw base::StreamError("Stream read error");
    return payload.substr(4, n);
}

std::string withLength(const std::string& bytes) {
    std::string out;
    base::appendLE32(out, static_cast<uint32_t>(bytes.size()));
    return out + bytes;
}

// Premultiplied to straight alpha, for file formats that store straight colours.
uint32_t unpremultiply(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 255 || a == 0) return a == 0 ? 0 : p;
    auto ch = [&](int shift) { return std::min<uint32_t>(255, ((p >> shift) & 0xFF) * 255 / a) << shift; };
    return (a << 24) | ch(16) | ch(8) | ch(0);
}

std::string encodeBmp(const pictures::Image& img) {
    const bool alpha = img.hasAlpha();
    const uint32_t bpp = alpha ? 32 : 24;
    const uint32_t stride = ((static_cast<uint32_t>(img.width) * bpp / 8) + 3) & ~3u;
    const uint32_t size = stride * static_cast<uint32_t>(img.height);
    std::string out = "BM";
    base::appendLE32(out, 54 + size);
    base::appendLE32(out, 0);
    base::appendLE32(out, 54);
    base::appendLE32(out, 40);
    base::appendLE32(out, static_cast<uint32_t>(img.width));
    base::appendLE32(out, static_cast<uint32_t>(img.height));
    base::appendLE16(out, 1);
    base::appendLE16(out, static_cast<uint16_t>(bpp));
    base::appendLE32(out, 0);
    base::appendLE32(out, size);
    base::appendLE32(out, 3780);
    base::appendLE32(out, 3780);
    base::appendLE32(out, 0);
    base::appendLE32(out, 0);
    for (int y = img.height - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int x = 0; x < img.width; ++x) {
            const uint32_t p = unpremultiply(img.pixel(x, y));
            out.push_back(static_cast<char>(p & 0xFF));
            out.push_back(static_cast<char>((p >> 8) & 0xFF));
            out.push_back(static_cast<char>((p >> 16) & 0xFF));
            if (alpha) out.push_back(static_cast<char>(p >> 24));
        }
        out.append(start + stride - out.size(), '\0');
    }
    return out;
}

}  // namespace

// --- metadata ---

namespace {
bool notStored(const classes::TObject&) { return false; }
}  // namespace

using classes::ClassBuilder;
namespace ct = classes::types;

const classes::ClassInfo& TGraphic::staticClass() {
    static const auto info =
        ClassBuilder<TGraphic>("TGraphic", classes::TPersistent::staticClass())
            .readOnly("Empty", ct::boolean(), &TGraphic::empty, {.defaultValue = {}, .stored = notStored})
            .readOnly("Width", ct::integer(), &TGraphic::width, {.defaultValue = {}, .stored = notStored})
            .readOnly("Height", ct::integer(), &TGraphic::height, {.defaultValue = {}, .stored = notStored})
            .property("Transparent", ct::boolean(), &TGraphic::transparent, &TGraphic::setTransparent,
                      {.defaultValue = 0})
            // A graphic property on its own ("Icon.Data", "Glyph.Data") holds the graphic's
            // part of a picture blob, without the class name.
            .defined(
                "Data", [](TGraphic& g, classes::TReader& r) { g.readData(r.readBinary()); },
                [](const TGraphic& g, classes::TWriter& w) { w.writeBinary(g.writeData()); },
                [](const TGraphic& g) { return !g.empty(); })
            .build();
    return *info;
}

const classes::ClassInfo& TBitmap::staticClass() {
    static const auto info =
        ClassBuilder<TBitmap>("TBitmap", TGraphic::staticClass())
            .readOnly("Canvas", TCanvas::staticClass().typeInfo(),
                      [](const TBitmap& b) { return &const_cast<TBitmap&>(b).canvas(); },
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("TransparentColor", ct::color(), &TBitmap::transparentColor,
                      &TBitmap::setTransparentColor)
            .build();
    return *info;
}

const classes::ClassInfo& TEncodedGraphic::staticClass() {
    static const auto info =
        ClassBuilder<TEncodedGraphic>("TEncodedGraphic", TGraphic::staticClass()).factory({}).build();
    return *info;
}

#define VCL_GRAPHIC_KIND(Name)                                                                      \
    const classes::ClassInfo& Name::staticClass() {                                                 \
        static const auto info = ClassBuilder<Name>(#Name, TEncodedGraphic::staticClass()).build(); \
        return *info;                                                                               \
    }
VCL_GRAPHIC_KIND(TIcon)
VCL_GRAPHIC_KIND(TMetafile)
VCL_GRAPHIC_KIND(TJPEGImage)
VCL_GRAPHIC_KIND(TPNGObject)
VCL_GRAPHIC_KIND(TTarga)
#undef VCL_GRAPHIC_KIND

const classes::ClassInfo& TGIFImage::staticClass() {
    static const auto info =
        ClassBuilder<TGIFImage>("TGIFImage", TEncodedGraphic::staticClass())
            .property("Animate", ct::boolean(), &TGIFImage::animate, &TGIFImage::setAnimate)
            .readOnly("FrameCount", ct::integer(), &TGIFImage::frameCount)
            .build();
    return *info;
}

// --- TGraphic ---

bool TGraphic::empty() const { return image() == nullptr; }
int TGraphic::width() const { return image() ? image()->width : 0; }
int TGraphic::height() const { return image() ? image()->height : 0; }

void TGraphic::setTransparent(bool value) {
    if (value == m_transparent) return;
    m_transparent = value;
    changed();
}

void TGraphic::changed() const {
    if (onChange) onChange();
}

void TGraphic::draw(TCanvas& canvas, const TRect& dest) const {
    if (const pictures::Image* img = image()) canvas.drawImage(dest, *img);
}

void TGraphic::loadFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw base::Error("Cannot open file \"" + path + "\". " + std::strerror(errno));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    loadFromBytes(bytes.str());
}

void TGraphic::saveToFile(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw base::Error("Cannot create file \"" + path + "\". " + std::strerror(errno));
    const std::string bytes = saveToBytes();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw base::Error("Stream write error");
}

// --- TBitmap ---

TBitmap::TBitmap() = default;

TBitmap::TBitmap(const TBitmap& o)
    : TGraphic(),
      m_image(o.m_image),
      m_transparentColor(o.m_transparentColor),
      m_transparentMode(o.m_transparentMode) {
    TGraphic::setTransparent(o.transparent());
}

TBitmap::~TBitmap() = default;

TCanvas& TBitmap::canvas() {
    if (!m_canvas) {
        m_canvas = std::make_unique<TCanvas>();
        m_canvas->setTarget(&m_image);
        m_canvas->onChange = [this] { changed(); };
    }
    return *m_canvas;
}

void TBitmap::setSize(int w, int h) {
    w = std::max(0, w), h = std::max(0, h);
    if (w == m_image.width && h == m_image.height) return;
    if (m_canvas) m_canvas->setTarget(nullptr);
    // New pixels are white, as a new bitmap's are.
    if (w == 0 || h == 0)
        m_image = pictures::Image();
    else
        m_image.resize(w, h, 0xFFFFFFFFu);
    if (m_canvas) m_canvas->setTarget(&m_image);
    changed();
}

void TBitmap::assignImage(const pictures::Image& image) {
    if (m_canvas) m_canvas->setTarget(nullptr);
    m_image = image;
    if (m_canvas) m_canvas->setTarget(&m_image);
    changed();
}

TColor TBitmap::transparentColor() const {
    if (m_transparentMode == tmFixed && m_transparentColor != clDefault) return m_transparentColor;
    if (m_image.empty()) return clDefault;
    return argbToColor(m_image.pixel(0, m_image.height - 1));
}

void TBitmap::setTransparentColor(TColor color) {
    m_transparentColor = color;
    m_transparentMode = color == clDefault ? tmAuto : tmFixed;
    changed();
}

void TBitmap::draw(TCanvas& canvas, const TRect& dest) const {
    if (m_image.empty()) return;
    if (!transparent()) {
        canvas.drawImage(dest, m_image);
        return;
    }
    const uint32_t key = colorToArgb(transparentColor()) & 0xFFFFFF;
    pictures::Image masked = m_image;
    for (auto& p : masked.pixels)
        if ((p & 0xFFFFFF) == key && (p >> 24) == 0xFF) p = 0;
    canvas.drawImage(dest, masked);
}

void TBitmap::loadFromBytes(std::string_view fileImage) {
    if (pictures::sniffFormat(fileImage) != pictures::Format::Bitmap) {
        assignImage({});
        throw pictures::DecodeError("Bitmap image is not valid");
    }
    try {
        assignImage(pictures::decode(fileImage, pictures::Format::Bitmap).frames.at(0).image);
    } catch (...) {
        assignImage({});
        throw;
    }
}

std::string TBitmap::saveToBytes() const { return m_image.empty() ? std::string() : encodeBmp(m_image); }

void TBitmap::readData(std::string_view payload) {
    const std::string_view bmp = lengthPrefixed(payload);
    if (bmp.empty()) {
        assignImage({});
        return;
    }
    loadFromBytes(bmp);
}

std::string TBitmap::writeData() const { return withLength(saveToBytes()); }

// --- encoded kinds ---

const pictures::Image* TEncodedGraphic::image() const {
    if (m_decoded.frames.empty()) return nullptr;
    const auto& img = m_decoded.frames[static_cast<size_t>(m_frame) % m_decoded.frames.size()].image;
    return img.empty() ? nullptr : &img;
}

void TEncodedGraphic::loadFromBytes(std::string_view fileImage) {
    pictures::Format format = m_format;
    if (!m_strict) {
        const pictures::Format sniffed = pictures::sniffFormat(fileImage);
        if (sniffed != pictures::Format::Unknown && sniffed != pictures::Format::Metafile) format = sniffed;
    } else if (pictures::sniffFormat(fileImage) != m_format) {
        format = pictures::Format::Unknown;
    }
    m_decoded = {};
    m_frame = 0;
    m_bytes.clear();
    if (format == pictures::Format::Unknown) {
        loaded();
        changed();
        throw pictures::DecodeError(pictures::loaderFor(m_format)->invalidMessage);
    }
    try {
        m_decoded = pictures::decode(fileImage, format);
        m_bytes.assign(fileImage);
    } catch (...) {
        loaded();
        changed();
        throw;
    }
    loaded();
    changed();
}

TMetafile::TMetafile() : TEncodedGraphic(pictures::Format::Metafile, true) {
    // Metafiles name Windows fonts; they are drawn with the faces standing in for them.
    static std::once_flag faces;
    std::call_once(faces, [] { pictures::setDefaultFontFaceMapper(mapFontFace); });
}

void TMetafile::draw(TCanvas& canvas, const TRect& dest) const {
    const pictures::Image* own = image();
    if (!own || dest.isEmpty()) return;
    if (dest.width() == own->width && dest.height() == own->height) {
        canvas.drawImage(dest, *own);
        return;
    }
    // Beyond this many pixels the picture's own image is stretched instead.
    constexpr int64_t kMaxDrawnPixels = int64_t{pictures::kMaxMetafileSide} * pictures::kMaxMetafileSide * 4;
    const bool tooLarge = int64_t{dest.width()} * dest.height() > kMaxDrawnPixels;
    if (!tooLarge && (m_drawn.width != dest.width() || m_drawn.height != dest.height())) {
        try {
            m_drawn = pictures::renderMetafile(saveToBytes(), dest.width(), dest.height(), mapFontFace);
        } catch (const pictures::DecodeError&) {
            m_drawn = {};
        }
    }
    canvas.drawImage(dest, tooLarge || m_drawn.empty() ? *own : m_drawn);
}

void TMetafile::loadFromBytes(std::string_view fileImage) { TEncodedGraphic::loadFromBytes(fileImage); }

void TMetafile::readData(std::string_view payload) {
    if (payload.size() < 4) throw base::StreamError("Stream read error");
    const uint32_t n = base::readLE32(reinterpret_cast<const unsigned char*>(payload.data()));
    if (n <= 4) {
        m_decoded = {};
        changed();
        return;
    }
    if (n - 4 > payload.size() - 4) throw base::StreamError("Stream read error");
    // A metafile the loaders do not recognise is still an empty picture, not an error.
    try {
        TEncodedGraphic::loadFromBytes(payload.substr(4, n - 4));
    } catch (const pictures::DecodeError&) {
    }
}

std::string TMetafile::writeData() const {
    const std::string bytes = saveToBytes();
    std::string out;
    base::appendLE32(out, static_cast<uint32_t>(bytes.size() + 4));
    return out + bytes;
}

void TJPEGImage::readData(std::string_view payload) { loadFromBytes(lengthPrefixed(payload)); }
std::string TJPEGImage::writeData() const { return withLength(saveToBytes()); }

void TTarga::readData(std::string_view payload) {
    if (payload.empty() || static_cast<unsigned char>(payload[0]) + 1u > payload.size())
        throw base::StreamError("Stream read error");
    const size_t n = static_cast<unsigned char>(payload[0]);
    m_innerName.assign(payload.substr(1, n));
    loadFromBytes(payload.substr(1 + n));  // "BM" data is sniffed as a bitmap
}

std::string TTarga::writeData() const {
    std::string out(1, static_cast<char>(m_innerName.size()));
    return out + m_innerName + saveToBytes();
}

// --- GIF animation ---

TGIFImage::TGIFImage(const TGIFImage& o) : TEncodedGraphic(o), m_animate(o.m_animate) {
    m_timerService = nullptr;
    m_timer = 0;
    m_plays = 0;
    schedule();
}

TGIFImage::~TGIFImage() { stopTimer(); }

void TGIFImage::stopTimer() {
    if (m_timer && m_timerService) m_timerService->stop(m_timer);
    m_timer = 0;
    m_timerService = nullptr;
}

void TGIFImage::setAnimate(bool value) {
    if (value == m_animate) return;
    m_animate = value;
    if (!value) stopTimer();
    schedule();
}

void TGIFImage::loaded() {
    stopTimer();
    m_plays = 0;
    schedule();
}

void TGIFImage::schedule() {
    if (!m_animate || m_timer || frameCount() < 2) return;
    // Very short delays are shown at 100 ms, as browsers and the common GIF libraries do.
    const int delay = m_decoded.frames[static_cast<size_t>(m_frame)].delayMs;
    m_timerService = &TimerService::active();
    m_timer = m_timerService->start(delay <= 10 ? 100 : delay, [this] { step(); });
}

void TGIFImage::step() {
    stopTimer();
    if (++m_frame >= frameCount()) {
        m_frame = 0;
        ++m_plays;
        if (m_decoded.loopCount >= 0 && m_plays > m_decoded.loopCount) {
            m_frame = frameCount() - 1;  // a finite animation rests on its last frame
            changed();
            return;
        }
    }
    changed();
    schedule();
}

}  // namespace vcl
