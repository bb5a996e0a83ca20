// The manual clock fires due timers in time order, as often as they fall due.
#include <gtest/gtest.h>

#include <string>

#include "vcl/Clock.h"

using namespace vcl;

TEST(ManualClock, FiresDueTimersInOrder) {
    ManualClock clock;
    std::string log;
    clock.start(30, [&] { log += 'a'; });
    clock.start(20, [&] { log += 'b'; });
    EXPECT_EQ(clock.advance(19), 0);
    EXPECT_EQ(clock.advance(41), 5);  // b@20, a@30, b@40, then a and b both @60 in start order
    EXPECT_EQ(log, "babab");
    EXPECT_EQ(clock.nowMs(), 60);
}

TEST(ManualClock, CallbacksMayStopAndStartTimers) {
    ManualClock clock;
    int fired = 0, other = 0;
    int id = 0;
    id = clock.start(10, [&] {
        if (++fired == 2) clock.stop(id);
    });
    clock.start(25, [&] {
        ++other;
        clock.start(1, [&] { ++other; });
    });
    clock.advance(100);
    EXPECT_EQ(fired, 2);
    EXPECT_GT(other, 50) << "a timer started inside a callback runs in the same advance";
}
