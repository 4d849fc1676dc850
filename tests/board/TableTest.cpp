// SPDX-License-Identifier: GPL-3.0-or-later
// Play on the table at every zoom and position: a press takes the piece
// drawn under it, a drop at its place joins, the wheel, the buttons and the
// keys move the view, and a carried piece stays in the hand while the view
// changes under it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "BoardFixture.h"
#include "core/CMgrInput.h"
#include "platform/VirtualKeys.h"

using namespace board_test;

namespace {

class TableTest : public BoardTest {
protected:
    // A 10 x 10 cut of 400: pieces of 40, so the close-up is four steps in.
    void SetUp() override
    {
        BoardTest::SetUp();
        StartPuzzle(400, 400, 10);
        App.EndHint();  // the first run's hint is drawn over the board, not a piece
        game.RunFrames(1);
        ASSERT_EQ(Game.GetView().LastStep(), 4);
    }

    static Point ToScreen(TablePoint table)
    {
        const TablePoint s = Game.GetView().ToScreen(table);
        return {static_cast<int>(std::floor(s.x)), static_cast<int>(std::floor(s.y))};
    }
    // The table point at the middle of a unit of the screen.
    static TablePoint MiddleOfUnit(Point screen) { return Game.ToTable(screen); }
    Colour BoardColour() const
    {
        return MakeColour(Game.backgroundColor[0], Game.backgroundColor[1], Game.backgroundColor[2]);
    }
};

// The property behind every press: at each zoom and pan, a unit of the free
// board shows a piece exactly when a press there picks one up.
TEST_F(TableTest, APressTakesThePieceDrawnUnderIt)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> anywhere(0.0f, 800.0f);
    std::uniform_int_distribution<int> pointX(0, 799), pointY(40, 550);
    int hits = 0, misses = 0;
    for (int view = 0; view < 10; ++view) {
        const int step = 1 + view % Game.GetView().LastStep();
        Game.SetView(step, {anywhere(random), anywhere(random)});
        game.RunFrames(1);
        for (int i = 0; i < 20; ++i) {
            const Point at{pointX(random), pointY(random)};
            const bool drawn = game.Frame().GetPixel(at.x, at.y) != BoardColour();
            SCOPED_TRACE(testing::Message() << "step " << step << " at " << at.x << ", " << at.y);
            game.PressButton(MouseButton::Left, at.x, at.y);
            game.RunFrames(1);
            EXPECT_EQ(Game.IsHoldingGroup(), drawn);
            (drawn ? hits : misses)++;
            if (Game.IsHoldingGroup()) {
                // The piece drawn there is the one taken: its group is on top now.
                game.RunFrames(1);
                EXPECT_EQ(game.Frame().GetPixel(at.x, at.y) != BoardColour(), true);
            }
            game.ReleaseButton(MouseButton::Left, at.x, at.y);
            game.RunFrames(1);
            // A press on the empty table starts a selection frame: let it go.
            Game.DeselectAll();
        }
    }
    EXPECT_GT(hits, 20);
    EXPECT_GT(misses, 20);
}

// Joins are judged on the table: the same window around a neighbour's place
// at every zoom.
TEST_F(TableTest, ADropAtTheRightPlaceJoinsAtEveryZoom)
{
    const float across = Game.GetPiece(0).neighbourDX[kRight];
    ASSERT_GT(across, 30.0f);
    struct Case {
        float along;
        bool joins;
    };
    // Within a quarter of the neighbour's offset it joins, beyond it not.
    const Case cases[] = {{0, true}, {across / 4 - 3, true}, {-(across / 4 - 3), true}, {across / 4 + 4, false}};
    for (int step = 0; step <= Game.GetView().LastStep(); ++step) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "step " << step << " along " << c.along);
            Game.StartGame();
            Game.SetView(step, {150, 150});
            PlaceImage(0, 200, 200);
            PlaceImage(1, 300, 320);
            BringToTop(0);
            BringToTop(1);
            game.RunFrames(1);
            const Point inside = InsidePixel(1);
            const TablePoint grip{ImagePos(1).x + inside.x + 0.5f, ImagePos(1).y + inside.y + 0.5f};
            const Point press = ToScreen(grip);
            game.PressButton(MouseButton::Left, press.x, press.y);
            game.RunFrames(1);
            ASSERT_TRUE(Game.IsHoldingGroup());
            ASSERT_EQ(GroupIndexOf(1), static_cast<int>(Groups().size()) - 1);
            // Where the cursor goes so that piece 1 lies at its place beside piece 0.
            const TablePoint held = MiddleOfUnit(press);
            const TablePoint grab{held.x - ImagePos(1).x, held.y - ImagePos(1).y};
            const TablePoint target{200 + across + c.along + grab.x, 200 + grab.y};
            const TablePoint screen = Game.GetView().ToScreen(target);
            const Point drop{static_cast<int>(std::lround(screen.x)), static_cast<int>(std::lround(screen.y))};
            game.MoveMouse(drop.x, drop.y);
            game.RunFrames(1);
            game.ReleaseButton(MouseButton::Left, drop.x, drop.y);
            game.RunFrames(1);
            EXPECT_EQ(GroupIndexOf(0) == GroupIndexOf(1), c.joins);
            if (c.joins) {
                EXPECT_EQ(ImagePos(1).x - ImagePos(0).x, across);
                EXPECT_EQ(ImagePos(1).y, ImagePos(0).y);
            }
            // The view is no action: undo takes back the drop alone.
            EXPECT_EQ(Game.GetView().Step(), step);
        }
    }
}

TEST_F(TableTest, TheWheelZoomsAtTheCursorAndButtonsAndKeysPan)
{
    const std::size_t actions = Game.GetHistory().UndoDepth();
    game.MoveMouse(620, 410);
    game.RunFrames(1);
    const TablePoint under = Game.ToTable({620, 410});
    game.Queue(InputEvent::Wheel(2, 620, 410));
    game.RunFrames(1);
    EXPECT_EQ(Game.GetView().Step(), 2);
    EXPECT_NEAR(Game.ToTable({620, 410}).x, under.x, 0.01f);
    EXPECT_NEAR(Game.ToTable({620, 410}).y, under.y, 0.01f);

    // Dragging the table with the right button, then the middle one: the
    // table point under the hand goes with it.
    for (MouseButton button : {MouseButton::Right, MouseButton::Middle}) {
        // Toward the table's top-left corner, which is still off the screen.
        const TablePoint held = Game.ToTable({400, 250});
        game.PressButton(button, 400, 250);
        game.RunFrames(1);
        game.MoveMouse(420, 260);
        game.RunFrames(1);
        game.MoveMouse(480, 290);
        game.RunFrames(1);
        game.ReleaseButton(button, 480, 290);
        game.RunFrames(1);
        EXPECT_NEAR(Game.ToTable({480, 290}).x, held.x, 0.01f);
        EXPECT_NEAR(Game.ToTable({480, 290}).y, held.y, 0.01f);
        EXPECT_FALSE(Game.IsHoldingGroup());
        EXPECT_FALSE(Game.IsSelecting());
    }

    // An arrow key held shows more of the table on its side, at its speed.
    const TablePoint before = Game.GetView().Origin();
    game.PressKey(VK_LEFT);
    game.RunFrames(3);
    game.ReleaseKey(VK_LEFT);
    game.RunFrames(1);
    const float moved = before.x - Game.GetView().Origin().x;
    EXPECT_NEAR(moved, 3 * CGame::kKeyPanSpeed * game.FrameStep() / Game.GetView().Zoom(), 0.01f);

    // + and - at the middle of the screen, Home shows the whole table.
    const TablePoint middle = Game.ToTable({400, 300});
    game.TapKey(VK_OEM_PLUS);
    EXPECT_EQ(Game.GetView().Step(), 3);
    EXPECT_NEAR(Game.ToTable({400, 300}).x, middle.x, 0.01f);
    game.TapKey(VK_SUBTRACT);
    game.TapKey(VK_OEM_MINUS);
    EXPECT_EQ(Game.GetView().Step(), 1);
    game.TapKey(VK_ADD);
    game.TapKey(VK_HOME);
    EXPECT_TRUE(Game.GetView().IsWhole());
    EXPECT_EQ(Game.GetHistory().UndoDepth(), actions);
}

// While the table rests, the copies the next notch the same way will draw
// are made: after a pause that notch makes none, nor does one back the way
// the wheel came. Steps never shown nor next find none made.
TEST_F(TableTest, AfterAPauseTheNextNotchEitherWayFindsItsCopiesMade)
{
    game.MoveMouse(400, 300);
    // The copies a notch's frame makes, after a pause of half a second.
    auto notchAfterPause = [&](int wheel) {
        game.RunFrames(30);
        const std::uint64_t before = Game.TestHookCopiesMade();
        game.Queue(InputEvent::Wheel(wheel, 400, 300));
        game.RunFrames(1);
        return Game.TestHookCopiesMade() - before;
    };
    notchAfterPause(1);
    EXPECT_EQ(notchAfterPause(1), 0u) << "in, then in again";
    EXPECT_EQ(notchAfterPause(-1), 0u) << "in, then back out";
    EXPECT_GT(notchAfterPause(3), 0u) << "three steps in at once";
    EXPECT_EQ(Game.GetView().Step(), 4);
    notchAfterPause(-1);
    EXPECT_EQ(notchAfterPause(-1), 0u) << "out, then out again";
}

// The group stays in the hand by the same point while the wheel zooms and
// the keys pan under it, and is put down where the hand is.
TEST_F(TableTest, ACarriedPieceStaysInTheHandWhileTheViewChanges)
{
    Game.SetView(1, {100, 100});
    PlaceImage(5, 300, 300);
    BringToTop(5);
    game.RunFrames(1);
    const Point inside = InsidePixel(5);
    const Point press = ToScreen({300.5f + inside.x, 300.5f + inside.y});
    game.PressButton(MouseButton::Left, press.x, press.y);
    game.RunFrames(1);
    ASSERT_TRUE(Game.IsHoldingGroup());
    const TablePoint held = Game.ToTable(press);
    const TablePoint grab{held.x - ImagePos(5).x, held.y - ImagePos(5).y};
    auto expectInHand = [&](Point cursor) {
        const TablePoint at = Game.ToTable(cursor);
        EXPECT_NEAR(ImagePos(5).x, at.x - grab.x, 0.01f);
        EXPECT_NEAR(ImagePos(5).y, at.y - grab.y, 0.01f);
    };
    game.Queue(InputEvent::Wheel(2, press.x, press.y));
    game.RunFrames(1);
    EXPECT_EQ(Game.GetView().Step(), 3);
    expectInHand(press);
    game.PressKey(VK_DOWN);
    game.RunFrames(2);
    game.ReleaseKey(VK_DOWN);
    game.MoveMouse(press.x - 40, press.y + 30);
    game.RunFrames(1);
    expectInHand({press.x - 40, press.y + 30});
    game.Queue(InputEvent::Wheel(-3, press.x - 40, press.y + 30));
    game.RunFrames(1);
    EXPECT_TRUE(Game.GetView().IsWhole());
    expectInHand({press.x - 40, press.y + 30});
    EXPECT_TRUE(Game.IsHoldingGroup());
    game.ReleaseButton(MouseButton::Left, press.x - 40, press.y + 30);
    game.RunFrames(1);
    EXPECT_FALSE(Game.IsHoldingGroup());
}

// The last join made in a close-up finishes the puzzle on the whole table,
// where the picture glides as it always has.
TEST_F(TableTest, TheLastJoinAtAZoomShowsTheWholePicture)
{
    // Every piece but the last already joined, laid out from (100, 60).
    const int last = Game.GetPieceCount() - 1, columns = Game.GetPiecesX();
    CGroup whole;
    for (int k = 0; k < last; ++k) whole.members.push_back(k);
    whole.canJoin = {last};
    whole.x = 100;
    whole.y = 60;
    CGroup alone = GroupOf(last);
    alone.canJoin = {last - 1, last - columns};
    Groups() = {whole, alone};
    Game.SyncInGroup();
    Game.LayOutGroup(0);
    Game.LayOutGroup(1);
    PlaceImage(last, 600, 450);
    Game.SetView(Game.GetView().LastStep(), {300, 250});
    game.RunFrames(1);

    const CPiece& piece = Game.GetPiece(last);
    const CPiece& left = Game.GetPiece(last - 1);
    const TablePoint place{ImagePos(last - 1).x + left.cornerTR.x - piece.cornerTL.x,
                           ImagePos(last - 1).y + left.cornerTR.y - piece.cornerTL.y};
    const Point inside = InsidePixel(last);
    const Point press = ToScreen({600.5f + inside.x, 450.5f + inside.y});
    Press(press.x, press.y);
    ASSERT_TRUE(Game.IsHoldingGroup());
    const TablePoint grab{Game.ToTable(press).x - 600, Game.ToTable(press).y - 450};
    const Point drop = ToScreen({place.x + grab.x, place.y + grab.y});
    MoveTo(drop.x, drop.y);
    Release(drop.x, drop.y);
    game.RunFrames(1);
    ASSERT_TRUE(Game.IsCompleted());
    EXPECT_TRUE(Game.GetView().IsWhole());
}

// A rubber band drawn on the screen takes what lies under it on the table.
TEST_F(TableTest, TheSelectionFrameTakesWhatItShowsAtAZoom)
{
    for (int p = 0; p < Game.GetPieceCount(); ++p) PlaceImage(p, 20 + (p % 15) * 50.0f, 40 + (p / 15) * 50.0f);
    PlaceImage(0, 600, 440);
    Game.SetView(4, {560, 400});
    game.RunFrames(1);
    const Point from = ToScreen({590, 430}), to = ToScreen({660, 500});
    Press(from.x, from.y);
    MoveTo(to.x, to.y);
    Release(to.x, to.y);
    ASSERT_TRUE(Game.HasSelection());
    for (int p = 0; p < Game.GetPieceCount(); ++p) EXPECT_EQ(GroupOf(p).selected, p == 0) << p;
    Game.DeselectAll();
}

}  // namespace
