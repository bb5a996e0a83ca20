// The text fader on the manual clock: its timer states, the blend checked against the
// formula on known layers, the background modes, what lies beneath, and the two routines.
#include <gtest/gtest.h>

#include <vector>

#include "tests/vcl/MotionTestSupport.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Graphic.h"
#include "vcl/Picture.h"
#include "vcl/Registration.h"
#include "vcl/TextFader.h"

using namespace vcl;
using motiontest::makeForm;
using vcltest::colorAt;
using vcltest::handler;

namespace {

class TextFaderTest : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
    void SetUp() override {
        form = makeForm(300, 100);
        f = new TTextFader(form.get());
        f->setParent(form.get());
        f->setBounds(10, 10, 200, 40);
        f->setColor(clWhite);
        f->onComplete = handler([this] { ++completes; });
    }

    ManualClock clock;
    ScopedTimerService use{clock};
    std::unique_ptr<TForm> form;
    TTextFader* f = nullptr;
    int completes = 0;
};

TEST(TextFaderEscapes, ResolveBackslashesBreaksAndTabs) {
    EXPECT_EQ(decodeFaderEscapes("one\\ntwo"), "one\r\ntwo");
    EXPECT_EQ(decodeFaderEscapes("a\\\\b"), "a\\b");
    EXPECT_EQ(decodeFaderEscapes("a\\tb"), "a\tb");
    EXPECT_EQ(decodeFaderEscapes("a\\xb"), "ab") << "an unknown escape vanishes with its letter";
    EXPECT_EQ(decodeFaderEscapes("end\\"), "end");
}

TEST_F(TextFaderTest, FadesEachLineInThenWaitsAndMovesOn) {
    f->lines()->setText("first\r\nsecond\r\n");
    EXPECT_EQ(clock.activeTimers(), 0) << "no timer while inactive";
    f->setActive(true);
    EXPECT_EQ(f->timerInterval(), 5);
    clock.advance(5);
    EXPECT_EQ(f->currentText(), "first");
    EXPECT_EQ(f->previousText(), "");
    EXPECT_EQ(f->progress(), 4);
    EXPECT_EQ(f->timerInterval(), 30);
    // 25 steps in all with the defaults: 24 more, 30 ms apart.
    for (int step = 2; step <= 25; ++step) {
        clock.advance(30);
        ASSERT_EQ(f->progress(), std::min(4 * step, 100)) << "step " << step;
    }
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(f->timerInterval(), 2000);
    clock.advance(1999);
    EXPECT_EQ(f->currentText(), "first");
    clock.advance(1);
    EXPECT_EQ(f->currentText(), "second");
    EXPECT_EQ(f->previousText(), "first");
    EXPECT_EQ(f->lineIndex(), 1);
}

TEST_F(TextFaderTest, FadeStepIsKeptWithinRangeAndClampsTheLastStep) {
    f->setFadeStep(0);
    EXPECT_EQ(f->fadeStep(), 1);
    f->setFadeStep(300);
    EXPECT_EQ(f->fadeStep(), 100);
    f->setFadeStep(30);
    f->lines()->setText("a\r\n");
    f->setActive(true);
    std::vector<int> seen;
    clock.advance(5);
    seen.push_back(f->progress());
    for (int i = 0; i < 3; ++i) {
        clock.advance(30);
        seen.push_back(f->progress());
    }
    EXPECT_EQ(seen, (std::vector<int>{30, 60, 90, 100}));
}

TEST_F(TextFaderTest, RepeatCountEndsTheShowWithTheLastLineShown) {
    f->lines()->setText("a\r\nb\r\n");
    f->setFadeStep(100);
    f->setRepeatCount(1);
    f->setActive(true);
    clock.advance(5);
    EXPECT_EQ(f->currentText(), "a");
    clock.advance(2000);
    EXPECT_EQ(f->currentText(), "b");
    clock.advance(2000);
    EXPECT_FALSE(f->active());
    EXPECT_FALSE(f->timerRunning());
    EXPECT_EQ(f->repeatedCount(), 1);
    EXPECT_EQ(f->currentText(), "b");
    EXPECT_EQ(completes, 3) << "once more as the show stops";
    clock.advance(10000);
    EXPECT_EQ(completes, 3);
}

TEST_F(TextFaderTest, AnEmptyListCountsAPassAtEveryStep) {
    f->lines()->clear();
    EXPECT_EQ(f->lineIndex(), -1);
    f->setFadeStep(100);
    f->setActive(true);
    clock.advance(5);
    clock.advance(2000);
    EXPECT_EQ(f->repeatedCount(), 2);
    EXPECT_EQ(f->currentText(), "");
    f->setActive(false);
    f->setRepeatCount(1);
    f->setActive(true);
    clock.advance(5);
    EXPECT_FALSE(f->active());
}

TEST_F(TextFaderTest, LineIndexIsClampedAndResetRestartsAtTheFirstLine) {
    f->lines()->setText("a\r\nb\r\nc\r\n");
    f->setLineIndex(99);
    EXPECT_EQ(f->lineIndex(), 2);
    f->setLineIndex(-5);
    EXPECT_EQ(f->lineIndex(), 0);
    f->setFadeStep(100);
    f->setActive(true);
    clock.advance(5);
    EXPECT_EQ(f->currentText(), "b") << "the step after index 0";
    f->reset();
    EXPECT_EQ(f->timerInterval(), 5);
    clock.advance(5);
    EXPECT_EQ(f->currentText(), "a");
    EXPECT_EQ(f->lineIndex(), 0);
    // Shrinking the list moves the index onto the last line.
    clock.advance(2000);
    clock.advance(2000);
    EXPECT_EQ(f->lineIndex(), 2);
    f->lines()->remove(2);
    EXPECT_EQ(f->lineIndex(), 1);
}

TEST_F(TextFaderTest, TheCrossFadeFollowsTheBlendFormula) {
    f->lines()->setText("WWWW MMMM\r\n");
    f->font()->setSize(16);
    f->font()->setColor(clNavy);
    f->setActive(true);
    clock.advance(5);
    for (int i = 0; i < 9; ++i) clock.advance(30);
    ASSERT_EQ(f->progress(), 40);
    TBitmap mid;
    f->renderTo(mid);
    while (f->progress() < 100) clock.advance(30);
    TBitmap full;
    f->renderTo(full);
    // The old layer is the plain colour (no line before the first); the new one is the
    // finished picture. Each channel: (old * (100 - T) + new * T) div 100 with T = 40.
    const pictures::Image& a = mid.pixels();
    const pictures::Image& b = full.pixels();
    ASSERT_EQ(a.width, 200);
    int textPixels = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const uint32_t n = b.pixel(x, y);
            if (n != 0xFFFFFFFFu) ++textPixels;
            for (int shift : {0, 8, 16}) {
                const int expect = (255 * 60 + static_cast<int>((n >> shift) & 0xFF) * 40) / 100;
                ASSERT_EQ(static_cast<int>((a.pixel(x, y) >> shift) & 0xFF), expect) << x << "," << y;
            }
        }
    EXPECT_GT(textPixels, 50);
}

TEST_F(TextFaderTest, BackgroundModesPlaceThePicture) {
    TBitmap tile;
    tile.setSize(2, 2);
    tile.canvas().setPixel(0, 0, clRed);
    tile.canvas().setPixel(1, 0, clLime);
    tile.canvas().setPixel(0, 1, clBlue);
    tile.canvas().setPixel(1, 1, clBlack);
    f->background()->setGraphic(&tile);
    f->lines()->clear();
    f->setBounds(0, 0, 10, 6);
    TBitmap out;
    f->renderTo(out);  // tiled by default
    EXPECT_EQ(colorAt(out.pixels(), 0, 0), clRed);
    EXPECT_EQ(colorAt(out.pixels(), 8, 4), clRed);
    EXPECT_EQ(colorAt(out.pixels(), 9, 5), clBlack);
    f->setBackgroundMode(bmCentered);
    f->renderTo(out);
    EXPECT_EQ(colorAt(out.pixels(), 4, 2), clRed);
    EXPECT_EQ(colorAt(out.pixels(), 5, 3), clBlack);
    EXPECT_EQ(colorAt(out.pixels(), 0, 0), clWhite);
    f->setBackgroundMode(bmStretched);
    f->renderTo(out);
    EXPECT_EQ(colorAt(out.pixels(), 0, 0), clRed);
    EXPECT_EQ(colorAt(out.pixels(), 9, 0), clLime);
    EXPECT_EQ(colorAt(out.pixels(), 9, 5), clBlack);
    f->setBackgroundMode(bmNone);
    f->renderTo(out);
    EXPECT_EQ(colorAt(out.pixels(), 0, 0), clWhite);
}

TEST_F(TextFaderTest, TransparentShowsTheFormAndEarlierGraphicControlsButNotWindows) {
    auto* shape = new TShape(form.get());
    shape->setParent(form.get());
    shape->setBounds(0, 0, 30, 30);
    shape->brush()->setColor(clRed);
    shape->pen()->setColor(clRed);
    auto* panel = new TPanel(form.get());
    panel->setParent(form.get());
    panel->setBounds(50, 0, 30, 30);
    panel->setColor(clBlue);
    f->bringToFront();
    f->lines()->clear();
    f->setTransparent(true);
    TBitmap out;
    f->renderTo(out);
    EXPECT_EQ(colorAt(out.pixels(), 5, 5), clRed) << "the shape beneath, at its offset";
    EXPECT_EQ(colorAt(out.pixels(), 25, 30), clYellow) << "the form's colour";
    EXPECT_EQ(colorAt(out.pixels(), 50, 5), clYellow) << "windowed controls are not drawn";
}

TEST_F(TextFaderTest, PaintsOnTheFormAtEachStep) {
    f->lines()->setText("MMMMMMMM\r\n");
    f->font()->setSize(14);
    form->show();
    EXPECT_EQ(motiontest::inkIn(form->grab(), 10, 10, 210, 50, clWhite), 0) << "nothing shown yet";
    f->setFadeStep(100);
    f->setActive(true);
    clock.advance(5);
    EXPECT_GT(motiontest::inkIn(form->grab(), 10, 10, 210, 50, clWhite), 0);
    form->hide();
}

TEST(DrawTransparent, BlendsPerChannelOverTheCommonSize) {
    TBitmap dst, src;
    dst.setSize(4, 3);
    src.setSize(3, 5);
    const TColor d = rgb(200, 100, 7), s = rgb(10, 250, 99);
    dst.canvas().brush().setColor(d);
    dst.canvas().fillRect({0, 0, 4, 3});
    src.canvas().brush().setColor(s);
    src.canvas().fillRect({0, 0, 3, 5});
    drawTransparent(&dst, &src, 30);
    auto mix = [](int a, int b, int t) { return (a * (100 - t) + b * t) / 100; };
    EXPECT_EQ(colorAt(dst.pixels(), 0, 0), rgb(mix(200, 10, 30), mix(100, 250, 30), mix(7, 99, 30)));
    EXPECT_EQ(colorAt(dst.pixels(), 2, 2), colorAt(dst.pixels(), 0, 0));
    EXPECT_EQ(colorAt(dst.pixels(), 3, 0), d) << "outside the source";
    // Out-of-range transparency is clamped; nil bitmaps are ignored.
    drawTransparent(&dst, &src, 250);
    EXPECT_EQ(colorAt(dst.pixels(), 0, 0), s);
    drawTransparent(&dst, &src, -5);
    EXPECT_EQ(colorAt(dst.pixels(), 0, 0), s);
    drawTransparent(nullptr, &src, 50);
    drawTransparent(&dst, nullptr, 50);
    TBitmap empty;
    drawTransparent(&empty, &src, 50);
    EXPECT_TRUE(empty.pixels().empty());
}

TEST(DrawTiled, TilesFromTheCornerInsideTheRectangleOnly) {
    TBitmap target;
    target.setSize(10, 10);
    target.canvas().brush().setColor(clWhite);
    target.canvas().fillRect({0, 0, 10, 10});
    TBitmap tile;
    tile.setSize(3, 3);
    tile.canvas().brush().setColor(clGreen);
    tile.canvas().fillRect({0, 0, 3, 3});
    tile.canvas().setPixel(0, 0, clRed);
    drawTiled(target.canvas(), {1, 1, 8, 8}, &tile);
    EXPECT_EQ(colorAt(target.pixels(), 1, 1), clRed);
    EXPECT_EQ(colorAt(target.pixels(), 4, 7), clRed);
    EXPECT_EQ(colorAt(target.pixels(), 7, 7), clRed);
    EXPECT_EQ(colorAt(target.pixels(), 8, 8), clWhite) << "clipped to the rectangle";
    EXPECT_EQ(colorAt(target.pixels(), 0, 0), clWhite);
    target.canvas().fillRect({0, 0, 10, 10});
    EXPECT_EQ(colorAt(target.pixels(), 9, 9), clWhite) << "the clip is restored";
    drawTiled(target.canvas(), {0, 0, 10, 10}, nullptr);
}

TEST_F(TextFaderTest, StreamsItsPropertiesAndTheLinesOnlyWhenChanged) {
    TForm source(nullptr);
    auto* fader = new TTextFader(&source);
    fader->setName("Fader");
    fader->setParent(&source);
    EXPECT_EQ(fader->lines()->get(0), "TTextFader v1.22");
    EXPECT_EQ(fader->lines()->count(), 6);
    std::string text = motiontest::writeText(source);
    EXPECT_EQ(text.find("Lines.Strings"), std::string::npos) << text;
    fader->lines()->setText("Hello\\nWorld\r\n");
    fader->setBackgroundMode(bmCentered);
    fader->setFadeStep(10);
    fader->setActive(true);
    text = motiontest::writeText(source);
    EXPECT_NE(text.find("Lines.Strings"), std::string::npos) << text;

    TForm copy(nullptr);
    motiontest::readText(copy, text);
    auto* read = dynamic_cast<TTextFader*>(copy.findComponent("Fader"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->lines()->count(), 1);
    EXPECT_EQ(read->backgroundMode(), bmCentered);
    EXPECT_EQ(read->fadeStep(), 10);
    ASSERT_TRUE(read->timerRunning()) << "an active fader starts once loaded";
    EXPECT_EQ(read->timerInterval(), 5);
    clock.advance(5);
    EXPECT_EQ(read->currentText(), "Hello\r\nWorld");
}

}  // namespace
