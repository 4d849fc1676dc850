// SPDX-License-Identifier: GPL-3.0-or-later
// The game full screen on a 1920 x 1080 screen, where it draws at twice the
// frame's units: text reaches the screen at the screen's own pixels, and
// the picture page, the cut page's widgets, PLAY and a piece dragged on the
// board all take clicks at the screen pixels the letterbox maps them to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FullScreenGameTest.h"
#include "GameSession.h"

namespace {

constexpr int kWideWidth = 1920, kWideHeight = 1080;
// The panel's SAVE button during play.
constexpr Point kSave{56 + 10, 0 + 10};
// The cut page's edge style name, drawn with the large font.
constexpr ScreenRect kLabel{58, 414, 154, 26};

// The saved game's groups' places, in frame units.
std::vector<Point> GroupPositions(const std::string& savedGame)
{
    std::vector<Point> places;
    std::istringstream words(savedGame);
    std::string word;
    while (words >> word) {
        int number = 0;
        Point at;
        if (word == "Group" && words >> number >> at.x >> at.y) places.push_back(at);
    }
    return places;
}

bool SamePlace(Point a, Point b) { return a.x == b.x && a.y == b.y; }
bool HasPlace(const std::vector<Point>& places, Point at)
{
    return std::any_of(places.begin(), places.end(), [at](Point p) { return SamePlace(p, at); });
}

// A grey level of a screen pixel.
int Grey(Colour colour) { return (Channel(colour, 0) * 299 + Channel(colour, 8) * 587 + Channel(colour, 16) * 114) / 1000; }

class WideScreenTest : public FullScreenGameTest {
protected:
    WideScreenTest() : FullScreenGameTest(kWideWidth, kWideHeight) {}

    // Full screen, past the logo, drawn at twice the units.
    void StartOnThePicturePage(const std::vector<std::string>& arguments = {})
    {
        ASSERT_TRUE(session.Launch(true, arguments));
        window = session.WaitForWindow("Pavendra");
        ASSERT_TRUE(window) << session.ErrorOutput();
        ASSERT_TRUE(session.WaitForWindowSize(*window, kWideWidth, kWideHeight));
        ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
        EXPECT_NE(session.Log().find("--- Drawing at 1600 x 1200 pixels"), std::string::npos) << session.Log();
    }

    // The steepest step between neighbouring screen pixels inside a box of
    // the frame, as a share of the box's whole range of grey. A frame of
    // 800 x 600 stretched 1.8 times spreads every edge over two screen
    // pixels or more (at most about 0.55); drawn at the screen's pixels a
    // text edge is one pixel.
    double SteepestStep(const Screenshot& shot, int left, int top, int right, int bottom) const
    {
        const Point from = OnScreen(left, top), to = OnScreen(right, bottom);
        int darkest = 255, lightest = 0, steepest = 0;
        for (int y = from.y; y < to.y; ++y)
            for (int x = from.x; x < to.x; ++x) {
                const int grey = Grey(shot.At(x, y));
                darkest = std::min(darkest, grey);
                lightest = std::max(lightest, grey);
                if (x > from.x) steepest = std::max(steepest, std::abs(grey - Grey(shot.At(x - 1, y))));
            }
        return lightest > darkest ? static_cast<double>(steepest) / (lightest - darkest) : 0.0;
    }

    // Some units of a box of the frame look unlike the same units of an
    // earlier screenshot: a label or a knob that changed.
    std::function<bool(const Screenshot&)> ChangedIn(const Screenshot& before, int left, int top, int right,
                                                     int bottom)
    {
        return [this, before, left, top, right, bottom](const Screenshot& shot) {
            int differing = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x) differing += !Near(FrameAt(shot, x, y), FrameAt(before, x, y));
            return differing >= 20;
        };
    }

    // A spot well inside a piece: nothing of the board's colour around it.
    std::optional<Point> FindPiece(const Screenshot& shot) const
    {
        auto insidePiece = [&](int x, int y) {
            for (int dy = -6; dy <= 6; dy += 3)
                for (int dx = -6; dx <= 6; dx += 3)
                    if (Near(FrameAt(shot, x + dx, y + dy), BoardColour(), 8)) return false;
            return true;
        };
        for (int y = 120; y < 480; y += 4)
            for (int x = 60; x < 700; x += 4)
                if (insidePiece(x, y)) return Point{x, y};
        return std::nullopt;
    }

    // SAVE, waited on until the saved game differs from `before`. The
    // pointer goes there first and the button's look shows that a frame saw
    // it: every press and release before has been taken by then.
    std::string Save(const std::string& before)
    {
        std::optional<Screenshot> unhovered = session.TakeScreenshot();
        const Point save = OnScreen(kSave.x, kSave.y);
        EXPECT_TRUE(unhovered && session.MoveMouse(save.x, save.y) &&
                    session.WaitForScreen(ChangedIn(*unhovered, kSave.x - 8, kSave.y - 8, kSave.x + 8, kSave.y + 8)))
            << "SAVE shows no pointer over it";
        EXPECT_TRUE(ClickUntil(kSave.x, kSave.y,
                               [&](const Screenshot&) { return session.ReadFile("game.pvs") != before; }))
            << "SAVE wrote nothing";
        return session.ReadFile("game.pvs");
    }

    std::optional<std::string> window;
};

TEST_F(WideScreenTest, PicturePageCutPageAndADragTakeClicksMappedThroughTheLetterbox)
{
    ASSERT_NO_FATAL_FAILURE(StartOnThePicturePage());

    // The first thumbnail: the cut page's preview replaces the thumbnails.
    ASSERT_TRUE(ClickUntil(108, 112, ChangedAround(*menu, 512, 272))) << "no cut page";
    std::optional<Screenshot> cut = session.TakeScreenshot();
    ASSERT_TRUE(cut);
    // The edge style's name is text at the screen's pixels, not stretched.
    EXPECT_GT(SteepestStep(*cut, kLabel.x, kLabel.y, kLabel.x + kLabel.width, kLabel.y + kLabel.height), 0.7)
        << "the edge style's name is stretched";
    // The edge style's right arrow: the style's name changes.
    ASSERT_TRUE(ClickUntil(229, 426, ChangedIn(*cut, kLabel.x, kLabel.y, kLabel.x + kLabel.width,
                                               kLabel.y + kLabel.height)))
        << "the arrow was not hit";
    // The slider's track near its start: the knob goes there.
    cut = session.TakeScreenshot();
    ASSERT_TRUE(cut);
    ASSERT_TRUE(ClickUntil(50, 343, ChangedIn(*cut, 40, 332, 230, 354))) << "the slider was not hit";

    // PLAY, and the board.
    ASSERT_TRUE(ClickUntil(352 + 20, 512 + 10, BoardShown())) << "no board";
    std::string before = Save("");
    ASSERT_NE(before.find("NumberOfGroups"), std::string::npos) << session.Log();

    // A piece pressed, carried and let go at screen pixels moves by as many
    // units as the letterbox maps them to.
    std::optional<Screenshot> board = session.TakeScreenshot();
    ASSERT_TRUE(board);
    std::optional<Point> piece = FindPiece(*board);
    ASSERT_TRUE(piece) << "no piece found on the board";
    const Point away{piece->x < 400 ? 80 : -80, piece->y < 300 ? 50 : -50};
    // A piece let go beside its neighbour joins it, and the joined group is
    // laid out anew, so its place no longer tells how far it was carried:
    // that drop is taken back and the piece carried another way.
    const Point tries[] = {away, {away.x, 0}, {0, away.y}};
    bool movedByTheDrag = false;
    std::string why;
    for (Point by : tries) {
        const Point from = OnScreen(piece->x, piece->y), to = OnScreen(piece->x + by.x, piece->y + by.y);
        ASSERT_TRUE(session.MoveMouse(from.x, from.y));
        ASSERT_TRUE(Xdotool({"mousedown", "1"}));
        for (int step = 1; step <= 8; ++step)
            ASSERT_TRUE(session.MoveMouse(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8));
        ASSERT_TRUE(Xdotool({"mouseup", "1"}));
        const std::string after = Save(before);
        const std::vector<Point> was = GroupPositions(before), now = GroupPositions(after);
        if (now.size() < was.size()) {
            // Off SAVE first, so that the next save sees the pointer come.
            std::optional<Screenshot> hovered = session.TakeScreenshot();
            const Point off = OnScreen(kBackgroundX, kBackgroundY);
            ASSERT_TRUE(hovered && session.MoveMouse(off.x, off.y) &&
                        session.WaitForScreen(
                            ChangedIn(*hovered, kSave.x - 8, kSave.y - 8, kSave.x + 8, kSave.y + 8)));
            ASSERT_TRUE(Xdotool({"key", "--delay", "0", "ctrl+z"}));
            before = Save(after);
            ASSERT_EQ(GroupPositions(before).size(), was.size()) << "the join was not taken back";
            continue;
        }
        // The carried group goes on top of the others, so it is found by
        // its places: one it left, one it came to.
        std::vector<Point> left, arrived;
        for (Point at : was)
            if (!HasPlace(now, at)) left.push_back(at);
        for (Point at : now)
            if (!HasPlace(was, at)) arrived.push_back(at);
        for (Point start : left)
            for (Point end : arrived)
                movedByTheDrag |= std::abs(end.x - start.x - by.x) <= 3 && std::abs(end.y - start.y - by.y) <= 3;
        why = "no group moved by " + std::to_string(by.x) + ", " + std::to_string(by.y) + " from " +
              std::to_string(piece->x) + ", " + std::to_string(piece->y) + "; " + std::to_string(left.size()) +
              " places left, " + std::to_string(arrived.size()) + " reached";
        break;
    }
    EXPECT_TRUE(movedByTheDrag) << (why.empty() ? "every drop joined a neighbour" : why);

    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

// A press held on a thumbnail and let go with the pointer moving on at once
// (both before one frame) still opens the picture: the release counts where
// it happened.
TEST_F(WideScreenTest, AHeldClickLetGoOnTheMoveStillClicks)
{
    ASSERT_NO_FATAL_FAILURE(StartOnThePicturePage());
    const Point thumbnail = OnScreen(108, 112), away = OnScreen(kBackgroundX, kBackgroundY);
    ASSERT_TRUE(session.MoveMouse(thumbnail.x, thumbnail.y));
    // One xdotool run, so that the release and the move come together.
    ASSERT_TRUE(Xdotool({"mousedown", "1", "sleep", "0.5", "mouseup", "1", "mousemove", std::to_string(away.x),
                         std::to_string(away.y)}));
    EXPECT_TRUE(session.WaitForScreen(ChangedAround(*menu, 512, 272))) << "the held click was lost";
    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

// In a window of exactly twice the frame's units the screen shows the frame's
// own pixels: the cut page's text is drawn at them, not blown up from single
// units (a blown-up frame is made of 2 x 2 blocks of one colour).
TEST_F(WideScreenTest, AtTwiceTheUnitsTheTextIsNotMadeOfTwoByTwoBlocks)
{
    ASSERT_TRUE(session.Launch(true, {"--windowed"}));
    window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(Xdotool({"windowsize", *window, "1600", "1200"}));
    ASSERT_TRUE(session.WaitForWindowSize(*window, 1600, 1200));
    std::optional<GameSession::Geometry> at = session.WindowGeometry(*window);
    ASSERT_TRUE(at);
    InWindow(*at);
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_TRUE(session.WaitForScreen([&](const Screenshot&) {
        return session.Log().find("--- Drawing at 1600 x 1200 pixels") != std::string::npos;
    })) << session.Log();
    ASSERT_TRUE(ClickUntil(108, 112, ChangedAround(*menu, 512, 272))) << "no cut page";
    std::optional<Screenshot> shot = session.TakeScreenshot();
    ASSERT_TRUE(shot);
    // The edge style name's blocks of 2 x 2 screen pixels, one to a unit.
    int blocks = 0, mixed = 0;
    for (int y = kLabel.y; y < kLabel.y + kLabel.height; ++y)
        for (int x = kLabel.x; x < kLabel.x + kLabel.width; ++x) {
            const Point corner{at->x + 2 * x, at->y + 2 * y};
            const Colour first = shot->At(corner.x, corner.y);
            ++blocks;
            mixed += shot->At(corner.x + 1, corner.y) != first || shot->At(corner.x, corner.y + 1) != first ||
                     shot->At(corner.x + 1, corner.y + 1) != first;
        }
    EXPECT_GT(mixed, blocks / 20) << mixed << " of " << blocks << " blocks hold more than one colour";
    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

}  // namespace
