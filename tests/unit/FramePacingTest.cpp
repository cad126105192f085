#include <gtest/gtest.h>

#include "FrameDriver.h"

namespace {

std::int64_t thirdReading;
int thirdReadings;
std::int64_t readThird() {
    ++thirdReadings;
    return thirdReading;
}

std::int64_t pauseFor(std::int64_t start, std::int64_t second, std::int64_t third) {
    thirdReading = third;
    thirdReadings = 0;
    return framePause(start, second, readThird);
}

}  // namespace

TEST(FramePacing, QuickFrameIsPaddedToFiftyMillisecondsFromAFreshReading) {
    EXPECT_EQ(pauseFor(1000, 1030, 1030), 20);
    EXPECT_EQ(thirdReadings, 1);
    // The clock moved on between the second and third readings: the pause shrinks with it.
    EXPECT_EQ(pauseFor(1000, 1030, 1033), 17);
    EXPECT_EQ(pauseFor(1000, 1000, 1000), 50);
}

TEST(FramePacing, SlowFramesAreNotPadded) {
    EXPECT_EQ(pauseFor(1000, 1050, 1050), 0);
    EXPECT_EQ(thirdReadings, 0);
    EXPECT_EQ(pauseFor(1000, 1200, 1200), 0);
    // The second reading looked quick but the third shows the budget spent: no pause.
    EXPECT_EQ(pauseFor(1000, 1049, 1052), 0);
    EXPECT_EQ(thirdReadings, 1);
    EXPECT_EQ(pauseFor(1000, 1049, 1050), 0);
}

TEST(FramePacing, FrameSecondsCoverTheWholePeriod) {
    lastFrameClock = 0;
    // The first frame gets everything since start-up.
    EXPECT_DOUBLE_EQ(startFrame(1500), 1.5);
    EXPECT_DOUBLE_EQ(startFrame(1553), 0.053);
    EXPECT_EQ(lastFrameClock, 1553);
    EXPECT_DOUBLE_EQ(startFrame(1553), 0.0);
    // Far beyond 32-bit milliseconds (25 days) nothing wraps.
    lastFrameClock = 3'000'000'000LL;
    EXPECT_DOUBLE_EQ(startFrame(3'000'000'050LL), 0.05);
}
