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
