// The marquee frame by frame on the manual clock: offsets per tick for the three styles,
// the control-code filter, the timer's conditions and the form stream.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/vcl/MotionTestSupport.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Marquee.h"
#include "vcl/Registration.h"

using namespace vcl;
using motiontest::inkIn;
using motiontest::makeForm;

namespace {

class MarqueeTest : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
    void SetUp() override {
        form = makeForm(300, 60);
        m = new TMarquee(form.get());
        m->setParent(form.get());
        m->setBorderStyle(bsNone);
        m->setBounds(0, 0, 100, 20);
        m->setScrollDelay(10);
    }
    void ticks(int n) { clock.advance(10LL * n); }

    ManualClock clock;
    ScopedTimerService use{clock};
    std::unique_ptr<TForm> form;
    TMarquee* m = nullptr;
};

TEST_F(MarqueeTest, ControlCodesAreReplacedRemovedOrKept) {
    m->setScrollText("a\tb\r\nc");
    EXPECT_EQ(m->scrollText(), "a b  c");
    m->setNewControlCode('\0');
    m->setScrollText("x\ty\nz");
    EXPECT_EQ(m->scrollText(), "xyz");
    m->setStripControlCodes(false);
    m->setScrollText("x\ty");
    EXPECT_EQ(m->scrollText(), "x\ty");
    // Turning the filter on filters the text already set.
    m->setNewControlCode('_');
    m->setStripControlCodes(true);
    EXPECT_EQ(m->scrollText(), "x_y");

    std::string box;
    application().showErrorBox = [&](const std::string&, const std::string& text) { box = text; };
    m->setNewControlCode('\t');
    application().showErrorBox = nullptr;
    EXPECT_EQ(box, "You cannot enter characters which are control codes themselves!");
    EXPECT_EQ(m->newControlCode(), '_');
}

TEST_F(MarqueeTest, ScrollMovesByTheAmountPerTickAndRepeatsTheText) {
    m->setScrollText("XXXX");
    const int w = m->textWidth("X");
    ASSERT_GT(w, 0);
    ASSERT_EQ(m->textWidth("XXXX"), 4 * w) << "a string measures as the sum of its characters";
    m->setScrollAmount(3);
    EXPECT_EQ(m->currentOutput(), "") << "nothing while stopped";
    m->setActive(true);
    EXPECT_EQ(clock.activeTimers(), 1);
    clock.advance(9);
    EXPECT_EQ(m->currentOutput(), "") << "the first frame comes after one delay";
    for (int n = 1; n <= 60; ++n) {
        ticks(1);
        // Left edge of the text: the distance travelled, less every whole character that
        // has left at the left edge.
        int x = 100 - 3 * n;
        if (x < 0) x = -(((-x) - 1) % w) - 1;  // a character leaves once wholly past the edge
        ASSERT_EQ(m->textX(), x) << "tick " << n;
        const std::string out = m->currentOutput();
        const int expectLen = (100 - x + w - 1) / w;
        ASSERT_EQ(static_cast<int>(out.size()), expectLen) << "tick " << n << ": the line is just full";
        ASSERT_EQ(out, std::string(out.size(), 'X'));
    }
    // Off and on again restarts from the right edge.
    m->setActive(false);
    EXPECT_EQ(clock.activeTimers(), 0);
    m->setActive(true);
    ticks(1);
    EXPECT_EQ(m->textX(), 97);
}

TEST_F(MarqueeTest, ANarrowTextRepeatsSideBySideAndWrapsItsIndex) {
    m->setScrollText("AB");
    m->setScrollAmount(20);
    m->setActive(true);
    ticks(6);  // 100 - 120: the text has wrapped past the left edge
    const std::string out = m->currentOutput();
    ASSERT_FALSE(out.empty());
    EXPECT_GE(m->textWidth(out) + m->textX(), 100);
    for (size_t i = 1; i < out.size(); ++i) EXPECT_NE(out[i], out[i - 1]) << out;
}

TEST_F(MarqueeTest, BlinkShowsTheFittingTextCentredEveryOtherTick) {
    m->setScrollStyle(ssBlink);
    m->setScrollText("Hi");
    m->setColor(clWhite);
    form->show();
    m->setActive(true);
    ticks(1);
    EXPECT_EQ(m->currentOutput(), "Hi");
    EXPECT_EQ(m->textX(), (100 - m->textWidth("Hi")) / 2);
    EXPECT_GT(inkIn(form->grab(), 0, 0, 100, 20, clWhite), 0) << "tick 1 shows the text";
    ticks(1);
    EXPECT_EQ(inkIn(form->grab(), 0, 0, 100, 20, clWhite), 0) << "tick 2 shows the background";
    ticks(1);
    EXPECT_GT(inkIn(form->grab(), 0, 0, 100, 20, clWhite), 0);

    // A wide text keeps only the characters that fit.
    std::string wide(200, 'W');
    m->setScrollText(wide);
    ticks(1);
    const std::string shown = m->currentOutput();
    EXPECT_LE(m->textWidth(shown), 100);
    EXPECT_GT(m->textWidth(shown + "W"), 100);
    form->hide();
}

TEST_F(MarqueeTest, AShortTextBouncesBetweenTheEdges) {
    m->setScrollStyle(ssBounce);
    m->setScrollText("AB");
    m->setScrollAmount(10);
    const int w = m->textWidth("AB");
    ASSERT_LT(w, 90);
    m->setActive(true);
    std::vector<int> xs;
    for (int i = 0; i < 30; ++i) {
        ticks(1);
        xs.push_back(m->textX());
    }
    std::vector<int> expect;
    int x = 100, dir = 1;
    for (int i = 0; i < 30; ++i) {
        if (dir == 1) {
            x -= 10;
            if (x <= 0) dir = -1;
        } else {
            x += 10;
            if (w + x >= 100) dir = 1;
        }
        expect.push_back(x);
    }
    EXPECT_EQ(xs, expect);
    EXPECT_EQ(xs[9], 0) << "turns at the left edge on tick 10";
    EXPECT_EQ(xs[10], 10);
}

TEST_F(MarqueeTest, ALongTextBouncesUntilEachEndIsInside) {
    m->setScrollStyle(ssBounce);
    const std::string text = "abcdefghijklmnopqrstuvwxyz0123456789";
    m->setScrollText(text);
    const int full = m->textWidth(text);
    ASSERT_GT(full, 100);
    m->setScrollAmount(4);
    m->setActive(true);
    // Where the whole text's left edge lies after each tick (its shown piece is drawn at x).
    std::vector<int> pos;
    for (int i = 0; i < 600; ++i) {
        ticks(1);
        const std::string out = m->currentOutput();
        const size_t start = text.find(out);
        ASSERT_NE(start, std::string::npos) << out;
        pos.push_back(m->textX() - m->textWidth(text.substr(0, start)));
    }
    for (size_t i = 1; i < pos.size(); ++i) ASSERT_EQ(std::abs(pos[i] - pos[i - 1]), 4) << "tick " << i;
    size_t right = 1;
    while (right < pos.size() && pos[right] < pos[right - 1]) ++right;
    ASSERT_LT(right, pos.size());
    // The turn comes on the tick that finds the end inside.
    EXPECT_LT(pos[right - 1] + full, 100);
    EXPECT_GE(pos[right - 2] + full, 100);
    size_t left = right + 1;
    while (left < pos.size() && pos[left] > pos[left - 1]) ++left;
    ASSERT_LT(left, pos.size());
    EXPECT_GT(pos[left - 1], 0) << "the start is inside";
    EXPECT_LE(pos[left - 2], 0);
}

TEST_F(MarqueeTest, ZeroWidthCharactersCannotHangTheScroll) {
    m->setStripControlCodes(false);
    m->setScrollText("\xAD\xAD");
    ASSERT_EQ(m->textWidth("\xAD"), 0) << "a soft hyphen measures nothing";
    m->setScrollAmount(7);
    m->setActive(true);
    // Each tick returns: the fill loop stops after a pass that gained no width.
    for (int i = 0; i < 100; ++i) {
        ticks(1);
        ASSERT_EQ(m->currentOutput(), "");
        ASSERT_GE(m->textX(), -7);
        ASSERT_LE(m->textX(), 100);
    }
}

TEST_F(MarqueeTest, TheTimerRunsOnlyWhileActiveEnabledAndVisibleAndPausesInPlace) {
    m->setScrollText("XXXX");
    EXPECT_EQ(clock.activeTimers(), 0) << "no timer without an animation";
    m->setActive(true);
    ticks(5);
    const int x = m->textX();
    m->setEnabled(false);
    EXPECT_EQ(clock.activeTimers(), 0);
    ticks(5);
    m->setEnabled(true);
    ticks(1);
    EXPECT_EQ(m->textX(), x - 1) << "continues where it stopped";
    m->setVisible(false);
    EXPECT_EQ(clock.activeTimers(), 0);
    m->setVisible(true);
    m->setScrollDelay(100);
    clock.advance(99);
    EXPECT_EQ(m->textX(), x - 1);
    clock.advance(1);
    EXPECT_EQ(m->textX(), x - 2);
    // Switched on while hidden, it waits until shown.
    m->setActive(false);
    m->setVisible(false);
    m->setActive(true);
    EXPECT_EQ(clock.activeTimers(), 0);
    m->setVisible(true);
    EXPECT_EQ(clock.activeTimers(), 1);
    // An empty text stops the animation.
    m->setScrollText("");
    EXPECT_EQ(clock.activeTimers(), 0);
    EXPECT_EQ(m->currentOutput(), "");
}

TEST_F(MarqueeTest, ChangingTheStyleWhileRunningRestartsInTheNewStyle) {
    m->setScrollText("Hi");
    m->setActive(true);
    ticks(4);
    m->setScrollStyle(ssBounce);
    EXPECT_EQ(m->textX(), 99) << "one bounce step from the reset state";
    EXPECT_EQ(m->currentOutput(), "Hi");
    m->setScrollStyle(ssBlink);
    EXPECT_EQ(m->currentOutput(), "Hi");
}

TEST_F(MarqueeTest, OnResizeFollowsEveryMoveAndResizeOnce) {
    int resized = 0;
    m->onResize = vcltest::handler([&] { ++resized; });
    m->setLeft(30);
    EXPECT_EQ(resized, 1) << "a move";
    m->setWidth(150);
    EXPECT_EQ(resized, 2) << "a resize, raised once";
    m->setBounds(30, 0, 150, 20);
    EXPECT_EQ(resized, 2) << "no change, no event";
}

TEST_F(MarqueeTest, AutoSizeHeightFitsTheTextHeightPlusTwo) {
    m->setAutoSizeHeight(true);
    const int h = m->height();
    EXPECT_GT(h, 2);
    m->setHeight(50);
    m->setAutoSizeHeight(false);
    EXPECT_EQ(m->height(), h) << "switching it off fits once more";
    // A border adds its width on both sides.
    m->setBorderStyle(bsSingle);
    m->setAutoSizeHeight(true);
    EXPECT_EQ(m->height(), h + 4);
}

TEST_F(MarqueeTest, StaticPaintShowsTheFittingPrefixOnTheColour) {
    m->setColor(clAqua);
    m->setScrollText("Hello");
    form->show();
    const pictures::Image img = form->grab();
    EXPECT_GT(inkIn(img, 0, 0, 100, 20, clAqua), 0);
    EXPECT_EQ(inkIn(img, 60, 0, 100, 20, clAqua), 0) << "a short text leaves the right side empty";
    // A new text on a stopped marquee waits for the next repaint.
    m->setScrollText("");
    EXPECT_GT(inkIn(form->grab(), 0, 0, 100, 20, clAqua), 0);
    m->invalidate();
    EXPECT_EQ(inkIn(form->grab(), 0, 0, 100, 20, clAqua), 0);
    form->hide();
}

TEST_F(MarqueeTest, ReadsFromAFormStreamAndStartsWithItsText) {
    TForm loaded(nullptr);
    motiontest::readText(loaded,
                         "object F: TForm\n"
                         "  object Ticker: TMarquee\n"
                         "    Left = 4\n    Top = 4\n    Width = 120\n    Height = 21\n"
                         "    Active = True\n    ScrollAmount = 2\n    ScrollDelay = 25\n"
                         "    ScrollStyle = ssBounce\n    ScrollText = 'News'\n    BorderStyle = bsNone\n"
                         "    NewControlCode = '*'\n  end\nend\n");
    auto* t = dynamic_cast<TMarquee*>(loaded.findComponent("Ticker"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->scrollText(), "News");
    EXPECT_EQ(t->scrollStyle(), ssBounce);
    EXPECT_EQ(t->scrollAmount(), 2);
    EXPECT_EQ(t->newControlCode(), '*');
    ASSERT_TRUE(t->running());
    clock.advance(25);
    EXPECT_EQ(t->currentOutput(), "News");
    EXPECT_EQ(t->textX(), 118);

    // Every own property is written, read-only CurrentOutput is not.
    const std::string text = motiontest::writeText(loaded);
    for (const char* p : {"AutoCenter", "AutoSizeHeight", "StripControlCodes", "ScrollStyle = ssBounce"})
        EXPECT_NE(text.find(p), std::string::npos) << p << "\n" << text;
    EXPECT_EQ(text.find("CurrentOutput"), std::string::npos);
}

}  // namespace
