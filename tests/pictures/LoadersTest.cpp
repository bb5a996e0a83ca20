// The picture loaders: sniffing, decoding every format from bytes, and bad input.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <fstream>
#include <sstream>

#include "pictures/Loaders.h"

using namespace pictures;

namespace {

std::string readFixture(const std::string& name) {
    std::ifstream in(std::string(VANTREL_SOURCE_DIR) + "/tests/pictures/data/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

uint32_t rgb(int r, int g, int b) { return 0xFF000000u | (r << 16) | (g << 8) | b; }

std::string jpegBytes(const QImage& img) {
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, "jpeg");
    w.setQuality(95);
    EXPECT_TRUE(w.write(img));
    return out.toStdString();
}

void expectPattern(const Image& img) {
    ASSERT_EQ(img.width, 4);
    ASSERT_EQ(img.height, 3);
    EXPECT_EQ(img.pixel(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), rgb(0, 255, 0));
    EXPECT_EQ(img.pixel(2, 0), rgb(0, 0, 255));
    EXPECT_EQ(img.pixel(3, 1), rgb(255, 0, 255));
    EXPECT_EQ(img.pixel(1, 2), rgb(64, 0, 128));
}

}  // namespace

TEST(Loaders, SniffsEachSignature) {
    EXPECT_EQ(sniffFormat(readFixture("pattern.bmp")), Format::Bitmap);
    EXPECT_EQ(sniffFormat(readFixture("pattern.png")), Format::Png);
    EXPECT_EQ(sniffFormat(readFixture("anim.gif")), Format::Gif);
    EXPECT_EQ(sniffFormat(readFixture("two-sizes.ico")), Format::Icon);
    EXPECT_EQ(sniffFormat(readFixture("pattern.tga")), Format::Targa);
    EXPECT_EQ(sniffFormat(jpegBytes(QImage(2, 2, QImage::Format_RGB32))), Format::Jpeg);
    EXPECT_EQ(sniffFormat(std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, '\0')), Format::Metafile);
    EXPECT_EQ(sniffFormat("hello, world"), Format::Unknown);
    EXPECT_EQ(sniffFormat(""), Format::Unknown);
}

TEST(Loaders, ExtensionsMapCaseInsensitively) {
    EXPECT_EQ(formatForExtension(".JPG"), Format::Jpeg);
    EXPECT_EQ(formatForExtension("jpeg"), Format::Jpeg);
    EXPECT_EQ(formatForExtension("tga"), Format::Targa);
    EXPECT_EQ(formatForExtension(".Wmf"), Format::Metafile);
    EXPECT_EQ(formatForExtension(".ico"), Format::Icon);
    EXPECT_EQ(formatForExtension(".txt"), Format::Unknown);
    EXPECT_EQ(formatForExtension(""), Format::Unknown);
}

TEST(Loaders, DecodesStillFormatsExactly) {
    expectPattern(decode(readFixture("pattern.bmp")).frames.at(0).image);
    expectPattern(decode(readFixture("pattern.tga"), Format::Targa).frames.at(0).image);
    expectPattern(decode(readFixture("pattern-rle.tga"), Format::Targa).frames.at(0).image);
    const Image png = decode(readFixture("pattern.png")).frames.at(0).image;
    expectPattern(png);
    EXPECT_EQ(png.pixel(3, 2) >> 24, 0u) << "the transparent pixel keeps its alpha";
    EXPECT_TRUE(png.hasAlpha());
}

TEST(Loaders, DecodesJpegApproximately) {
    QImage src(16, 16, QImage::Format_RGB32);
    src.fill(QColor(200, 30, 40));
    const Image img = decode(jpegBytes(src)).frames.at(0).image;
    ASSERT_EQ(img.width, 16);
    const uint32_t p = img.pixel(8, 8);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 200, 6);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 30, 6);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 40, 6);
}

TEST(Loaders, GifKeepsFramesDelaysAndLoop) {
    const Decoded d = decode(readFixture("anim.gif"));
    ASSERT_EQ(d.frames.size(), 2u);
    EXPECT_EQ(d.frames[0].delayMs, 100);
    EXPECT_EQ(d.frames[1].delayMs, 200);
    EXPECT_EQ(d.frames[0].image.pixel(2, 2), rgb(255, 0, 0));
    EXPECT_EQ(d.frames[1].image.pixel(0, 0), rgb(0, 0, 255));
    EXPECT_EQ(d.frames[1].image.pixel(3, 2), rgb(0, 255, 0));
    EXPECT_EQ(d.loopCount, -1) << "NETSCAPE loop count 0 loops for ever";
}

TEST(Loaders, IconPicksTheEntryNearestThirtyTwo) {
    const Image img = decode(readFixture("two-sizes.ico")).frames.at(0).image;
    EXPECT_EQ(img.width, 32);
    EXPECT_EQ(img.pixel(5, 5), rgb(0, 0, 255));
}

TEST(Loaders, MetafilesDecodeAtTheirOwnSize) {
    // A placeable metafile with an empty box is an empty picture; one whose header cannot
    // be read is no metafile.
    std::string empty = std::string("\xD7\xCD\xC6\x9A", 4) + std::string(18, '\0');
    empty += std::string("\x01\x00\x09\x00\x00\x03", 6) + std::string(12, '\0');
    EXPECT_TRUE(decode(empty).empty());
    EXPECT_THROW(decode(std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, '\0')), DecodeError);
    // A box of 2 x 1 inches at 96 units per inch.
    std::string box = empty;
    box[10] = char(192), box[12] = char(96), box[14] = char(96);
    const Decoded d = decode(box);
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.frames[0].image.width, 192);
    EXPECT_EQ(d.frames[0].image.height, 96);
    EXPECT_EQ(d.frames[0].image.pixel(10, 10), 0u);  // nothing drawn: transparent
}

TEST(Loaders, BadDataThrowsTheFormatsMessage) {
    try {
        decode(readFixture("truncated.bmp"));
        FAIL() << "a truncated bitmap must not decode";
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
    EXPECT_THROW(decode(readFixture("truncated.png")), DecodeError);
    EXPECT_THROW(decode("not a picture"), DecodeError);
    EXPECT_THROW(decode("GIF89a"), DecodeError);
    EXPECT_THROW(decode(std::string("\0\0\1\0\1\0", 6)), DecodeError);
    EXPECT_THROW(decode("", Format::Png), DecodeError);
}

TEST(Loaders, HugeDeclaredSizesAreRefusedBeforeAllocation) {
    // A bitmap header claiming 30000 x 30000 pixels with no pixel data.
    std::string bmp = readFixture("pattern.bmp");
    bmp[18] = '\x30', bmp[19] = '\x75', bmp[22] = '\x30', bmp[23] = '\x75';
    EXPECT_THROW(decode(bmp), DecodeError);
}
