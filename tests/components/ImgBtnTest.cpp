// The image button driven through its form's mouse routing: the picture shown and the
// events raised after each step, the Supported switch, picture copies and the form stream.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/ImgBtn.h"
#include "components/Registration.h"
#include "tests/vcl/MotionTestSupport.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Canvas.h"
#include "vcl/Picture.h"
#include "vcl/Registration.h"

using namespace vcl;
using components::TImgBtn;
using vcltest::handler;

namespace {

constexpr TColor kRest = clRed, kOver = clLime, kDown = clBlue, kForm = clYellow;

std::unique_ptr<TPicture> solid(TColor color, int w = 20, int h = 10) {
    auto p = std::make_unique<TPicture>();
    TBitmap& b = p->bitmap();
    b.setSize(w, h);
    b.canvas().brush().setColor(color);
    b.canvas().fillRect({0, 0, w, h});
    return p;
}

// The colour of the displayed picture, or -1 while the display is empty.
TColor shown(const TImgBtn& btn) {
    if (btn.picture()->empty()) return -1;
    TBitmap& b = btn.picture()->bitmap();
    return b.canvas().pixel(1, 1);
}

class ImgBtnTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        registerVclClasses();
        components::registerComponentClasses();
    }
    void SetUp() override {
        form = motiontest::makeForm(200, 100, kForm);
        btn = new TImgBtn(form.get());
        btn->setParent(form.get());
        btn->setBounds(40, 30, 20, 10);
        btn->setPic(solid(kRest).get());
        btn->setPicUp(solid(kOver).get());
        btn->setPicDown(solid(kDown).get());
        auto record = [this](const char* name) {
            return handler([this, name](std::span<const classes::EventArg> a) {
                ASSERT_EQ(a.size(), 1u);
                const components::TWMMouse* m = components::mouseRecord(a[0]);
                ASSERT_NE(m, nullptr) << "the handler gets the message record";
                events.push_back(std::string(name) + "(" + std::to_string(m->msg) + "," +
                                 std::to_string(m->xPos) + "," + std::to_string(m->yPos) + ")");
            });
        };
        btn->onBtnMouseEnter = record("enter");
        btn->onBtnMouseLeave = record("leave");
        btn->onBtnMouseDown = record("down");
        btn->onBtnMouseUp = record("up");
        btn->onClick = handler([this] { events.push_back("click"); });
    }
    // The events since the last call, space-separated.
    std::string take() {
        std::string s;
        for (const std::string& e : events) s += (s.empty() ? "" : " ") + e;
        events.clear();
        return s;
    }

    std::unique_ptr<TForm> form;
    TImgBtn* btn = nullptr;
    std::vector<std::string> events;
};

TEST_F(ImgBtnTest, PressLeaveReenterReleaseShowsEachStateAndClicks) {
    EXPECT_EQ(shown(*btn), kRest) << "writing Pic shows it at once";
    form->handleMouseMove(0, 5, 5);
    EXPECT_EQ(take(), "");
    form->handleMouseMove(0, 45, 35);
    EXPECT_EQ(shown(*btn), kOver);
    EXPECT_EQ(take(), "enter(45075,0,0)");
    form->handleMouseDown(mbLeft, 1u << ssLeft, 46, 36, false);
    EXPECT_EQ(shown(*btn), kDown);
    EXPECT_TRUE(btn->pressed());
    EXPECT_EQ(take(), "down(513,6,6)") << "client coordinates in the record";
    form->handleMouseMove(1u << ssLeft, 150, 80);
    EXPECT_EQ(shown(*btn), kRest) << "leaving while held shows the rest picture";
    EXPECT_TRUE(btn->pressed());
    EXPECT_EQ(take(), "leave(45076,0,0)");
    form->handleMouseMove(1u << ssLeft, 41, 31);
    EXPECT_EQ(shown(*btn), kDown) << "coming back while held shows the pressed picture";
    EXPECT_EQ(take(), "enter(45075,0,0)");
    form->handleMouseUp(mbLeft, 0, 41, 31);
    EXPECT_EQ(shown(*btn), kOver);
    EXPECT_FALSE(btn->pressed());
    EXPECT_EQ(take(), "click up(514,1,1)") << "the click comes from the standard release, first";
    form->handleMouseMove(0, 150, 80);
    EXPECT_EQ(shown(*btn), kRest);
    EXPECT_EQ(take(), "leave(45076,0,0)");
}

TEST_F(ImgBtnTest, ReleaseOutsideRaisesUpButNoClick) {
    form->handleMouseMove(0, 45, 35);
    form->handleMouseDown(mbLeft, 0, 45, 35, false);
    form->handleMouseMove(0, 150, 80);
    take();
    form->handleMouseUp(mbLeft, 0, 150, 80);
    EXPECT_EQ(shown(*btn), kRest);
    EXPECT_FALSE(btn->pressed());
    EXPECT_EQ(take(), "up(514,110,50)") << "captured: the release reaches the button, outside its area";
}

TEST_F(ImgBtnTest, OnlyPicGoesBlankUnderTheMouseAndRightButtonIsIgnored) {
    auto* plain = new TImgBtn(form.get());
    plain->setParent(form.get());
    plain->setBounds(100, 0, 20, 10);
    plain->setPic(solid(kRest).get());
    form->handleMouseMove(0, 105, 5);
    EXPECT_EQ(shown(*plain), -1) << "PicUp is empty";
    form->handleMouseDown(mbRight, 0, 105, 5, false);
    EXPECT_FALSE(plain->pressed());
    form->handleMouseUp(mbRight, 0, 105, 5);
    form->handleMouseMove(0, 190, 90);
    EXPECT_EQ(shown(*plain), kRest);
}

TEST_F(ImgBtnTest, UnsupportedButtonNeverSwapsButStillClicks) {
    btn->setSupported(false);
    form->handleMouseMove(0, 45, 35);
    form->handleMouseDown(mbLeft, 0, 45, 35, false);
    EXPECT_EQ(shown(*btn), kRest);
    form->handleMouseUp(mbLeft, 0, 45, 35);
    form->handleMouseMove(0, 150, 80);
    EXPECT_EQ(shown(*btn), kRest);
    EXPECT_EQ(take(), "click");
}

TEST_F(ImgBtnTest, PictureWritesCopyAndPicUpWaitsForTheNextEnter) {
    auto mine = solid(clAqua);
    btn->setPicDown(mine.get());
    mine->bitmap().canvas().brush().setColor(clBlack);
    mine->bitmap().canvas().fillRect({0, 0, 20, 10});
    EXPECT_EQ(btn->picDown()->bitmap().canvas().pixel(1, 1), clAqua) << "the caller keeps its own picture";

    form->handleMouseMove(0, 45, 35);
    btn->setPicUp(solid(clFuchsia).get());
    EXPECT_EQ(shown(*btn), kOver) << "the new PicUp waits";
    form->handleMouseMove(0, 150, 80);
    form->handleMouseMove(0, 45, 35);
    EXPECT_EQ(shown(*btn), clFuchsia);
}

TEST_F(ImgBtnTest, PaintsTheDisplayedPicture) {
    form->handleMouseMove(0, 45, 35);
    EXPECT_EQ(vcltest::colorAt(form->grab(), 45, 35), kOver);
    form->handleMouseDown(mbLeft, 0, 45, 35, false);
    EXPECT_EQ(vcltest::colorAt(form->grab(), 45, 35), kDown);
    form->handleMouseUp(mbLeft, 0, 45, 35);
    form->handleMouseMove(0, 150, 80);
    EXPECT_EQ(vcltest::colorAt(form->grab(), 45, 35), kRest);
    EXPECT_EQ(vcltest::colorAt(form->grab(), 150, 80), kForm);
}

TEST_F(ImgBtnTest, StreamKeepsPicturesAndAlwaysStoresSupported) {
    btn->setName("ImgBtn1");
    const std::string text = motiontest::writeText(*form);
    EXPECT_NE(text.find("Supported = True"), std::string::npos) << text;
    for (const char* p : {"Pic.Data", "PicUp.Data", "PicDown.Data"})
        EXPECT_NE(text.find(p), std::string::npos) << p;

    TForm loaded(nullptr);
    motiontest::readText(loaded, text);
    auto* copy = dynamic_cast<TImgBtn*>(loaded.findComponent("ImgBtn1"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(shown(*copy), kRest) << "the rest picture read from the stream is shown";
    EXPECT_EQ(copy->picUp()->bitmap().canvas().pixel(1, 1), kOver);
    EXPECT_EQ(copy->picDown()->bitmap().canvas().pixel(1, 1), kDown);
    EXPECT_TRUE(copy->supported());

    TForm off(nullptr);
    motiontest::readText(off, "object F: TForm\n  object B: TImgBtn\n    Supported = False\n  end\nend\n");
    auto* b = dynamic_cast<TImgBtn*>(off.findComponent("B"));
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->supported());
    EXPECT_EQ(b->width(), 100);
    EXPECT_EQ(b->height(), 25);
}

}  // namespace
