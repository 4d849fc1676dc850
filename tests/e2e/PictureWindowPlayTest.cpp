// SPDX-License-Identifier: GPL-3.0-or-later
// The picture window in the real game, full screen: a piece carried onto it
// shows over it, and let go there it goes beside it, leaving the window as
// it was.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "FullScreenGameTest.h"
#include "GameSession.h"

namespace {

// The PICTURE button, and a spot well inside the window where the button
// shows it (its top-left at 560, 34), whatever the picture's shape.
constexpr int kPictureButtonX = 128 + 56, kPictureButtonY = 569 + 13;
constexpr int kInWindowX = 620, kInWindowY = 94;
// A few spots of the window, the spot above among them.
constexpr Point kWindowSpots[] = {{570, 40}, {620, 94}, {600, 70}, {630, 60}, {580, 110}};

class PictureWindowPlayTest : public FullScreenGameTest {
protected:
    // Shots until two in a row are alike at the spots and the cursor's spot.
    std::optional<Screenshot> Settled(Point extra)
    {
        std::optional<Screenshot> last, settled;
        session.WaitForScreen([&](const Screenshot& shot) {
            bool same = last.has_value();
            for (Point p : kWindowSpots) same = same && FrameAt(*last, p.x, p.y) == FrameAt(shot, p.x, p.y);
            same = same && FrameAt(*last, extra.x, extra.y) == FrameAt(shot, extra.x, extra.y);
            last = shot;
            if (same) settled = shot;
            return same;
        });
        return settled;
    }
    bool MoveInFrame(Point to)
    {
        const Point at = OnScreen(to.x, to.y);
        return session.MoveMouse(at.x, at.y);
    }
};

TEST_F(PictureWindowPlayTest, APieceCarriedOntoTheWindowShowsOverItAndGoesBesideIt)
{
    ASSERT_TRUE(session.Launch());
    const std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    PassTheLogo(*window);
    ASSERT_TRUE(ClickUntil(108, 112, [&](const Screenshot& shot) {
        return !Near(FrameAt(shot, 512, 272), FrameAt(*menu, 512, 272), 8);
    })) << "no cut page";
    ASSERT_TRUE(ClickUntil(352 + 20, 512 + 10, BoardShown())) << "no board";
    // The window's title strip, dark blue, where the board was.
    ASSERT_TRUE(ClickUntil(kPictureButtonX, kPictureButtonY, [&](const Screenshot& shot) {
        return !Near(FrameAt(shot, 570, 40), BoardColour(), 30) && !Near(FrameAt(shot, 570, 40), kWhite, 60);
    })) << "no picture window";
    // Away from the button, so that nothing lights up, and pieces under the
    // window gone beside it.
    ASSERT_TRUE(MoveInFrame({500, 100}));
    const std::optional<Screenshot> before = Settled({500, 100});
    ASSERT_TRUE(before);
    const std::optional<Point> spot = PieceSpot(*before, 100, 150, 500, 500);
    ASSERT_TRUE(spot) << "no piece found on the board";
    const Colour grabbed = FrameAt(*before, spot->x, spot->y);

    ASSERT_TRUE(MoveInFrame(*spot));
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    for (int step = 1; step <= 8; ++step)
        ASSERT_TRUE(MoveInFrame(
            {spot->x + (kInWindowX - spot->x) * step / 8, spot->y + (kInWindowY - spot->y) * step / 8}));
    // The grabbed point of the piece comes to the cursor, over the window (a
    // busy game may show the moves a few frames late: waited for, bounded).
    EXPECT_TRUE(session.WaitForScreen(
        [&](const Screenshot& shot) { return Near(FrameAt(shot, kInWindowX, kInWindowY), grabbed); }))
        << "the piece is under the window";

    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    ASSERT_TRUE(MoveInFrame({500, 100}));
    // The piece goes beside the window: the window shows as it did. Waited
    // for, bounded: two frames alike may both come before a slow game has
    // taken the release.
    std::optional<Screenshot> dropped;
    const bool uncovered = session.WaitForScreen([&](const Screenshot& shot) {
        dropped = shot;
        for (Point p : kWindowSpots)
            if (FrameAt(shot, p.x, p.y) != FrameAt(*before, p.x, p.y)) return false;
        return true;
    });
    ASSERT_TRUE(dropped);
    EXPECT_TRUE(uncovered) << "the window stays covered";
    for (Point p : kWindowSpots)
        EXPECT_EQ(FrameAt(*dropped, p.x, p.y), FrameAt(*before, p.x, p.y)) << "the window at " << p.x << ", " << p.y;

    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

}  // namespace
