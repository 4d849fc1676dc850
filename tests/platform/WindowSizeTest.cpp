// SPDX-License-Identifier: GPL-3.0-or-later
// The window's size when it is not full screen: a good share of a large
// screen with the frame's shape, the frame's own size where that is more, and
// a size remembered from an earlier run kept on this run's screen.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/WindowSize.h"

namespace {

TEST(WindowSizeTest, TheFirstWindowIsAShareOfTheScreenInTheFramesShape)
{
    struct Case {
        int screenWidth, screenHeight, width, height;
    } cases[] = {
        {1280, 720, 800, 600},    // three quarters would be smaller than the frame
        {1366, 768, 800, 600},
        {1920, 1080, 1080, 810},
        {2560, 1440, 1440, 1080},
        {3840, 2160, 2160, 1620},
        {1920, 1200, 1200, 900},
        {800, 600, 800, 600},     // just room for the frame
        {640, 480, 640, 480},     // smaller than the frame: as large as fits
        {1024, 500, 666, 500},
    };
    for (const Case& c : cases) {
        WindowExtent size = WindowSize::Default(800, 600, c.screenWidth, c.screenHeight);
        EXPECT_EQ(size.width, c.width) << c.screenWidth << " x " << c.screenHeight;
        EXPECT_EQ(size.height, c.height) << c.screenWidth << " x " << c.screenHeight;
    }
    // Without a known screen: the frame's size.
    WindowExtent unknown = WindowSize::Default(800, 600, 0, 0);
    EXPECT_EQ(unknown.width, 800);
    EXPECT_EQ(unknown.height, 600);
}

// On every screen the first window fits, keeps the frame's shape to a pixel
// and is never smaller than the frame where the frame fits.
TEST(WindowSizeTest, EveryFirstWindowFitsAndKeepsTheShape)
{
    for (int w = 200; w <= 5200; w += 37) {
        for (int h = 150; h <= 3000; h += 41) {
            WindowExtent size = WindowSize::Default(800, 600, w, h);
            ASSERT_LE(size.width, w);
            ASSERT_LE(size.height, h);
            ASSERT_LE(std::abs(size.width * 3 - size.height * 4), 4) << w << " x " << h;
            if (w >= 800 && h >= 600) {
                ASSERT_GE(size.width, 800);
                ASSERT_GE(size.height, 600);
                // Three quarters of the screen on one side, or the frame's own size.
                const bool share = size.width >= w * 3 / 4 - 1 || size.height >= h * 3 / 4 - 1;
                ASSERT_TRUE(share || (size.width == 800 && size.height == 600)) << w << " x " << h;
            }
        }
    }
}

TEST(WindowSizeTest, ARememberedSizeIsKeptOnTheScreen)
{
    WindowExtent kept = WindowSize::Fit({1200, 700}, 1920, 1080);
    EXPECT_EQ(kept.width, 1200);
    EXPECT_EQ(kept.height, 700);
    // From a larger screen than this run's: held within it.
    WindowExtent held = WindowSize::Fit({2500, 1400}, 1920, 1080);
    EXPECT_EQ(held.width, 1920);
    EXPECT_EQ(held.height, 1080);
    // Too small to play in: the smallest window.
    WindowExtent grown = WindowSize::Fit({50, 20}, 1920, 1080);
    EXPECT_EQ(grown.width, WindowSize::kMinWidth);
    EXPECT_EQ(grown.height, WindowSize::kMinHeight);
    // A screen smaller than the smallest window wins.
    WindowExtent tiny = WindowSize::Fit({50, 20}, 320, 240);
    EXPECT_EQ(tiny.width, 320);
    EXPECT_EQ(tiny.height, 240);
    EXPECT_FALSE(WindowSize::Fit({0, 700}, 1920, 1080).IsKnown());
    EXPECT_FALSE(WindowSize::IsPlausibleSide(0));
    EXPECT_FALSE(WindowSize::IsPlausibleSide(WindowSize::kMaxSide + 1));
}

}  // namespace
