// The shaped form: region data checked before use, a generated heart giving the window
// exactly its shape, mask files, the holder copies, the fixed position and dragging.
#include <gtest/gtest.h>

#include <QApplication>
#include <QRegion>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "classes/Errors.h"
#include "components/CoolForm.h"
#include "components/Registration.h"
#include "tests/vcl/MotionTestSupport.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Graphic.h"
#include "vcl/Picture.h"
#include "vcl/Registration.h"

using namespace vcl;
using components::TCoolForm;
using components::TRegionType;
namespace regiondata = components::regiondata;

namespace {

// One rectangle per run of a row of a heart of the given size: two lobes above, a point below.
std::vector<TRect> heart(int size) {
    std::vector<TRect> runs;
    auto inside = [size](int x, int y) {
        const double u = (x + 0.5) / size * 2.6 - 1.3, v = 1.3 - (y + 0.5) / size * 2.6;
        const double a = u * u + v * v - 1;
        return a * a * a - u * u * v * v * v <= 0;
    };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (!inside(x, y)) continue;
            const int first = x;
            while (x < size && inside(x, y)) ++x;
            runs.push_back({first, y, x, y + 1});
        }
    return runs;
}

std::string lengthPrefixed(const std::string& data) {
    std::string out(4, '\0');
    const auto n = static_cast<uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) out[size_t(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
    return out + data;
}

QWidget* windowTitled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title) return w;
    return nullptr;
}

class CoolFormTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        registerVclClasses();
        components::registerComponentClasses();
    }
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->setBounds(10, 10, 120, 120);
        cool = new TCoolForm(form.get());
        cool->setParent(form.get());
        dir = std::filesystem::temp_directory_path() /
              ("coolform-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string file(const std::string& name, const std::string& bytes) {
        const auto p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

    std::unique_ptr<TForm> form;
    TCoolForm* cool = nullptr;
    std::filesystem::path dir;
};

TEST_F(CoolFormTest, AHeartMaskGivesTheWindowExactlyThatShape) {
    const std::vector<TRect> shape = heart(100);
    ASSERT_GT(shape.size(), 80u);
    EXPECT_EQ(form->borderStyle(), bsNone) << "placing the control makes the form borderless";
    ASSERT_TRUE(cool->loadMaskFromFile(file("heart.msk", lengthPrefixed(regiondata::build(shape)))));
    EXPECT_EQ(form->windowRegion(), shape);
    ASSERT_TRUE(cool->mask()->region());
    EXPECT_EQ(*cool->mask()->region(), shape);

    form->setCaption("heart-test");
    form->show();
    QWidget* w = windowTitled("heart-test");
    ASSERT_NE(w, nullptr);
    QRegion expected;
    for (const TRect& r : shape) expected += QRect(r.left, r.top, r.width(), r.height());
    EXPECT_EQ(w->mask(), expected);
    EXPECT_TRUE(w->mask().contains(QPoint(50, 60)));
    EXPECT_TRUE(w->mask().contains(QPoint(30, 15))) << "a lobe";
    EXPECT_FALSE(w->mask().contains(QPoint(50, 8))) << "the notch between the lobes";
    EXPECT_FALSE(w->mask().contains(QPoint(5, 90))) << "beside the point";

    // Four zero bytes: True, the window keeps its shape, the holder forgets its region.
    EXPECT_TRUE(cool->loadMaskFromFile(file("none.msk", std::string(4, '\0'))));
    EXPECT_EQ(w->mask(), expected);
    EXPECT_FALSE(cool->mask()->region());
    form->hide();
}

TEST_F(CoolFormTest, BadRegionDataIsRefusedWithoutReadingPastIt) {
    const std::string good = regiondata::build({{0, 0, 10, 10}, {10, 10, 20, 20}});
    ASSERT_TRUE(cool->loadMaskFromFile(file("good.msk", lengthPrefixed(good))));
    const std::vector<TRect> before = form->windowRegion();

    std::string wrongHeader = good, wrongType = good, tooMany = good;
    wrongHeader[0] = 40;
    wrongType[4] = 2;
    tooMany[8] = 3;  // three rectangles claimed, two present
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"short", lengthPrefixed(good.substr(0, 31))},
        {"header size", lengthPrefixed(wrongHeader)},
        {"type", lengthPrefixed(wrongType)},
        {"count", lengthPrefixed(tooMany)},
        {"length beyond the file", lengthPrefixed(good).substr(0, 40)},
        {"negative length", std::string("\xff\xff\xff\xff", 4) + good},
        {"no length", std::string("\x01\x00", 2)},
    };
    for (const auto& [what, bytes] : bad) {
        EXPECT_FALSE(cool->loadMaskFromFile(file("bad.msk", bytes))) << what;
        EXPECT_EQ(form->windowRegion(), before) << what;
        EXPECT_THROW(cool->readMask2(bytes), classes::EReadError) << what;
    }
    EXPECT_FALSE(cool->loadMaskFromFile((dir / "missing.msk").string()));
}

TEST_F(CoolFormTest, StreamCarriesTheRegionAsMask2) {
    const std::vector<TRect> shape = heart(40);
    cool->readMask2(lengthPrefixed(regiondata::build(shape)));
    cool->setName("Cool");
    const std::string text = motiontest::writeText(*form);
    EXPECT_NE(text.find("Mask2 = {"), std::string::npos) << text;

    TForm loaded(nullptr);
    motiontest::readText(loaded, text);
    auto* copy = dynamic_cast<TCoolForm*>(loaded.findComponent("Cool"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(loaded.windowRegion(), shape);
    EXPECT_EQ(loaded.borderStyle(), bsNone);
    EXPECT_EQ(copy->regionData(), regiondata::build(shape));

    TForm broken(nullptr);
    EXPECT_THROW(motiontest::readText(broken,
                                      "object F: TForm\n  object C: TCoolForm\n    Mask2 = {"
                                      "0400000001020304}\n  end\nend\n"),
                 classes::EReadError);
}

TEST_F(CoolFormTest, MaskWritesCopyAndPositionStaysAtTheCorner) {
    TRegionType mine;
    mine.setRegion(std::vector<TRect>{{1, 2, 3, 4}});
    cool->setMask(&mine);
    ASSERT_TRUE(cool->mask()->region());
    EXPECT_NE(cool->mask(), &mine) << "the script keeps its object";
    EXPECT_EQ(cool->mask()->owner(), cool);
    mine.setRegion(std::vector<TRect>{{5, 5, 6, 6}});
    EXPECT_EQ(cool->mask()->region()->front(), (TRect{1, 2, 3, 4}));
    TRegionType none;
    cool->setMask(&none);
    EXPECT_TRUE(cool->mask()->region()) << "an empty holder is ignored";

    cool->setLeft(50);
    cool->setTop(7);
    EXPECT_EQ(cool->left(), 0);
    EXPECT_EQ(cool->top(), 0);
    EXPECT_EQ(cool->width(), form->clientWidth()) << "the picture fills the form";
}

TEST_F(CoolFormTest, OtherPicturesBecomeBitmapsThatKeepTheirPixels) {
    cool->picture()->loadFromFile(std::string(VANTREL_SOURCE_DIR) + "/tests/pictures/data/pattern.png");
    auto* bmp = dynamic_cast<TBitmap*>(cool->picture()->graphic());
    ASSERT_NE(bmp, nullptr);
    EXPECT_FALSE(bmp->empty()) << "a PNG skin stays visible";
    TPicture png;
    png.loadFromFile(std::string(VANTREL_SOURCE_DIR) + "/tests/pictures/data/pattern.png");
    ASSERT_NE(png.graphic()->image(), nullptr);
    EXPECT_EQ(bmp->width(), png.width());
    EXPECT_EQ(bmp->image()->pixel(1, 1), png.graphic()->image()->pixel(1, 1));
}

TEST_F(CoolFormTest, PressingThePictureDragsTheWindowByHandWithoutAWindowManager) {
    form->setCaption("drag-test");
    form->show();
    const int left = form->left(), top = form->top();
    form->handleMouseDown(mbLeft, 1u << ssLeft, 20, 20, false);
    ASSERT_TRUE(cool->draggingByHand()) << "the headless platform has no window manager move";
    form->handleMouseMove(1u << ssLeft, 35, 27);
    EXPECT_EQ(form->left(), left + 15);
    EXPECT_EQ(form->top(), top + 7);
    form->handleMouseUp(mbLeft, 0, 20, 20);
    EXPECT_FALSE(cool->draggingByHand());
    form->handleMouseMove(0, 60, 60);
    EXPECT_EQ(form->left(), left + 15) << "the release ends the drag";

    form->handleMouseDown(mbRight, 0, 20, 20, false);
    EXPECT_FALSE(cool->draggingByHand()) << "other buttons do nothing";
    form->handleMouseUp(mbRight, 0, 20, 20);
    form->hide();
}

}  // namespace
