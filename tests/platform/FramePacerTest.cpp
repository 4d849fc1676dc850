// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/FramePacer.h"

namespace {

constexpr double kPeriod = 1.0 / 60.0;

TEST(FramePacerTest, WithoutVsyncFramesWaitForTheNextRefreshPeriod)
{
    FramePacer pacer;
    pacer.SetRefreshRate(60);
    EXPECT_DOUBLE_EQ(pacer.WaitAfterPresent(10.0), 0.0);  // the first frame sets the beat
    pacer.WaitDone(0);
    // A frame that took 4 ms waits the rest of the period.
    double wait = pacer.WaitAfterPresent(10.004);
    EXPECT_NEAR(wait, kPeriod - 0.004, 1e-9);
    pacer.WaitDone(wait);
    // The beat holds: frames start a period apart, not a period after each present.
    wait = pacer.WaitAfterPresent(10.0 + kPeriod + 0.002);
    EXPECT_NEAR(wait, kPeriod - 0.002, 1e-9);
}

TEST(FramePacerTest, ALateFrameStartsTheBeatAfreshWithoutHurrying)
{
    FramePacer pacer;
    pacer.SetRefreshRate(50);
    pacer.WaitAfterPresent(1.0);
    EXPECT_DOUBLE_EQ(pacer.WaitAfterPresent(1.5), 0.0);  // half a second late
    EXPECT_NEAR(pacer.WaitAfterPresent(1.505), 0.02 - 0.005, 1e-9);
}

TEST(FramePacerTest, AClockGoingBackNeverWaitsMoreThanAPeriod)
{
    FramePacer pacer;
    pacer.SetRefreshRate(60);
    pacer.WaitAfterPresent(100.0);
    EXPECT_LE(pacer.WaitAfterPresent(50.0), kPeriod + 1e-12);
}

TEST(FramePacerTest, UnknownRefreshRatesCountAsSixtyHertz)
{
    FramePacer pacer;
    pacer.SetRefreshRate(0);
    EXPECT_DOUBLE_EQ(pacer.Period(), kPeriod);
}

TEST(FramePacerTest, VsyncThatHoldsFramesBackIsTrusted)
{
    FramePacer pacer;
    pacer.SetRefreshRate(60);
    pacer.SetVsyncClaimed(true);
    double now = 0;
    for (int i = 0; i < 100; ++i) {
        now += kPeriod;  // each present returns a refresh later
        EXPECT_DOUBLE_EQ(pacer.WaitAfterPresent(now), 0.0);
    }
    EXPECT_FALSE(pacer.IsTimingFrames());
}

TEST(FramePacerTest, VsyncThatOnlyClaimsToWaitIsFoundOutAndFramesAreTimed)
{
    FramePacer pacer;
    pacer.SetRefreshRate(60);
    pacer.SetVsyncClaimed(true);
    double now = 0;
    double waited = 0;
    for (int i = 0; i < 200; ++i) {
        now += 0.001;  // presents return at once
        double wait = pacer.WaitAfterPresent(now);
        pacer.WaitDone(wait);
        now += wait;
        waited += wait;
    }
    EXPECT_TRUE(pacer.IsTimingFrames());
    EXPECT_GT(waited, 2.0);  // most of the 200 frames were held to the refresh rate
    // And it stays timed: its own waits do not count as evidence of vsync.
    double wait = pacer.WaitAfterPresent(now + 0.001);
    EXPECT_GT(wait, 0.01);
}

}  // namespace

namespace {

// A frame that was not presented (it showed nothing new) has no refresh to
// hold it back, even where vsync does: it waits for the beat itself, and the
// next real present is not taken as evidence about vsync.
TEST(FramePacerTest, FramesNotPresentedKeepTheBeatWithOrWithoutVsync)
{
    for (bool vsync : {false, true}) {
        SCOPED_TRACE(vsync ? "vsync" : "timed");
        FramePacer pacer;
        pacer.SetRefreshRate(60);
        pacer.SetVsyncClaimed(vsync);
        double now = 5.0;
        pacer.WaitAfterPresent(now);
        for (int frame = 0; frame < 10; ++frame) {
            now += 0.002;  // an idle frame draws quickly
            const double wait = pacer.WaitWithoutPresent(now);
            EXPECT_NEAR(wait, kPeriod - 0.002, 1e-9);
            pacer.WaitDone(wait);
            now += wait;
        }
        if (vsync) {
            now += kPeriod;  // the next present waits for the refresh again
            EXPECT_DOUBLE_EQ(pacer.WaitAfterPresent(now), 0.0);
            EXPECT_FALSE(pacer.IsTimingFrames());
        }
    }
}

}  // namespace
