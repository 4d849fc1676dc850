// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/CTimer.h"
#include "platform/ManualClock.h"

namespace {

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        timer.SetClock(&clock);
        timer.Init();
    }

    ManualClock clock;
    CTimer timer;
};

TEST_F(TimerTest, TimeBeforeTheFirstUpdateIsTheStartTime)
{
    EXPECT_DOUBLE_EQ(timer.GetTime(), 1.0);  // the manual clock starts at one second
    EXPECT_FLOAT_EQ(timer.GetDelta(), 0.0f);
}

TEST_F(TimerTest, ASkippedPauseIsLeftOutOfTheNextDeltaOnly)
{
    clock.Advance(0.1);
    timer.SkipPause();  // e.g. a dialog of another program was open
    clock.Advance(0.25);
    timer.Update();
    EXPECT_FLOAT_EQ(timer.GetDelta(), 0.25f);
    EXPECT_DOUBLE_EQ(timer.GetTime(), 1.35) << "the time itself still runs on";
    clock.Advance(0.5);
    timer.Update();
    EXPECT_FLOAT_EQ(timer.GetDelta(), 0.5f);
}

TEST_F(TimerTest, DeltaIsTheTimeBetweenTwoUpdates)
{
    clock.Advance(0.25);
    timer.Update();
    EXPECT_FLOAT_EQ(timer.GetDelta(), 0.25f);
    EXPECT_DOUBLE_EQ(timer.GetTime(), 1.25);

    timer.Update();  // no time passed
    EXPECT_FLOAT_EQ(timer.GetDelta(), 0.0f);

    clock.Advance(0.5);
    timer.Update();
    EXPECT_FLOAT_EQ(timer.GetDelta(), 0.5f);
}

TEST_F(TimerTest, FirstUpdateCoversAllOfStartUpAndIsNotClamped)
{
    clock.Advance(12.0);  // say, a slow start-up
    timer.Update();
    EXPECT_FLOAT_EQ(timer.GetDelta(), 12.0f);
}

TEST_F(TimerTest, CounterGoingBackRestartsTheElapsedTime)
{
    clock.Advance(3.0);
    timer.Update();
    clock.Advance(-5.0);  // below the start
    timer.Update();
    // The start moves to the counter; elapsed restarts from 0, so the delta is
    // minus the previous elapsed time.
    EXPECT_FLOAT_EQ(timer.GetDelta(), -3.0f);
    clock.Advance(1.0);
    timer.Update();
    EXPECT_FLOAT_EQ(timer.GetDelta(), 1.0f);
}

TEST_F(TimerTest, DeltaIsTheDifferenceOfSinglePrecisionElapsedTimes)
{
    // After a long run, elapsed times lose precision in 32 bits; the delta is
    // taken between the rounded elapsed times, not the exact counter times.
    clock.Advance(100000.0);
    timer.Update();
    clock.Advance(0.001);
    timer.Update();
    float before = static_cast<float>(100000.0);
    float after = static_cast<float>(100000.001);
    EXPECT_EQ(timer.GetDelta(), after - before);
}

TEST_F(TimerTest, MillisecondsComeFromTheSameClock)
{
    clock.SetCounter(2500000);
    EXPECT_EQ(timer.GetMilliseconds(), 2500u);
}

}  // namespace
