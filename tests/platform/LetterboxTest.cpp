// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Letterbox.h"

namespace {

TEST(LetterboxTest, AWiderScreenGetsBarsLeftAndRight)
{
    Letterbox box(800, 600, 1280, 720);
    EXPECT_EQ(box.Target().x, 160);
    EXPECT_EQ(box.Target().y, 0);
    EXPECT_EQ(box.Target().width, 960);
    EXPECT_EQ(box.Target().height, 720);
}

TEST(LetterboxTest, ATallerScreenGetsBarsAboveAndBelow)
{
    Letterbox box(800, 600, 800, 1000);
    EXPECT_EQ(box.Target().x, 0);
    EXPECT_EQ(box.Target().y, 200);
    EXPECT_EQ(box.Target().width, 800);
    EXPECT_EQ(box.Target().height, 600);
}

TEST(LetterboxTest, TheSameShapeFillsTheScreen)
{
    Letterbox box(800, 600, 1024, 768);
    EXPECT_EQ(box.Target().x, 0);
    EXPECT_EQ(box.Target().y, 0);
    EXPECT_EQ(box.Target().width, 1024);
    EXPECT_EQ(box.Target().height, 768);
    Letterbox same(800, 600, 800, 600);
    EXPECT_EQ(same.ToFrame(0, 0).x, 0);
    EXPECT_EQ(same.ToFrame(799, 599).y, 599);
}

TEST(LetterboxTest, ScreenPointsMapToFramePixelsAlsoOutsideTheFrame)
{
    Letterbox box(800, 600, 1280, 720);  // scale 1.2, frame from x = 160
    EXPECT_EQ(box.ToFrame(160, 0).x, 0);
    EXPECT_EQ(box.ToFrame(160, 0).y, 0);
    EXPECT_EQ(box.ToFrame(1119, 719).x, 799);
    EXPECT_EQ(box.ToFrame(1119, 719).y, 599);
    EXPECT_EQ(box.ToFrame(640, 360).x, 400);
    EXPECT_EQ(box.ToFrame(640, 360).y, 300);
    // Not clipped: left of the frame is negative, right of it beyond 799.
    EXPECT_EQ(box.ToFrame(159, 0).x, -1);
    EXPECT_EQ(box.ToFrame(0, 0).x, -134);
    EXPECT_GT(box.ToFrame(1279, 0).x, 799);
}

TEST(LetterboxTest, DegenerateSizesDoNotDivideByZero)
{
    Letterbox box(800, 600, 0, 0);
    EXPECT_GE(box.Target().width, 1);
    EXPECT_GE(box.Target().height, 1);
    box.ToFrame(5, 5);
}

}  // namespace

// The frame drawn at the scale is never smaller than the part of the screen
// it covers, and at most one step of scale larger.
TEST(LetterboxTest, TheDrawingScaleOnlyEverReducesTheFrame)
{
    struct Case {
        int width, height, scale;
    } cases[] = {{800, 600, 1}, {1280, 720, 2}, {1366, 768, 2}, {1920, 1080, 2}, {1600, 1200, 2},
                 {2560, 1440, 3}, {3840, 2160, 3}, {640, 480, 1}, {801, 600, 1}, {1067, 800, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(Letterbox(800, 600, c.width, c.height).DrawingScale(3), c.scale) << c.width << " x " << c.height;
    EXPECT_EQ(Letterbox(800, 600, 3840, 2160).DrawingScale(2), 2);  // held to the largest the game draws at
    for (int w = 100; w < 6000; w += 97) {
        for (int h = 100; h < 4000; h += 89) {
            Letterbox box(800, 600, w, h);
            const int scale = box.DrawingScale(8);
            ASSERT_GE(800 * scale, box.Target().width) << w << " x " << h;
            ASSERT_GE(600 * scale, box.Target().height) << w << " x " << h;
            if (scale > 1) {
                ASSERT_LT(600 * (scale - 1), box.Target().height) << w << " x " << h;
            }
        }
    }
}
