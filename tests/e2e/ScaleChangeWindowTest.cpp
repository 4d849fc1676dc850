// SPDX-License-Identifier: GPL-3.0-or-later
// A puzzle in play in a desktop window on a 1920 x 1080 screen while the
// window is made small and large again: the drawing scale goes from 2 to 1
// and back, the pieces are cut again each time, and the board is the one the
// player left; a piece is still picked up and carried at the new scale.
#include <gtest/gtest.h>

#include <string>

#include "FullScreenGameTest.h"
#include "GameSession.h"
#include "puzzle/CGame.h"

namespace {

constexpr int kWideWidth = 1920, kWideHeight = 1080;

std::string WithoutTime(const std::string& text) { return text.substr(0, text.rfind("Time ")); }

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class ScaleChangeWindowTest : public FullScreenGameTest {
protected:
    ScaleChangeWindowTest() : FullScreenGameTest(kWideWidth, kWideHeight) {}

    void ResizeTo(const std::string& window, int width, int height)
    {
        ASSERT_TRUE(Xdotool({"windowsize", window, std::to_string(width), std::to_string(height)}));
        ASSERT_TRUE(session.WaitForWindowSize(window, width, height)) << width << " x " << height;
        std::optional<GameSession::Geometry> at = session.WindowGeometry(window);
        ASSERT_TRUE(at);
        InWindow(*at);
        ASSERT_TRUE(session.WaitForScreen(BoardShown())) << "no board at " << width << " x " << height;
    }
    // Until the game's log holds `line` `times`, within a bound.
    bool WaitForLog(const std::string& line, int times)
    {
        return session.WaitForScreen([&](const Screenshot&) { return Count(session.Log(), line) >= times; });
    }
    // SAVE, then the saved game once it is written anew.
    std::string Save(const std::string& before)
    {
        std::string saved;
        EXPECT_TRUE(ClickUntil(56 + 10, 0 + 10, [&](const Screenshot&) {
            saved = session.ReadFile("game.pvs");
            return !saved.empty() && saved != before;
        })) << "SAVE wrote nothing";
        return saved;
    }
};

TEST_F(ScaleChangeWindowTest, ThePuzzleInPlaySurvivesTheScaleGoingDownAndUpAndAPieceIsStillCarried)
{
    ASSERT_TRUE(session.Launch(true, {"--windowed"}));
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, 1080, 810));
    std::optional<GameSession::Geometry> at = session.WindowGeometry(*window);
    ASSERT_TRUE(at);
    InWindow(*at);
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_TRUE(ClickUntil(108, 112, ChangedAround(*menu, 512, 272))) << "no cut page";
    ASSERT_TRUE(ClickUntil(352 + 20, 512 + 10, BoardShown())) << "no board";
    const std::string played = Save("");
    ASSERT_EQ(Count(session.Log(), "Drawing at 1600 x 1200"), 1) << session.Log();
    std::optional<Screenshot> before = session.TakeScreenshot();
    ASSERT_TRUE(before);
    const GameSession::Geometry first = *at;

    // Down to scale 1 and back up to 2 in the same window: the pieces are cut
    // again from the same picture, so the board is drawn as it was, pixel for
    // pixel (the top bar aside: its clock runs, and the save's banner goes
    // when it will).
    // Each size is waited for in the log too: the board looks the same
    // while the game has not yet seen the window's new size.
    ASSERT_NO_FATAL_FAILURE(ResizeTo(*window, 800, 600));
    EXPECT_TRUE(WaitForLog("Drawing at 800 x 600", 1)) << "the scale did not go down";
    ASSERT_NO_FATAL_FAILURE(ResizeTo(*window, 1080, 810));
    EXPECT_TRUE(WaitForLog("Drawing at 1600 x 1200", 2)) << "the scale did not go up again";
    at = session.WindowGeometry(*window);
    ASSERT_TRUE(at);
    // The window shows the board again once the game has drawn at the new size.
    int differing = -1;
    session.WaitForScreen([&](const Screenshot& after) {
        differing = 0;
        for (int y = 810 * 40 / 600; y < 810; ++y)
            for (int x = 0; x < 1080; ++x) differing += before->At(first.x + x, first.y + y) != after.At(at->x + x, at->y + y);
        return differing == 0;
    });
    EXPECT_EQ(differing, 0) << "the board changed with the scale";

    // A spot well inside a piece, carried to the middle of the board.
    std::optional<Screenshot> shot = session.TakeScreenshot();
    ASSERT_TRUE(shot);
    const std::optional<Point> spot = PieceSpot(*shot, 40, 120, 700, 500);
    ASSERT_TRUE(spot) << "no piece found on the board";
    const Point piece = *spot;
    const Point from = OnScreen(piece.x, piece.y), to = OnScreen(400, 330);
    ASSERT_TRUE(session.MoveMouse(from.x, from.y));
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    for (int step = 1; step <= 8; ++step)
        ASSERT_TRUE(session.MoveMouse(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8));
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    const std::string moved = Save(played);
    EXPECT_NE(WithoutTime(moved), WithoutTime(played)) << "the piece was not carried";
    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

}  // namespace
