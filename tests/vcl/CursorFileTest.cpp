// Cursor file readers: hot spots, bitmap depths and masks, PNG entries, entry choice,
// animated cursors with rates and sequences, and bad data refused cleanly.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "CursorBuilder.h"
#include "pictures/Loaders.h"
#include "vcl/CursorFile.h"

namespace {

using namespace cursorfiles;
using pictures::DecodeError;
using vcl::readAnimatedCursor;
using vcl::readCursor;
using vcl::readCursorFile;

std::string pngOf(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes.toStdString();
}

TEST(CursorFile, BitmapEntriesOfEveryDepthWithHotSpotAndMask) {
    // 1 bit: a white cross on a transparent ground, one masked white pixel inverting.
    const std::string mono = dib(
        8, 8, 1, {0x000000, 0xFFFFFF},
        [](int x, int y) { return uint32_t(x == 3 || y == 3 || (x == 7 && y == 7)); },
        [](int x, int y) { return !(x == 3 || y == 3); });
    vcl::CursorFrame f = readCursor(iconDirectory({{mono, 8, 8, 3, 3}}));
    ASSERT_EQ(f.image.width, 8);
    EXPECT_EQ(f.hotX, 3);
    EXPECT_EQ(f.hotY, 3);
    EXPECT_EQ(f.image.pixel(3, 0), 0xFFFFFFFFu);  // cross: opaque white
    EXPECT_EQ(f.image.pixel(0, 0), 0u);           // masked black: transparent
    EXPECT_EQ(f.image.pixel(7, 7), 0xFF000000u);  // masked white: inverting, shown black

    // 4 and 8 bits through the palette; 24 bits plain.
    const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int bpp : {4, 8}) {
        const std::string e = dib(
            4, 2, bpp, palette, [](int x, int) { return uint32_t(x); }, [](int, int) { return false; });
        vcl::CursorFrame p = readCursor(iconDirectory({{e, 4, 2}}));
        EXPECT_EQ(p.image.pixel(1, 1), 0xFFFF0000u) << bpp;
        EXPECT_EQ(p.image.pixel(3, 0), 0xFF0000FFu) << bpp;
    }
    const std::string rgb = dib(
        3, 3, 24, {}, [](int x, int y) { return uint32_t(x * 0x10 + y); }, [](int, int) { return false; });
    EXPECT_EQ(readCursor(iconDirectory({{rgb, 3, 3}})).image.pixel(2, 1), 0xFF000021u);

    // 32 bits with alpha: the alpha channel rules, premultiplied as pictures keep it.
    const std::string alpha = dib(
        2, 1, 32, {}, [](int x, int) { return x ? 0x80FF0000u : 0xFF00FF00u; },
        [](int, int) { return true; });
    vcl::CursorFrame a = readCursor(iconDirectory({{alpha, 2, 1}}));
    EXPECT_EQ(a.image.pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(a.image.pixel(1, 0), 0x80800000u);
}

TEST(CursorFile, ChoosesTheEntryNearestTheSizeAndTakesPngAndIconFiles) {
    const std::string two =
        iconDirectory({solidEntry(16, 16, 0xFF0000, 1, 2), solidEntry(32, 32, 0x00FF00, 5, 6),
                       solidEntry(48, 48, 0xFF, 7, 8)});
    vcl::CursorFrame f = readCursor(two);
    EXPECT_EQ(f.image.width, 32);
    EXPECT_EQ(f.image.pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(f.hotX, 5);
    EXPECT_EQ(readCursor(two, 48).hotY, 8);

    // A PNG entry, and a hot spot beyond the image kept inside it.
    vcl::CursorFrame png = readCursor(iconDirectory({{pngOf(24, 20, qRgb(1, 2, 3)), 24, 20, 100, 100}}));
    EXPECT_EQ(png.image.width, 24);
    EXPECT_EQ(png.image.pixel(0, 0), 0xFF010203u);
    EXPECT_EQ(png.hotX, 23);
    EXPECT_EQ(png.hotY, 19);

    // An icon file as a cursor: the hot spot in the middle.
    vcl::CursorFrame icon = readCursor(iconDirectory({solidEntry(32, 32, 0)}, 1));
    EXPECT_EQ(icon.hotX, 16);
    EXPECT_EQ(icon.hotY, 16);

    vcl::CursorData still = readCursorFile(two);
    EXPECT_FALSE(still.animated());
    EXPECT_EQ(still.sequence.size(), 1u);
}

TEST(CursorFile, AnimatedCursorsKeepSequenceAndRates) {
    const std::vector<std::string> frames = {iconDirectory({solidEntry(32, 32, 0xFF0000, 1, 1)}),
                                             iconDirectory({solidEntry(32, 32, 0x00FF00, 2, 2)})};
    vcl::CursorData plain = readCursorFile(animatedCursor(frames, 6));
    ASSERT_EQ(plain.frames.size(), 2u);
    EXPECT_TRUE(plain.animated());
    EXPECT_EQ(plain.sequence, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(plain.delaysMs, (std::vector<int>{100, 100}));  // 6 jiffies of 1/60 s
    EXPECT_EQ(plain.frames[1].hotX, 2);

    vcl::CursorData seq = readAnimatedCursor(animatedCursor(frames, 6, {3, 0, 60}, {1, 0, 1}));
    EXPECT_EQ(seq.sequence, (std::vector<size_t>{1, 0, 1}));
    EXPECT_EQ(seq.delaysMs, (std::vector<int>{50, 16, 1000}));  // a rate of 0 is one jiffy
}

TEST(CursorFile, BadDataIsRefusedWithDecodeError) {
    const std::string good = iconDirectory({solidEntry(32, 32, 0xFF0000, 1, 1)});
    const std::string ani = animatedCursor({good, good}, 6, {}, {0, 1});
    // Every truncation of either file fails cleanly.
    for (size_t n = 0; n < good.size(); n += 7) EXPECT_THROW(readCursor(good.substr(0, n)), DecodeError) << n;
    for (size_t n = 0; n < ani.size(); n += 13)
        EXPECT_THROW(readAnimatedCursor(ani.substr(0, n)), DecodeError) << n;

    std::string offset = good;
    offset[21] = '\x7F';  // image offset far past the end
    EXPECT_THROW(readCursor(offset), DecodeError);
    std::string huge = good;
    huge[22 + 4] = '\x00';  // width 0x10000 in the bitmap header
    huge[22 + 6] = '\x01';
    EXPECT_THROW(readCursor(huge), DecodeError);
    std::string type = good;
    type[2] = 3;
    EXPECT_THROW(readCursor(type), DecodeError);
    std::string noEntries = good;
    noEntries[4] = 0;
    EXPECT_THROW(readCursor(noEntries), DecodeError);

    EXPECT_THROW(readAnimatedCursor(animatedCursor({good, good}, 6, {}, {0, 2})),
                 DecodeError);  // frame 2 of 2
    EXPECT_THROW(readAnimatedCursor(animatedCursor({}, 6)), DecodeError);
    std::string riffSize = ani;
    riffSize[4] = '\xFF';
    riffSize[7] = '\x7F';
    EXPECT_THROW(readAnimatedCursor(riffSize), DecodeError);
    EXPECT_THROW(readCursorFile("RIFF"), DecodeError);
    EXPECT_THROW(readCursorFile(""), DecodeError);
}

}  // namespace
