// SPDX-License-Identifier: GPL-3.0-or-later
// The table in the real window, full screen at 1920 x 1080: a saved game
// with a view comes back zoomed; the wheel zooms at the pointer, the right
// button and the arrow keys pan; and a piece carried while the wheel zooms
// out joins its neighbour where it is let go. SAVE's file tells where
// everything is after each step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "FullScreenGameTest.h"
#include "GameSession.h"
#include "SavedGameText.h"
#include "puzzle/TableView.h"

namespace {

using e2e_saved::GroupMembersOf;
using e2e_saved::SavedView;
using e2e_saved::ViewOf;

constexpr int kWideWidth = 1920, kWideHeight = 1080;
constexpr Point kSave{56 + 10, 0 + 10};
constexpr Point kLoadGame{352 + 20, 480 + 10};
// The first picture cut 8 x 5 with straight edges: cells of 56 units across.
constexpr int kColumns = 8, kRows = 5, kCellWidth = 448 / kColumns;
// Piece 1 lies right of its place beside piece 0 by this much.
constexpr TablePoint kPiece0{200, 400}, kPiece1{200 + kCellWidth + 44, 400};

// Every piece alone: 0 and 1 below, the others in rows above them.
std::string SavedGameWithView(const char* view)
{
    std::ostringstream text;
    text << "Border 0\n\nImageName data/images/image0.bmp\n\nSmoothType -1.00\nNumberOfPiecesX " << kColumns
         << "\nNumberOfPiecesY " << kRows << "\n\nNumberOfGroups " << kColumns * kRows << "\n\n";
    for (int piece = 0; piece < kColumns * kRows; ++piece) {
        const int column = piece % kColumns, row = piece / kColumns;
        int x = 20 + (piece % 10) * 76, y = 40 + (piece / 10) * 75;
        if (piece == 0) x = static_cast<int>(kPiece0.x), y = static_cast<int>(kPiece0.y);
        if (piece == 1) x = static_cast<int>(kPiece1.x), y = static_cast<int>(kPiece1.y);
        text << "Group " << piece << " " << x << " " << y << "\nInGroup " << piece << " 1 " << piece;
        std::vector<int> neighbours;
        if (column > 0) neighbours.push_back(piece - 1);
        if (column < kColumns - 1) neighbours.push_back(piece + 1);
        if (row > 0) neighbours.push_back(piece - kColumns);
        if (row < kRows - 1) neighbours.push_back(piece + kColumns);
        text << "\nCanJoin " << piece << " " << neighbours.size();
        for (int n : neighbours) text << " " << n;
        text << "\n\n";
    }
    text << view << "Time 0.0\n";
    return text.str();
}

class TableWindowTest : public FullScreenGameTest {
protected:
    TableWindowTest() : FullScreenGameTest(kWideWidth, kWideHeight) {}

    // Some units around a spot look unlike an earlier screenshot: the
    // button there lit up under the pointer, or went dark again.
    std::function<bool(const Screenshot&)> LitChanged(const Screenshot& before, Point spot)
    {
        return [this, before, spot](const Screenshot& shot) {
            int differing = 0;
            for (int y = spot.y - 8; y < spot.y + 8; ++y)
                for (int x = spot.x - 8; x < spot.x + 8; ++x)
                    differing += !Near(FrameAt(shot, x, y), FrameAt(before, x, y));
            return differing >= 20;
        };
    }

    // SAVE, waited on until the saved game differs from `before`; the
    // pointer shows on the button first, so every input before it was seen.
    std::string Save(const std::string& before)
    {
        std::optional<Screenshot> unhovered = session.TakeScreenshot();
        const Point save = OnScreen(kSave.x, kSave.y);
        EXPECT_TRUE(unhovered && session.MoveMouse(save.x, save.y) &&
                    session.WaitForScreen(LitChanged(*unhovered, kSave)))
            << "SAVE shows no pointer over it";
        EXPECT_TRUE(ClickUntil(kSave.x, kSave.y,
                               [&](const Screenshot&) { return session.ReadFile("game.pvs") != before; }))
            << "SAVE wrote nothing new";
        return session.ReadFile("game.pvs");
    }
    bool MoveTo(Point frame)
    {
        const Point at = OnScreen(frame.x, frame.y);
        return session.MoveMouse(at.x, at.y);
    }
    // A frame unit where a table point shows in the view.
    static Point InView(const SavedView& saved, TablePoint table)
    {
        TableView view;
        view.SetTable(800, 600, 60);
        view.Set(saved.shown ? saved.step : 0, saved.origin);
        const TablePoint at = view.ToScreen(table);
        return {static_cast<int>(std::lround(at.x)), static_cast<int>(std::lround(at.y))};
    }

    std::optional<std::string> window;
};

TEST_F(TableWindowTest, ZoomPanAndAJoinAcrossAZoomChange)
{
    const std::string written = SavedGameWithView("View 1 40.00 30.00\n");
    session.Folder().Write("game.pvs", written);
    ASSERT_TRUE(session.Launch());
    window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kWideWidth, kWideHeight));
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_TRUE(ClickUntil(kLoadGame.x, kLoadGame.y, BoardShown())) << "LOAD GAME showed no board";

    // The view came back with the puzzle (SAVE writes it as it stands).
    // The game writes CR LF where the test wrote LF: its save differs.
    std::string saved = Save(written);
    SavedView view = ViewOf(saved);
    ASSERT_TRUE(view.shown) << saved;
    EXPECT_EQ(view.step, 1);
    EXPECT_NEAR(view.origin.x, 40, 0.01);
    EXPECT_NEAR(view.origin.y, 30, 0.01);

    // The wheel out and in again at a point: the table point under it stays.
    const Point wheelAt{500, 350};
    ASSERT_TRUE(MoveTo(wheelAt));
    ASSERT_TRUE(Xdotool({"click", "5", "sleep", "0.2", "click", "4"}));
    saved = Save(saved);
    view = ViewOf(saved);
    ASSERT_TRUE(view.shown) << saved;
    const float zoom = static_cast<float>(TableView::kStepFactor);
    EXPECT_NEAR(view.origin.x, wheelAt.x - wheelAt.x / zoom, 1.0);
    EXPECT_NEAR(view.origin.y, wheelAt.y - wheelAt.y / zoom, 1.0);

    // A drag with the right button takes the table along.
    const SavedView beforeDrag = view;
    ASSERT_TRUE(MoveTo({500, 350}));
    ASSERT_TRUE(Xdotool({"mousedown", "3"}));
    for (int step = 1; step <= 4; ++step) ASSERT_TRUE(MoveTo({500 + 10 * step, 350 + 8 * step}));
    ASSERT_TRUE(Xdotool({"mouseup", "3"}));
    saved = Save(saved);
    view = ViewOf(saved);
    EXPECT_NEAR(view.origin.x, beforeDrag.origin.x - 40 / zoom, 1.5);
    EXPECT_NEAR(view.origin.y, beforeDrag.origin.y - 32 / zoom, 1.5);

    // The right arrow held shows more of the table's right.
    const SavedView beforeKey = view;
    std::optional<Screenshot> lit = session.TakeScreenshot();
    ASSERT_TRUE(lit && MoveTo({400, 300}));
    ASSERT_TRUE(session.WaitForScreen(LitChanged(*lit, kSave))) << "SAVE stays lit";
    std::optional<Screenshot> still = session.TakeScreenshot();
    ASSERT_TRUE(still);
    ASSERT_TRUE(Xdotool({"keydown", "Right"}));
    const bool moved = session.WaitForScreen([&](const Screenshot& shot) {
        int differing = 0;
        for (int y = 40; y < 550; y += 10)
            for (int x = 0; x < 800; x += 10) differing += !Near(FrameAt(shot, x, y), FrameAt(*still, x, y));
        return differing > 40;
    });
    ASSERT_TRUE(Xdotool({"keyup", "Right"}));
    ASSERT_TRUE(moved) << "the arrow key moved nothing";
    saved = Save(saved);
    view = ViewOf(saved);
    EXPECT_GT(view.origin.x, beforeKey.origin.x + 1);
    EXPECT_NEAR(view.origin.y, beforeKey.origin.y, 0.01);

    // Piece 1 taken by its middle in the close view, the wheel turned out
    // while it is carried, and let go at its place beside piece 0.
    const TablePoint grip{kPiece1.x + kCellWidth / 2, kPiece1.y + 30};
    const Point press = InView(view, grip);
    ASSERT_TRUE(MoveTo(press));
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    ASSERT_TRUE(MoveTo({press.x - 5, press.y}));
    ASSERT_TRUE(Xdotool({"click", "5"}));
    // On the whole table a frame unit is a table unit.
    const Point place{static_cast<int>(grip.x - 44), static_cast<int>(grip.y)};
    for (int step = 1; step <= 4; ++step)
        ASSERT_TRUE(MoveTo({press.x - 5 + (place.x - press.x + 5) * step / 4, press.y + (place.y - press.y) * step / 4}));
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    saved = Save(saved);
    EXPECT_FALSE(ViewOf(saved).shown) << "the wheel showed the whole table again";
    const std::vector<int> joined = GroupMembersOf(saved, 1);
    EXPECT_EQ(joined.size(), 2u) << saved;
    EXPECT_NE(std::find(joined.begin(), joined.end(), 0), joined.end()) << "piece 1 did not join piece 0";

    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

}  // namespace
