// Graphic kinds and the picture holder: files, stream blobs, bad data, GIF animation.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/LittleEndian.h"
#include "tests/pictures/MetafileWriter.h"
#include "vcl/Picture.h"

using namespace vcl;

namespace {

std::string fixturePath(const std::string& name) {
    return std::string(VANTREL_SOURCE_DIR) + "/tests/pictures/data/" + name;
}

std::string readFixture(const std::string& name) {
    std::ifstream in(fixturePath(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string blob(const std::string& className, const std::string& data) {
    return std::string(1, static_cast<char>(className.size())) + className + data;
}

std::string withLength(const std::string& data) {
    std::string out;
    base::appendLE32(out, static_cast<uint32_t>(data.size()));
    return out + data;
}

std::string jpegBytes() {
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 255));
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QImageWriter(&buf, "jpeg").write(img);
    return out.toStdString();
}

TColor pixelOf(const TGraphic& g, int x, int y) { return argbToColor(g.image()->pixel(x, y)); }

}  // namespace

TEST(Picture, LoadsEveryFormatFromFilesByExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"pattern.bmp", "TBitmap"}, {"pattern.png", "TPNGObject"}, {"anim.gif", "TGIFImage"},
        {"pattern.tga", "TTarga"},  {"two-sizes.ico", "TIcon"},    {"two-tone.jpg", "TJPEGImage"},
    };
    for (const auto& [file, cls] : cases) {
        TPicture p;
        p.loadFromFile(fixturePath(file));
        ASSERT_NE(p.graphic(), nullptr) << file;
        EXPECT_STREQ(p.graphic()->className(), cls);
        EXPECT_FALSE(p.empty()) << file;
    }
    TPicture p;
    p.loadFromFile(fixturePath("pattern.bmp"));
    EXPECT_EQ(p.width(), 4);
    EXPECT_EQ(pixelOf(*p.graphic(), 0, 0), clRed);

    // An enhanced metafile of 25 x 25 mm with a red square in its right half.
    mfw::Emf emf;
    emf.createBrush(1, 0, mfw::rgb(255, 0, 0)).selectObject(1).selectObject(0x80000008);
    emf.rectangle(50, 0, 100, 100);
    const std::string path = (std::filesystem::temp_directory_path() / "vcl-picture-test.emf").string();
    std::ofstream(path, std::ios::binary) << emf.bytes();
    p.loadFromFile(path);
    EXPECT_STREQ(p.graphic()->className(), "TMetafile");
    EXPECT_EQ(p.width(), 94);  // 25 mm at 96 dots per inch
    EXPECT_EQ(pixelOf(*p.graphic(), 80, 40), clRed);
    // A header alone is no metafile.
    std::string headerOnly(44, '\0');
    headerOnly[0] = 1;
    headerOnly.replace(40, 4, " EMF");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << headerOnly;
    EXPECT_THROW(p.loadFromFile(path), pictures::DecodeError);
    std::filesystem::remove(path);
}

TEST(Picture, MetafilesDrawOntoTheCanvasAtAnySize) {
    // A placeable Windows metafile from a component stream's blob: 100 units, 96 to the inch.
    mfw::Wmf wmf;
    wmf.createBrush(0, mfw::rgb(0, 0, 255)).selectObject(0).createPen(5, 0, 0).selectObject(1);
    wmf.rectangle(0, 0, 50, 50).ellipse(50, 50, 100, 100);
    std::string payload;
    base::appendLE32(payload, static_cast<uint32_t>(wmf.bytes().size() + 4));
    TPicture p;
    p.readData(blob("TMetafile", payload + wmf.bytes()));
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.width(), 100);
    TBitmap target;
    target.setSize(300, 300);
    target.canvas().brush().setColor(clWhite);
    target.canvas().fillRect({0, 0, 300, 300});
    target.canvas().stretchDraw({0, 0, 200, 200}, *p.graphic());  // twice its own size
    EXPECT_EQ(target.canvas().pixel(50, 50), clBlue);
    EXPECT_EQ(target.canvas().pixel(98, 98), clBlue);
    EXPECT_EQ(target.canvas().pixel(150, 50), clWhite);  // the metafile leaves the rest alone
    EXPECT_EQ(target.canvas().pixel(150, 150), clBlue);
    EXPECT_EQ(target.canvas().pixel(105, 105), clWhite);  // outside the ellipse
    EXPECT_EQ(target.canvas().pixel(250, 250), clWhite);
    // Written back, the blob is the same metafile.
    TPicture again;
    again.readData(p.writeData());
    EXPECT_EQ(again.width(), 100);
}

TEST(Picture, UnknownExtensionAndMissingFileAreErrors) {
    TPicture p;
    try {
        p.loadFromFile("/tmp/x.xyz");
        FAIL();
    } catch (const base::Error& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_THROW(p.loadFromFile("/nonexistent/a.bmp"), base::Error);
    EXPECT_TRUE(p.empty());
}

TEST(Picture, ReadsEveryBlobKind) {
    const std::pair<std::string, std::string> cases[] = {
        {"TBitmap", withLength(readFixture("pattern.bmp"))},
        {"TIcon", readFixture("two-sizes.ico")},
        {"TJPEGImage", withLength(jpegBytes())},
        {"TGIFImage", readFixture("anim.gif")},
        {"TPNGObject", readFixture("pattern.png")},
        {"TTarga", std::string("\6TTarga") + readFixture("pattern-rle.tga")},
        {"TTarga", std::string("\6TTarga") + readFixture("pattern.bmp")},
    };
    for (const auto& [cls, data] : cases) {
        TPicture p;
        p.readData(blob(cls, data));
        ASSERT_NE(p.graphic(), nullptr) << cls;
        EXPECT_EQ(p.graphic()->className(), cls);
        EXPECT_FALSE(p.empty()) << cls;
        // Writing gives back the same blob (a bitmap is re-encoded: the same pixels).
        if (cls != "TBitmap") {
            EXPECT_EQ(p.writeData(), blob(cls, data)) << cls;
        }
        TPicture again;
        again.readData(p.writeData());
        EXPECT_EQ(again.graphic()->image()->pixels, p.graphic()->image()->pixels) << cls;
    }
    TPicture jpeg;
    jpeg.readData(blob("TJPEGImage", withLength(jpegBytes())));
    EXPECT_EQ(pixelOf(*jpeg.graphic(), 4, 4) & 0xF00000, 0xF00000) << "decoded blue";
}

TEST(Picture, UnknownBlobClassAndEmptyMetafileGiveAnEmptyPicture) {
    TPicture p;
    p.loadFromFile(fixturePath("pattern.png"));
    p.readData(blob("TSomethingElse", "whatever"));
    EXPECT_TRUE(p.empty());
    EXPECT_EQ(p.graphic(), nullptr);
    p.readData(blob("TMetafile", std::string("\4\0\0\0", 4)));
    EXPECT_TRUE(p.empty());
    EXPECT_STREQ(p.graphic()->className(), "TMetafile");
}

TEST(Picture, CorruptOrTruncatedBlobsFailCleanly) {
    TPicture p;
    EXPECT_THROW(p.readData(blob("TBitmap", withLength("BMgarbage"))), pictures::DecodeError);
    EXPECT_THROW(p.readData(blob("TBitmap", std::string("\xFF\0\0\0BM", 6))), base::StreamError);
    EXPECT_THROW(p.readData(blob("TJPEGImage", withLength("\xFF\xD8\xFF garbage"))), pictures::DecodeError);
    EXPECT_THROW(p.readData(blob("TPNGObject", readFixture("truncated.png"))), pictures::DecodeError);
    EXPECT_THROW(p.readData(std::string("\x20TB")), base::StreamError);
    EXPECT_THROW(p.readData(std::string()), base::StreamError);
    EXPECT_THROW(p.readData(blob("TIcon", readFixture("pattern.png"))), pictures::DecodeError)
        << "an icon holds only icon data";
    TJPEGImage j;
    EXPECT_THROW(j.loadFromBytes("nonsense"), pictures::DecodeError);
    EXPECT_TRUE(j.empty());
}

TEST(Picture, BitmapRoundTripsThroughFilesAndForcesItsKind) {
    TPicture p;
    TBitmap& b = p.bitmap();
    b.setSize(3, 2);
    b.canvas().setPixel(2, 1, clTeal);
    const std::string path = (std::filesystem::temp_directory_path() / "vcl-picture-test.bmp").string();
    p.saveToFile(path);
    TPicture q;
    q.loadFromFile(path);
    std::filesystem::remove(path);
    ASSERT_EQ(q.width(), 3);
    EXPECT_EQ(pixelOf(*q.graphic(), 2, 1), clTeal);
    EXPECT_EQ(pixelOf(*q.graphic(), 0, 0), clWhite);

    q.loadFromFile(fixturePath("pattern.png"));
    int changes = 0;
    q.onChange = [&] { ++changes; };
    TBitmap& forced = q.bitmap();
    EXPECT_TRUE(forced.empty()) << "a picture of another kind becomes an empty bitmap";
    forced.setSize(2, 2);
    forced.canvas().fillRect({0, 0, 1, 1});
    EXPECT_GE(changes, 3);

    TPicture copy;
    copy.assign(p);
    ASSERT_NE(copy.graphic(), p.graphic());
    EXPECT_EQ(copy.width(), 3);
}

TEST(Picture, GifAnimatesOnTheClock) {
    ManualClock clock;
    ScopedTimerService use(clock);
    TPicture p;
    p.readData(blob("TGIFImage", readFixture("anim.gif")));
    auto* gif = dynamic_cast<TGIFImage*>(p.graphic());
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(gif->frameCount(), 2);
    int changes = 0;
    p.onChange = [&] { ++changes; };
    EXPECT_EQ(gif->currentFrame(), 0);
    clock.advance(99);
    EXPECT_EQ(gif->currentFrame(), 0);
    clock.advance(1);
    EXPECT_EQ(gif->currentFrame(), 1);
    EXPECT_EQ(pixelOf(*gif, 0, 0), clBlue);
    clock.advance(200);
    EXPECT_EQ(gif->currentFrame(), 0);
    EXPECT_EQ(changes, 2);
    gif->setAnimate(false);
    clock.advance(1000);
    EXPECT_EQ(gif->currentFrame(), 0);
    EXPECT_EQ(clock.activeTimers(), 0);
    p.setGraphic(nullptr);
    EXPECT_EQ(clock.activeTimers(), 0);
}
