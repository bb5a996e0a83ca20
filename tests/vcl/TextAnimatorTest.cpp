// The text animator frame by frame: the four size patterns, the reflection at the ends, the
// colour cycle, the size rules and the timer's life.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/vcl/MotionTestSupport.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Registration.h"
#include "vcl/TextAnimator.h"

using namespace vcl;
using motiontest::makeForm;

namespace {

class TextAnimatorTest : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
    void SetUp() override {
        form = makeForm(400, 100);
        a = new TTextAnimator(form.get());
        a->setParent(form.get());
    }
    void TearDown() override { TTextAnimator::setRandomSource(nullptr); }

    ManualClock clock;
    ScopedTimerService use{clock};
    std::unique_ptr<TForm> form;
    TTextAnimator* a = nullptr;
};

TEST_F(TextAnimatorTest, AllCharactersPulseTogetherAndReflectAtTheEnds) {
    a->setCaption("abc");
    a->setStyle(taAll);
    a->setStep(3);
    ASSERT_EQ(a->maxStep(), 20);
    std::vector<int> seen;
    for (int frame = 0; frame < 16; ++frame) {
        clock.advance(70);
        ASSERT_EQ(a->offsets()[0], a->offsets()[2]);
        seen.push_back(a->offsets()[0]);
    }
    // 18 + 3 would be 21: it becomes 19 and turns back; 1 - 3 would be -2: it becomes 2.
    EXPECT_EQ(seen, (std::vector<int>{3, 6, 9, 12, 15, 18, 19, 16, 13, 10, 7, 4, 1, 2, 5, 8}));
}

TEST_F(TextAnimatorTest, WindSpreadsTheOffsetsAlongTheLine) {
    a->setCaption("0123456789");
    EXPECT_EQ(a->style(), taWind);
    EXPECT_EQ(a->offsets(), (std::vector<int32_t>{0, 2, 4, 6, 8, 10, 12, 14, 16, 18}));
    a->nextFrame();
    // 0 + 2 and the others; 18 + 2 = 20 stays (not above MaxStep).
    EXPECT_EQ(a->offsets(), (std::vector<int32_t>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20}));
    a->nextFrame();
    EXPECT_EQ(a->offsets().back(), 18);
}

TEST_F(TextAnimatorTest, WaveIsComputedInExtendedPrecision) {
    // Find a caption length and MaxStep where double precision truncates differently.
    int foundN = 0, foundI = 0, foundMax = 0;
    for (int n = 2; n <= 200 && !foundN; ++n)
        for (int maxStep = 1; maxStep <= 100 && !foundN; ++maxStep)
            for (int i = 0; i < n; ++i) {
                const long double le = std::trunc(
                    sinl(static_cast<long double>(i) / n * std::numbers::pi_v<long double>) * maxStep);
                const double d =
                    std::trunc(std::sin(static_cast<double>(i) / n * std::numbers::pi) * maxStep);
                if (static_cast<int>(le) != static_cast<int>(d)) {
                    foundN = n, foundI = i, foundMax = maxStep;
                    break;
                }
            }
    ASSERT_NE(foundN, 0) << "no case where the precisions differ";
    a->setMaxStep(static_cast<int>(foundMax));
    a->setStyle(taWave);
    a->setCaption(std::string(static_cast<size_t>(foundN), 'x'));
    for (int i = 0; i < foundN; ++i) {
        const long double expect = std::trunc(
            sinl(static_cast<long double>(i) / foundN * std::numbers::pi_v<long double>) * foundMax);
        ASSERT_EQ(a->offsets()[static_cast<size_t>(i)], static_cast<int32_t>(expect)) << i;
    }
    const double inDouble =
        std::trunc(std::sin(static_cast<double>(foundI) / foundN * std::numbers::pi) * foundMax);
    EXPECT_NE(a->offsets()[static_cast<size_t>(foundI)], static_cast<int32_t>(inDouble));
}

TEST_F(TextAnimatorTest, RandomTakesItsValuesFromTheSeedHook) {
    std::vector<int> asked;
    int next = 0;
    TTextAnimator::setRandomSource([&](int max) {
        asked.push_back(max);
        return (next++ * 7) % (max + 1);
    });
    a->setStyle(taRandom);
    a->setCaption("abcd");
    EXPECT_EQ(a->offsets(), (std::vector<int32_t>{0, 7, 14, 0}));
    EXPECT_EQ(asked.back(), 20) << "0 .. MaxStep inclusive";
}

TEST_F(TextAnimatorTest, StepNeverExceedsMaxStep) {
    a->setStep(50);
    EXPECT_EQ(a->step(), 20);
    a->setMaxStep(5);
    EXPECT_EQ(a->step(), 5);
    a->setStep(3);
    a->setMaxStep(10);
    EXPECT_EQ(a->step(), 3);
}

TEST_F(TextAnimatorTest, TheColourCycleWalksFromStartToStopAndBack) {
    a->setColorStart(rgb(10, 10, 10));
    a->setColorStop(rgb(13, 10, 8));
    // Range 3 (red +3, blue -2): positions 0,1,2,3,2,1,0,1...
    std::vector<TColor> seen;
    for (int i = 0; i < 8; ++i) seen.push_back(a->nextColor());
    const std::vector<TColor> expect = {rgb(10, 10, 10), rgb(11, 10, 9), rgb(12, 10, 8),  rgb(13, 10, 8),
                                        rgb(12, 10, 8),  rgb(11, 10, 9), rgb(10, 10, 10), rgb(11, 10, 9)};
    EXPECT_EQ(seen, expect);
    a->setColorStop(rgb(10, 10, 10));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(a->nextColor(), rgb(10, 10, 10)) << "equal colours stay";
}

TEST_F(TextAnimatorTest, EachPaintAdvancesTheColourOncePerCharacter) {
    a->setCaption("abcd");
    a->setColorStart(rgb(0, 0, 0));
    a->setColorStop(rgb(100, 0, 0));
    form->show();
    (void)form->grab();
    // Red counts the cycle's position while it climbs towards 100.
    const int before = getRValue(a->nextColor());
    a->nextFrame();  // one synchronous repaint: four characters, four colours
    const int after = getRValue(a->nextColor());
    EXPECT_LT(after, 100);
    EXPECT_EQ(after - before, 5);
    form->hide();
}

TEST_F(TextAnimatorTest, AutoSizeFollowsTheLineAtTheLargestSize) {
    a->setCaption("Hello");
    EXPECT_EQ(a->width(), a->lineWidth());
    EXPECT_EQ(a->height(), a->lineHeight());
    const int w = a->width();
    a->setMaxStep(2);
    EXPECT_LT(a->width(), w);
    a->setCaption("");
    EXPECT_EQ(a->width(), 0);
    a->setAutoSize(false);
    a->setCaption("Hello again");
    EXPECT_EQ(a->width(), 0);
    a->adjustClientSize();
    EXPECT_EQ(a->width(), a->lineWidth());
}

TEST_F(TextAnimatorTest, DrawsOverTheFormOrItsColour) {
    a->setCaption("WWW");
    a->setColorAnimation(false);
    a->font()->setColor(clBlack);
    form->show();
    pictures::Image img = form->grab();
    EXPECT_EQ(vcltest::colorAt(img, a->left(), a->top()), clYellow) << "transparent by default";
    EXPECT_GT(
        motiontest::inkIn(img, a->left(), a->top(), a->left() + a->width(), a->top() + a->height(), clYellow),
        0);
    a->setTransparent(false);
    a->setColor(clAqua);
    img = form->grab();
    EXPECT_EQ(vcltest::colorAt(img, a->left(), a->top()), clAqua);
    form->hide();
}

TEST_F(TextAnimatorTest, TheTimerLivesOnlyWhileActive) {
    EXPECT_TRUE(a->active());
    EXPECT_EQ(clock.activeTimers(), 1);
    a->setCaption("ab");
    a->setStyle(taAll);
    a->setDelay(100);
    clock.advance(99);
    EXPECT_EQ(a->offsets()[0], 0);
    clock.advance(1);
    EXPECT_EQ(a->offsets()[0], 2);
    a->setActive(false);
    EXPECT_EQ(clock.activeTimers(), 0);
    a->nextFrame();
    EXPECT_EQ(a->offsets()[0], 4) << "NextFrame still advances an inactive animator";
}

TEST_F(TextAnimatorTest, StreamsWidthAndHeightOnlyWithoutAutoSizeAndFontOnlyWhenChanged) {
    TForm source(nullptr);
    auto* t = new TTextAnimator(&source);
    t->setName("Anim");
    t->setParent(&source);
    t->setCaption("Hi");
    std::string text = motiontest::writeText(source);
    std::string own = text.substr(text.find("object Anim"));
    EXPECT_EQ(own.find("Width"), std::string::npos) << text;
    EXPECT_EQ(own.find("Font."), std::string::npos) << text;
    t->setAutoSize(false);
    t->setBounds(0, 0, 77, 33);
    t->font()->setColor(clRed);
    t->setActive(false);
    t->setStyle(taAll);
    text = motiontest::writeText(source);
    own = text.substr(text.find("object Anim"));
    EXPECT_NE(own.find("Width = 77"), std::string::npos) << text;
    EXPECT_NE(own.find("Font.Color = clRed"), std::string::npos) << text;

    TForm copy(nullptr);
    motiontest::readText(copy, text);
    auto* read = dynamic_cast<TTextAnimator*>(copy.findComponent("Anim"));
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->active());
    EXPECT_EQ(read->style(), taAll);
    EXPECT_EQ(read->width(), 77);
    EXPECT_EQ(read->caption(), "Hi");
}

}  // namespace
