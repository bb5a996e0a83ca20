// Qt image readers wrapped into the loaders' contract: size limits checked before any
// pixel is allocated, results converted to premultiplied 32-bit pixels.
#include "pictures/qt/QtImageDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <cstring>

#include "pictures/Loaders.h"

namespace pictures::qt {

namespace {

// Upper bound on all frames of an animation together, so a small GIF cannot expand into
// gigabytes of frames.
constexpr int64_t kMaxAnimationPixels = 2 * kMaxPixels;
constexpr int kMaxFrames = 4096;

bool sizeOk(QSize s) {
    return !s.isValid() || (s.width() <= kMaxDimension && s.height() <= kMaxDimension &&
                            static_cast<int64_t>(s.width()) * s.height() <= kMaxPixels);
}

Image toImage(const QImage& source) {
    QImage img = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Image out(img.width(), img.height());
    if (out.empty()) return out;
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.row(y), img.constScanLine(y), static_cast<size_t>(out.width) * 4);
    return out;
}

struct Reader {
    QByteArray bytes;
    QBuffer buffer;
    QImageReader reader;

    Reader(std::string_view data, const char* format)
        : bytes(QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()))) {
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat(format);
        reader.setDecideFormatFromContent(false);
        reader.setAutoTransform(false);
    }
};

}  // namespace

Decoded decodeImage(std::string_view data, const char* format, const char* invalidMessage) {
    Reader r(data, format);
    if (!r.reader.canRead() || !sizeOk(r.reader.size())) throw DecodeError(invalidMessage);
    QImage img;
    if (!r.reader.read(&img) || img.isNull()) throw DecodeError(invalidMessage);
    Decoded out;
    out.frames.push_back({toImage(img), 0});
    if (out.empty()) throw DecodeError(invalidMessage);
    return out;
}

Decoded decodeAnimation(std::string_view data, const char* format, const char* invalidMessage) {
    Reader r(data, format);
    if (!r.reader.canRead() || !sizeOk(r.reader.size())) throw DecodeError(invalidMessage);
    Decoded out;
    int64_t total = 0;
    while (static_cast<int>(out.frames.size()) < kMaxFrames) {
        QImage img;
        if (!r.reader.read(&img) || img.isNull()) break;
        total += static_cast<int64_t>(img.width()) * img.height();
        if (total > kMaxAnimationPixels) break;
        const int delay = r.reader.nextImageDelay();
        out.frames.push_back({toImage(img), delay > 0 ? delay : 0});
        if (!r.reader.supportsAnimation()) break;
    }
    // A GIF whose first frame is damaged is no picture; later damage ends the animation.
    if (out.empty()) throw DecodeError(invalidMessage);
    out.loopCount = r.reader.loopCount();
    return out;
}

Decoded decodeIcon(std::string_view data, const char* invalidMessage) {
    Reader r(data, "ico");
    if (!r.reader.canRead()) throw DecodeError(invalidMessage);
    const int count = r.reader.imageCount();
    int best = 0, bestScore = -1;
    for (int i = 0; i < count && i < 256; ++i) {
        if (!r.reader.jumpToImage(i)) break;
        const QSize s = r.reader.size();
        if (!s.isValid() || !sizeOk(s)) continue;
        const int score = 100000 - std::abs(s.width() - 32) * 100 - std::abs(s.height() - 32);
        if (score > bestScore) bestScore = score, best = i;
    }
    r.reader.jumpToImage(best);
    QImage img;
    if (!r.reader.read(&img) || img.isNull() || !sizeOk(img.size())) throw DecodeError(invalidMessage);
    Decoded out;
    out.frames.push_back({toImage(img), 0});
    if (out.empty()) throw DecodeError(invalidMessage);
    return out;
}

}  // namespace pictures::qt
