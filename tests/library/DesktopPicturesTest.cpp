// Screen, keyboard, fonts, clipboard, cursor and picture routines called from C++: lock
// keys written and read back, the cursor table, the clipboard headless, and pictures loaded,
// saved and copied on files and windows the tests make.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "classes/TStrings.h"
#include "library/Desktop.h"
#include "library/Expansion.h"
#include "library/Pictures.h"
#include "pictures/Encoders.h"
#include "pictures/Loaders.h"
#include "platform/Paths.h"
#include "tests/vcl/CursorBuilder.h"
#include "vcl/Cursors.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/KeyState.h"
#include "vcl/WindowIds.h"

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
void writeBytes(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// A w by h picture: red left half, blue right half.
pictures::Image halves(int w, int h) {
    pictures::Image img(w, h, 0xFFFF0000u);
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x) img.setPixel(x, y, 0xFF0000FFu);
    return img;
}

bool same(const pictures::Image& a, const pictures::Image& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vantrel-lib-system-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        library::setPlaceholderExpander(nullptr);
        fs::remove_all(dir);
    }
    // The Windows form scripts use.
    std::string win(const std::string& name) const { return platform::windowsPath(dir / name); }
    fs::path dir;
};

TEST(LockKeys, SetRoutinesChangeWhatTheGetRoutinesRead) {
    for (bool on : {true, false, true}) {
        library::setCapsLock(on);
        library::setNumLock(!on);
        library::setScrollLock(on);
        EXPECT_EQ(library::getCapsLock(), on);
        EXPECT_EQ(library::getNumLock(), !on);
        EXPECT_EQ(library::getScrollLock(), on);
    }
    EXPECT_EQ(vcl::keyState(vcl::kVkCapital), 1) << "written as the value 1";
    // A key held down counts too.
    library::setNumLock(false);
    vcl::keyPressed(vcl::kVkNumLock);
    EXPECT_TRUE(library::getNumLock());
    vcl::keyReleased(vcl::kVkNumLock);
    EXPECT_TRUE(library::getNumLock()) << "the press toggled it on";
    library::setCapsLock(false);
    library::setScrollLock(false);
    library::setNumLock(false);
}

TEST(Desktop, ScreenFontsAndClipboard) {
    EXPECT_GT(library::screenWidth(), 0);
    const library::TDWDimension d = library::screenResolution(0);
    EXPECT_EQ(d.Width, library::screenWidth());
    EXPECT_EQ(d.Height, library::screenHeight());
    EXPECT_EQ(library::screenDeviceName(0), "\\\\.\\DISPLAY1");
    EXPECT_GT(library::screenColorDepth(0), 0);
    for (uint8_t none : {uint8_t(7), uint8_t(255)}) {
        EXPECT_EQ(library::screenDeviceName(none), "");
        EXPECT_EQ(library::screenMonitorString(none), "");
        EXPECT_EQ(library::screenColorDepth(none), 0);
        EXPECT_EQ(library::screenFrequency(none), 0);
        EXPECT_EQ(library::screenResolution(none).Width, 0);
    }
    EXPECT_EQ(library::getMouseButtons() > 0, library::mouseIsPresent());

    std::unique_ptr<classes::TStrings> fonts = library::fonts();
    ASSERT_GT(fonts->count(), 0);
    EXPECT_TRUE(library::fontExists(fonts->get(0)));
    EXPECT_EQ(library::getPreferredUIFont(),
              library::fontExists("Microsoft Sans Serif") ? "Microsoft Sans Serif" : "MS Sans Serif");

    library::copyTextToClipboard("first");
    library::copyTextToClipboard("caf\xE9 au lait");
    EXPECT_EQ(library::getTextFromClipboard(), "caf\xE9 au lait") << "the second replaces the first";
}

TEST_F(Files, CursorTableLoadsEachFileOnceAndKeepsNumbers) {
    using namespace cursorfiles;
    writeBytes(dir / "a.cur", iconDirectory({solidEntry(32, 32, 0xFF0000, 3, 4)}));
    writeBytes(dir / "b.ani", animatedCursor({iconDirectory({solidEntry(32, 32, 0xFF, 1, 1)}),
                                              iconDirectory({solidEntry(32, 32, 0xFF00, 2, 2)})},
                                             6));
    writeBytes(dir / "bad.cur", "not a cursor");
    const int32_t a = library::addCursor(win("a.cur"));
    const int32_t b = library::addCursor(win("b.ani"));
    const int32_t bad = library::addCursor(win("bad.cur"));
    const int32_t missing = library::addCursor(win("missing.cur"));
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(bad, b + 1);
    EXPECT_EQ(missing, bad + 1) << "a file that cannot be read still takes a number";
    ASSERT_NE(vcl::cursorShape(a), nullptr);
    EXPECT_EQ(vcl::cursorShape(a)->frames[0].hotX, 3);
    EXPECT_TRUE(vcl::cursorShape(b)->animated());
    EXPECT_EQ(vcl::cursorShape(bad), nullptr);
    EXPECT_EQ(vcl::cursorShape(missing), nullptr);

    // The same file again: the same number, and the file is not read a second time.
    writeBytes(dir / "a.cur", iconDirectory({solidEntry(32, 32, 0xFF0000, 9, 9)}));
    EXPECT_EQ(library::addCursor(win("a.cur")), a);
    EXPECT_EQ(library::addCursor(win("A.CUR")), a) << "file names compare without letter case";
    EXPECT_EQ(vcl::cursorShape(a)->frames[0].hotX, 3);

    library::setDefaultCursor(a);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(3, 4));
    library::setDefaultCursor(missing);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    library::setDefaultCursor(0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Files, PicturesRoundTripThroughTheirOwnFormats) {
    const pictures::Image img = halves(8, 4);
    writeBytes(dir / "in.tga", pictures::encodeTarga(img));
    QImage q(8, 4, QImage::Format_RGB32);
    q.fill(Qt::green);
    q.save(QString::fromStdString((dir / "in.png").string()));

    vcl::TImage control(nullptr);
    library::loadImage(control, win("in.tga"));
    ASSERT_NE(control.picture()->graphic(), nullptr);
    EXPECT_STREQ(control.picture()->graphic()->className(), "TTarga");
    EXPECT_TRUE(same(*control.picture()->graphic()->image(), img));
    library::saveImage(control, win("out.tga"));
    EXPECT_EQ(readBytes(dir / "out.tga"), readBytes(dir / "in.tga")) << "saved in the picture's own format";

    library::loadImage(control, win("IN.PNG"));  // found without letter case
    EXPECT_STREQ(control.picture()->graphic()->className(), "TPNGObject");
    library::saveImage(control, win("copy.tga"));  // the picture's own format, whatever the name
    EXPECT_EQ(pictures::sniffFormat(readBytes(dir / "copy.tga")), pictures::Format::Png);

    EXPECT_THROW(library::loadImage(control, win("none.png")), std::exception);
    writeBytes(dir / "text.xyz", "x");
    EXPECT_THROW(library::loadImage(control, win("text.xyz")), std::exception);
    EXPECT_STREQ(control.picture()->graphic()->className(), "TPNGObject")
        << "a failed load keeps the picture";

    EXPECT_TRUE(library::clearImage(&control));
    EXPECT_EQ(control.picture()->graphic(), nullptr);
    library::saveImage(control, win("empty.bmp"));
    EXPECT_FALSE(fs::exists(dir / "empty.bmp")) << "an empty picture writes nothing";
    EXPECT_FALSE(library::clearImage(nullptr));
}

TEST_F(Files, ATargaHoldingBitmapDataIsSavedAsATarga) {
    // Form streams may carry a Targa picture whose data is a bitmap.
    vcl::TBitmap bmp;
    bmp.assignImage(halves(6, 2));
    vcl::TTarga targa;
    targa.loadFromBytes(bmp.saveToBytes());
    vcl::TImage control(nullptr);
    control.picture()->setGraphic(&targa);
    library::saveImage(control, win("fixed.tga"));
    const std::string bytes = readBytes(dir / "fixed.tga");
    const pictures::Decoded d = pictures::decode(bytes, pictures::Format::Targa);
    ASSERT_FALSE(d.empty());
    EXPECT_TRUE(same(d.frames[0].image, halves(6, 2)));
}

TEST_F(Files, ExistingNamesFirstThenPlaceholders) {
    writeBytes(dir / "pic.tga", pictures::encodeTarga(halves(2, 2)));
    fs::create_directories(dir / "%P%");
    writeBytes(dir / "%P%" / "pic.tga", pictures::encodeTarga(halves(4, 4)));
    static std::string s_folder;
    s_folder = platform::windowsPath(dir);
    library::setPlaceholderExpander([](std::string_view text) {
        std::string out(text);
        if (size_t at = out.find("%P%"); at != std::string::npos) out.replace(at, 3, s_folder);
        return out;
    });
    vcl::TImage control(nullptr);
    library::loadImage(control, win("%P%\\pic.tga"));
    EXPECT_EQ(control.picture()->width(), 4) << "the name exists as written";
    library::loadImage(control, "%P%\\pic.tga");
    EXPECT_EQ(control.picture()->width(), 2) << "expanded when it does not";
    library::saveImage(control, "%P%\\saved.tga");
    EXPECT_TRUE(fs::exists(dir / "saved.tga"));
}

TEST(PictureCopies, WindowsScreenFormsAndIcons) {
    vcl::TForm form(nullptr);
    form.setBorderStyle(vcl::bsNone);
    form.setColor(0x00FF00);
    form.setBounds(30, 30, 40, 30);
    form.show();
    QApplication::processEvents();
    vcl::TPicture picture;

    library::copyWindowTo(&picture, vcl::windowId(&form), 5, 5, 10, 10);
    ASSERT_EQ(picture.width(), 10);
    EXPECT_STREQ(picture.graphic()->className(), "TBitmap");
    EXPECT_EQ(picture.graphic()->image()->pixel(2, 2), 0xFF00FF00u);
    // Beyond the window's edge: black.
    library::copyWindowTo(&picture, vcl::windowId(&form), 35, 0, 10, 5);
    EXPECT_EQ(picture.graphic()->image()->pixel(2, 2), 0xFF00FF00u);
    EXPECT_EQ(picture.graphic()->image()->pixel(8, 2), 0xFF000000u);
    // The whole screen: the window at its place.
    library::copyWindowTo(&picture, 0, 40, 40, 4, 4);
    EXPECT_EQ(picture.graphic()->image()->pixel(1, 1), 0xFF00FF00u);

    // Unknown ids and absurd sizes leave the picture as it is.
    const pictures::Image before = *picture.graphic()->image();
    library::copyWindowTo(&picture, vcl::windowId(&form) + 4000, 0, 0, 10, 10);
    library::copyWindowTo(&picture, 12345, 0, 0, 10, 10);
    library::copyWindowTo(&picture, 0, 0, 0, 100000, 100000);
    EXPECT_TRUE(same(*picture.graphic()->image(), before));
    library::copyWindowTo(nullptr, 0, 0, 0, 10, 10);
    library::copyWindowTo(&picture, 0, 0, 0, 0, 10);
    EXPECT_TRUE(picture.empty()) << "a zero-sized copy is an empty bitmap";

    library::getFormImage(&form, &picture);
    EXPECT_EQ(picture.width(), 40);
    EXPECT_EQ(picture.graphic()->image()->pixel(20, 15), 0xFF00FF00u);
    library::getFormImage(nullptr, &picture);
    library::getFormImage(&form, nullptr);
    EXPECT_EQ(picture.width(), 40);

    for (int id = 0; id <= 5; ++id) {
        vcl::TPicture icon;
        library::loadWinIco(id, &icon);
        ASSERT_NE(icon.graphic(), nullptr) << id;
        EXPECT_STREQ(icon.graphic()->className(), "TIcon");
        EXPECT_EQ(icon.width(), 32);
    }
    vcl::TPicture kept;
    kept.setGraphic(picture.graphic());
    library::loadWinIco(9, &kept);
    library::loadWinIco(-1, &kept);
    EXPECT_STREQ(kept.graphic()->className(), "TBitmap") << "an unknown id leaves the picture";
    library::freeGraphic(&kept);
    EXPECT_EQ(kept.graphic(), nullptr);
    library::freeGraphic(nullptr);

    // A freed window's id names nothing any more.
    int32_t id;
    {
        vcl::TForm gone(nullptr);
        id = vcl::windowId(&gone);
    }
    library::copyWindowTo(&picture, id, 0, 0, 5, 5);
    EXPECT_EQ(picture.width(), 40);
    form.hide();
}

}  // namespace
