// The scrolling credits per tick: positions, announcements and the end of each pass, the
// line codes, handlers that change the list, and what the paint shows.
#include <gtest/gtest.h>

#include <vector>

#include "classes/TStrings.h"
#include "tests/vcl/MotionTestSupport.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Registration.h"
#include "vcl/ScrollingCredits.h"

using namespace vcl;
using motiontest::makeForm;
using vcltest::handler;

namespace {

TEST(CreditLines, CodesApplyToTheWholeLine) {
    CreditLine l = parseCreditLine("&c255,0,0;Red line");
    EXPECT_EQ(l.text, "Red line");
    EXPECT_EQ(l.color, rgb(255, 0, 0));
    l = parseCreditLine("&bBold and &iitalic");
    EXPECT_EQ(l.text, "Bold and italic");
    EXPECT_TRUE(l.bold);
    EXPECT_TRUE(l.italic);
    EXPECT_FALSE(l.underline);
    EXPECT_EQ(parseCreditLine("Fish &&").text, "Fish &");
    EXPECT_EQ(parseCreditLine("a &xb c").text, "a b c") << "an unknown code drops both characters";
    l = parseCreditLine("Blue &c0,0,255");
    EXPECT_EQ(l.text, "Blue ");
    EXPECT_EQ(l.color, rgb(0, 0, 255)) << "the rest of the line is the colour";
    EXPECT_TRUE(parseCreditLine("&U&B&I").underline);
    // Malformed colour codes are dropped and change nothing.
    for (const char* bad : {"&c300,0,0;X", "&c1,2;X", "&ca,b,c;X", "&c1,2,3,4;X", "&c-1,0,0;X"}) {
        l = parseCreditLine(bad);
        EXPECT_EQ(l.text, "X") << bad;
        EXPECT_FALSE(l.color.has_value()) << bad;
    }
}

class CreditsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
    void SetUp() override {
        form = makeForm(200, 100);
        c = new TScrollingCredits(form.get());
        c->setParent(form.get());
        c->setBounds(0, 0, 100, 60);
        c->onShowCredit = handler([this](std::span<const classes::EventArg> args) {
            shown.push_back(std::get<std::string>(args[1]));
        });
        c->afterLastCredit = handler([this] { ++passes; });
        form->show();
    }
    void TearDown() override { form->hide(); }

    ManualClock clock;
    ScopedTimerService use{clock};
    std::unique_ptr<TForm> form;
    TScrollingCredits* c = nullptr;
    std::vector<std::string> shown;
    int passes = 0;
};

TEST_F(CreditsTest, ScrollsOnePixelPerTickAndAnnouncesEachLineOncePerPass) {
    classes::TStringList lines;
    for (const char* s : {"&bOne", "Two", "&c0,255,0;Three"}) lines.add(s);
    c->setCredits(&lines);
    c->reset();  // the canvas now measures with the credits font
    const int h = c->lineHeight();
    ASSERT_GT(h, 0);
    EXPECT_EQ(clock.activeTimers(), 0);
    c->setAnimate(true);
    EXPECT_EQ(c->scrollPos(), h + 60);
    EXPECT_EQ(shown, (std::vector<std::string>{"One"})) << "the first line is always considered";
    // Line i is reached once the lines above it end within the control: scrollPos + i*h <= 60.
    int pos = h + 60, tick = 0;
    while (pos >= -(3 * h)) {
        clock.advance(50);
        ++tick;
        --pos;
        ASSERT_EQ(c->scrollPos(), pos) << "tick " << tick;
        size_t expectShown = 1;
        for (int i = 1; i < 3; ++i)
            if (pos + i * h <= 60) expectShown = static_cast<size_t>(i) + 1;
        ASSERT_EQ(shown.size(), expectShown) << "tick " << tick;
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(passes, 0);
    // The check comes before the step: one more tick ends the pass and restarts from the bottom.
    clock.advance(50);
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(c->scrollPos(), 60);
    EXPECT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown.back(), "One") << "announced again in the new pass";
    EXPECT_EQ(tick + 1, h + 60 + 3 * h + 2) << "a pass from Animate lasts height + n*h + 2 ticks";
}

TEST_F(CreditsTest, ResetInTheMiddleOfAPassDoesNotAnnounceAgain) {
    classes::TStringList lines;
    lines.add("A");
    lines.add("B");
    c->setCredits(&lines);
    c->setAnimate(true);
    while (c->lastShown() < 1) clock.advance(50);
    ASSERT_EQ(shown, (std::vector<std::string>{"A", "B"}));
    c->reset();
    EXPECT_EQ(c->scrollPos(), c->lineHeight() + 60);
    EXPECT_EQ(c->lastShown(), 1) << "Reset keeps what was announced";
    c->setAnimate(true);  // so does setting Animate again
    for (int i = 0; i < c->lineHeight() + 60; ++i) clock.advance(50);
    EXPECT_EQ(shown.size(), 2u) << "not announced again in the same pass";
    EXPECT_EQ(passes, 0);
    while (passes == 0) clock.advance(50);
    EXPECT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown.back(), "A");
}

TEST_F(CreditsTest, AnEmptyListEndsAPassOnceThePositionDropsBelowZero) {
    classes::TStringList none;
    c->setCredits(&none);
    c->setAnimate(true);
    const int start = c->scrollPos();
    clock.advance(50LL * (start + 1));
    EXPECT_EQ(c->scrollPos(), -1);
    EXPECT_EQ(passes, 0);
    clock.advance(50);
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(c->scrollPos(), 60);
    clock.advance(50LL * 62);
    EXPECT_EQ(passes, 2);
}

TEST_F(CreditsTest, HandlersMayChangeTheCreditsWithoutReenteringThePaint) {
    classes::TStringList lines;
    lines.add("first");
    lines.add("second");
    c->setCredits(&lines);
    int calls = 0;
    c->onShowCredit = handler([&](std::span<const classes::EventArg> args) {
        ++calls;
        shown.push_back(std::get<std::string>(args[1]));
        classes::TStringList other;
        other.add("replaced " + std::to_string(calls));
        other.add("and more");
        if (calls < 5) c->setCredits(&other);
    });
    c->setAnimate(true);
    for (int i = 0; i < 300; ++i) clock.advance(50);
    EXPECT_GT(calls, 1);
    EXPECT_EQ(shown.front(), "first") << "the paint's own snapshot is announced";
    EXPECT_EQ(c->credits()->get(0), "replaced 4");
}

TEST_F(CreditsTest, HidingStopsAndRestartsShowingResumes) {
    c->setAnimate(true);
    clock.advance(500);
    EXPECT_TRUE(c->timerRunning());
    c->setCreditsVisible(false);
    EXPECT_FALSE(c->timerRunning());
    EXPECT_EQ(c->scrollPos(), 60);
    EXPECT_EQ(c->lastShown(), -1);
    EXPECT_EQ(clock.activeTimers(), 0);
    c->setCreditsVisible(true);
    EXPECT_TRUE(c->timerRunning());
    c->setAnimate(false);
    EXPECT_EQ(clock.activeTimers(), 0);
}

TEST_F(CreditsTest, PaintsColouredLinesTheBorderAndTheBackground) {
    classes::TStringList lines;
    lines.add("&c255,0,0;MMMMMMMM");
    lines.add("&c300,0,0;WWWWWW");
    c->creditsFont()->setSize(14);
    c->setCredits(&lines);
    c->setBorderColor(clLime);
    const pictures::Image img = form->grab();
    EXPECT_EQ(vcltest::colorAt(img, 0, 0), clLime);
    EXPECT_EQ(vcltest::colorAt(img, 99, 59), clLime);
    EXPECT_EQ(vcltest::colorAt(img, 2, 50), clBlack) << "the background colour";
    const int h = c->lineHeight();
    int red = 0, white = 0;
    for (int y = 4; y < 4 + h; ++y)
        for (int x = 1; x < 99; ++x) red += vcltest::colorAt(img, x, y) == clRed;
    for (int y = 4 + h; y < 4 + 2 * h && y < 59; ++y)
        for (int x = 1; x < 99; ++x) white += vcltest::colorAt(img, x, y) == clWhite;
    EXPECT_GT(red, 10) << "the colour code";
    EXPECT_GT(white, 10) << "a bad colour code leaves the font's colour";
    c->setShowBorder(false);
    EXPECT_EQ(vcltest::colorAt(form->grab(), 0, 0), clBlack);
    // Hidden by its own flag: the form shows through.
    c->setCreditsVisible(false);
    EXPECT_EQ(vcltest::colorAt(form->grab(), 2, 50), clYellow);
}

TEST_F(CreditsTest, StreamsItsPropertiesAndEvents) {
    TForm source(nullptr);
    auto* credits = new TScrollingCredits(&source);
    credits->setName("Roll");
    credits->setParent(&source);
    credits->setInterval(30);
    credits->setBackgroundColor(clNavy);
    credits->credits()->clear();
    credits->credits()->add("&bThanks");
    const std::string text = motiontest::writeText(source);
    const std::string own = text.substr(text.find("object Roll"));
    EXPECT_NE(own.find("Interval = 30"), std::string::npos) << text;
    EXPECT_NE(own.find("ShowBorder = True"), std::string::npos) << "stored although it is the initial value";
    EXPECT_EQ(own.find("Visible"), std::string::npos) << "Visible keeps its default";
    TForm copy(nullptr);
    motiontest::readText(copy, text);
    auto* read = dynamic_cast<TScrollingCredits*>(copy.findComponent("Roll"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->interval(), 30);
    EXPECT_EQ(read->backgroundColor(), clNavy);
    ASSERT_EQ(read->credits()->count(), 1);
    EXPECT_EQ(read->credits()->get(0), "&bThanks");
}

}  // namespace
