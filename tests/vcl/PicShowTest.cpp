// The picture show as a control: its property rules, placement and the background, and the
// three ways a transition runs (by hand, on the event loop, on a worker whose notices the
// test delivers itself), including stopping a worker a thousand times.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "vcl/Graphic.h"
#include "vcl/PicShow.h"
#include "vcl/Picture.h"

using namespace vcl;

namespace {

classes::TMethod counter(int& n, std::function<void()> also = {}) {
    return classes::TMethod(&n, nullptr, [&n, also](std::span<const classes::EventArg>) {
        ++n;
        if (also) also();
    });
}

// Notices from the worker wait here until the test delivers them on this thread.
class Mailbox {
public:
    Mailbox() {
        TCustomPicShow::setPoster([this](std::function<void()> fn) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back(std::move(fn));
        });
    }
    ~Mailbox() { TCustomPicShow::setPoster(nullptr); }
    // Runs what has arrived; returns how many ran.
    int deliver() {
        std::deque<std::function<void()>> now;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            now.swap(m_queue);
        }
        for (auto& fn : now) fn();
        return static_cast<int>(now.size());
    }
    // Delivers until `done`, for at most a few seconds.
    bool deliverUntil(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) return false;
            if (deliver() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_queue;
};

void setSolidPicture(TPicture* p, int w, int h, uint32_t argb) {
    TBitmap b;
    b.pixels() = pictures::Image(w, h, argb);
    p->setGraphic(&b);
}

class PicShowTest : public testing::Test {
protected:
    void SetUp() override {
        show = std::make_unique<TPicShow>(nullptr);
        setSolidPicture(show->picture(), 40, 30, 0xFF102030u);
        show->onProgress = classes::TMethod(&progresses, nullptr, [this](std::span<const classes::EventArg>) {
            progresses.push_back(show->progress());
        });
        show->onComplete = counter(completes);
        show->onStop = counter(stops);
    }
    std::unique_ptr<TPicShow> show;
    std::vector<int> progresses;
    int completes = 0, stops = 0;
};

TEST_F(PicShowTest, StyleStepAndNameFollowTheirRules) {
    EXPECT_EQ(show->style(), 51);
    show->setStyle(151);
    EXPECT_EQ(show->style(), 51);
    show->setStyle(-1);
    EXPECT_EQ(show->style(), 51) << "a negative style is refused like one past the table";
    show->setStyleName("fADE");
    EXPECT_EQ(show->style(), 118);
    show->setStyleName("Expand from bottom");
    EXPECT_EQ(show->style(), 18) << "the first of the two effects of that name";
    show->setStyleName("Custom");
    EXPECT_EQ(show->style(), 0);
    EXPECT_EQ(show->styleName(), "Custom");
    show->setStyleName("no such effect");
    EXPECT_EQ(show->style(), 0);
    show->setStyle(150);
    EXPECT_EQ(show->styleName(), "Rotational star");
    show->setStep(0);
    EXPECT_EQ(show->step(), 1);
    show->setStep(250);
    EXPECT_EQ(show->step(), 100);
}

TEST_F(PicShowTest, ExecuteNeedsAPictureAndIgnoresASecondCall) {
    TPicShow empty(nullptr);
    EXPECT_TRUE(empty.empty());
    empty.execute();
    EXPECT_FALSE(empty.busy());

    show->setManual(true);
    int starts = 0;
    show->onStart = counter(starts);
    show->execute();
    show->execute();
    EXPECT_TRUE(show->busy());
    EXPECT_EQ(starts, 1);
    show->stop();
}

TEST_F(PicShowTest, ManualProgressIsClampedAndStopEndsWithoutCompleting) {
    show->setManual(true);
    show->setStyle(5);
    show->setProgress(40);
    EXPECT_EQ(show->progress(), 0) << "no effect while idle";
    show->execute();
    show->setProgress(250);
    EXPECT_EQ(show->progress(), 100);
    show->setProgress(-20);
    EXPECT_EQ(show->progress(), 0);
    show->setProgress(0);
    EXPECT_EQ(progresses, (std::vector<int>{100, 0})) << "an unchanged value raises nothing";
    show->setProgress(100);
    EXPECT_TRUE(show->busy()) << "by hand, reaching 100 does not end the transition";
    show->stop();
    EXPECT_FALSE(show->busy());
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(completes, 0);
    EXPECT_EQ(show->screenImage().pixel(5, 5), 0xFF102030u) << "the last frame stays";
}

TEST_F(PicShowTest, CustomDrawRunsForStyleZeroBetweenTheEnds) {
    show->setManual(true);
    show->setStyle(0);
    std::vector<int> drawn;
    show->onCustomDraw = classes::TMethod(&drawn, nullptr, [&](std::span<const classes::EventArg> args) {
        drawn.push_back(show->progress());
        auto* screen = static_cast<TBitmap*>(std::get<classes::TObject*>(args[2]));
        screen->pixels().setPixel(0, 0, 0xFFABCDEFu);
    });
    show->execute();
    for (int p : {30, 100, 60}) show->setProgress(p);
    EXPECT_EQ(drawn, (std::vector<int>{30, 60})) << "progress 100 draws the whole picture itself";
    EXPECT_EQ(show->screenImage().pixel(0, 0), 0xFFABCDEFu);
    show->stop();
}

TEST_F(PicShowTest, PlacementCentresStretchesAndFits) {
    show->setAutoSize(false);
    show->setBounds(0, 0, 100, 50);
    show->setManual(true);
    show->execute();
    EXPECT_EQ(show->pictureRect(), (TRect{0, 0, 40, 30}));
    show->setCenter(true);
    EXPECT_EQ(show->pictureRect(), (TRect{30, 10, 70, 40}));
    show->setStretch(true);
    EXPECT_EQ(show->pictureRect(), (TRect{0, 0, 100, 50}));
    show->setStretchFine(true);
    // 50 / 30 > 100 / 40 is false: the height fills, the width is MulDiv(40, 50, 30) = 67.
    EXPECT_EQ(show->pictureRect(), (TRect{16, 0, 83, 50}));
    EXPECT_EQ(aspectFit(40, 30, {0, 0, 100, 200}), (TRect{0, 62, 100, 137}));
    show->stop();
}

TEST_F(PicShowTest, BackgroundModesPaintAroundThePicture) {
    show->setAutoSize(false);
    show->setBounds(0, 0, 20, 10);
    show->setColor(clRed);
    EXPECT_EQ(show->render().pixel(10, 5), colorToArgb(clRed)) << "no frame yet: the colour";
    TBitmap tile;
    tile.pixels() = pictures::Image(3, 3, 0xFF00FF00u);
    tile.pixels().setPixel(0, 0, 0xFF0000FFu);
    show->bgPicture()->setGraphic(&tile);
    show->setBgMode(bmTiled);
    pictures::Image out = show->render();
    EXPECT_EQ(out.pixel(3, 3), 0xFF0000FFu);
    EXPECT_EQ(out.pixel(18, 9), 0xFF0000FFu);
    show->setBgMode(bmCentered);
    out = show->render();
    EXPECT_EQ(out.pixel(8, 3), 0xFF0000FFu) << "((20 - 3) div 2, (10 - 3) div 2)";
    EXPECT_EQ(out.pixel(0, 0), colorToArgb(clRed));
    show->setBgMode(bmNone);
    EXPECT_EQ(show->render().pixel(8, 3), colorToArgb(clRed));
}

TEST_F(PicShowTest, ReverseRunsFromTheNewPictureBackToTheOld) {
    Mailbox mail;
    show->setStyle(5);
    show->setStep(30);
    show->setDelay(0);
    show->setReverse(true);
    show->execute();
    ASSERT_TRUE(mail.deliverUntil([&] { return !show->busy(); }));
    EXPECT_EQ(progresses, (std::vector<int>{70, 40, 10, 0}));
    EXPECT_EQ(completes, 1);
}

TEST_F(PicShowTest, AWorkerBuildsTheFramesAndTheInterfaceFinishes) {
    Mailbox mail;
    show->setStyle(118);
    show->setStep(30);
    show->setDelay(0);
    show->execute();
    EXPECT_TRUE(show->busy());
    EXPECT_EQ(completes, 0) << "nothing ends before the notices are delivered";
    ASSERT_TRUE(mail.deliverUntil([&] { return !show->busy(); }));
    EXPECT_EQ(progresses, (std::vector<int>{30, 60, 90, 100}));
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(show->screenImage().pixel(1, 1), 0xFF102030u);
}

TEST_F(PicShowTest, FramesNeedingTheScriptAreBuiltOnTheInterfaceThread) {
    Mailbox mail;
    const std::thread::id ui = std::this_thread::get_id();
    bool elsewhere = false;
    int frames = 0;
    show->onBeforeNewFrame = classes::TMethod(&frames, nullptr, [&](std::span<const classes::EventArg>) {
        ++frames;
        elsewhere |= std::this_thread::get_id() != ui;
    });
    show->setStep(50);
    show->setDelay(0);
    show->execute();
    ASSERT_TRUE(mail.deliverUntil([&] { return !show->busy(); }));
    EXPECT_EQ(frames, 2);
    EXPECT_FALSE(elsewhere);
    EXPECT_EQ(completes, 1);
}

TEST_F(PicShowTest, StoppingAWorkerAThousandTimesNeverHangsOrCompletes) {
    Mailbox mail;
    show->setStyle(3);
    show->setDelay(0);
    for (int i = 0; i < 1000; ++i) {
        show->setStep(i % 2 ? 50 : 1);
        show->execute();
        ASSERT_TRUE(show->busy());
        if (i % 3 == 1) mail.deliver();
        if (i % 5 == 2) std::this_thread::sleep_for(std::chrono::microseconds(100));
        // A quick worker may have ended already: its end notice is then still on its way.
        show->stop();
        ASSERT_FALSE(show->busy());
        ASSERT_EQ(stops, i + 1);
    }
    mail.deliver();
    mail.deliver();
    EXPECT_EQ(completes, 0) << "late end notices of stopped runs complete nothing";
    EXPECT_EQ(stops, 1000);
}

TEST_F(PicShowTest, DestroyingARunningShowEndsItsWorkerQuietly) {
    Mailbox mail;
    show->setDelay(5);
    show->setStep(1);
    show->execute();
    show.reset();
    mail.deliver();
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(completes, 0);
}

TEST_F(PicShowTest, TheEventLoopModeWaitsBetweenFramesAndCompletes) {
    show->setThreaded(false);
    show->setStep(30);
    show->setDelay(2);
    const auto started = std::chrono::steady_clock::now();
    show->execute();
    EXPECT_FALSE(show->busy()) << "Execute returns at the end";
    EXPECT_EQ(progresses, (std::vector<int>{30, 60, 90, 100}));
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(stops, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(6))
        << "three waits of 2 ms";
}

TEST_F(PicShowTest, StoppingFromAHandlerEndsTheEventLoopMode) {
    show->setThreaded(false);
    show->setStep(10);
    show->setDelay(1);
    show->onProgress = classes::TMethod(&progresses, nullptr, [this](std::span<const classes::EventArg>) {
        progresses.push_back(show->progress());
        if (show->progress() == 30) show->stop();
    });
    show->execute();
    EXPECT_FALSE(show->busy());
    EXPECT_EQ(progresses, (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(completes, 0);
    EXPECT_EQ(stops, 1);
}

}  // namespace
