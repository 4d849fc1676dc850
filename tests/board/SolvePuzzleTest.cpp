// SPDX-License-Identifier: GPL-3.0-or-later
// A whole puzzle solved by the mouse alone: every piece pressed on a visible
// pixel, carried and released at its place beside a neighbour, until one
// group is left; then the picture is shown and glides to its resting place.
#include <gtest/gtest.h>

#include "BoardFixture.h"

using namespace board_test;

namespace {

class SolvePuzzleTest : public BoardTest {
protected:
    // Where piece k's image belongs once its left (or, in the first column,
    // upper) neighbour lies where it lies now: their corners meet.
    static Point PlaceBeside(int k)
    {
        const int columns = Game.GetPiecesX();
        const CPiece& piece = Game.GetPiece(k);
        const bool leftNeighbour = k % columns != 0;
        const int n = leftNeighbour ? k - 1 : k - columns;
        const CPiece& neighbour = Game.GetPiece(n);
        const Point corner = leftNeighbour ? neighbour.cornerTR : neighbour.cornerBL;
        const FloatPoint at = ImagePos(n);
        return {static_cast<int>(at.x) + corner.x - piece.cornerTL.x,
                static_cast<int>(at.y) + corner.y - piece.cornerTL.y};
    }

    // Press on the piece, carry it there in a few steps, release.
    void CarryPiece(int k, Point to)
    {
        const Point inside = InsidePixel(k);
        const Point from = OnBoard(k, inside);
        Press(from.x, from.y);
        ASSERT_TRUE(Game.IsHoldingGroup()) << "piece " << k;
        for (int step = 1; step <= 3; ++step) {
            MoveTo(from.x + (to.x + inside.x - from.x) * step / 3, from.y + (to.y + inside.y - from.y) * step / 3);
        }
        Release(to.x + inside.x, to.y + inside.y);
    }
};

TEST_F(SolvePuzzleTest, AFourByFourPuzzleIsSolvedByTheMouse)
{
    StartPuzzle(240, 240, 4, CCutPreview::kSmoothEasy);
    // The loose pieces in rows at the top, the picture put together below them.
    Game.ArrangePieces();
    game.RunFrames(1);

    CarryPiece(0, {300, 290});
    EXPECT_EQ(Groups().size(), 16u) << "a piece alone joins nothing";
    for (int k = 1; k < Game.GetPieceCount(); ++k) {
        SCOPED_TRACE(testing::Message() << "piece " << k);
        const Point place = PlaceBeside(k);
        CarryPiece(k, place);
        EXPECT_EQ(GroupIndexOf(k), GroupIndexOf(0));
        EXPECT_EQ(Groups().size(), static_cast<std::size_t>(16 - k));
        EXPECT_EQ(ImagePos(0).x, 300.0f) << "exact places: the picture never shifts";
        EXPECT_EQ(ImagePos(0).y, 290.0f);
        if (!SoundMgr.IsSilent()) {
            EXPECT_EQ(QueuedPlaybacks(res::kSoundPieceConnection), 1);
        }
    }
    ASSERT_EQ(Groups().size(), 1u);
    EXPECT_FALSE(Game.IsCompleted()) << "found solved in the next frame";

    game.RunFrames(1);
    ASSERT_TRUE(Game.IsCompleted());
    if (!SoundMgr.IsSilent()) {
        EXPECT_EQ(QueuedPlaybacks(res::kSoundLevelDone), 1);
    }
    EXPECT_EQ(Game.GetSamplePos().x, Groups()[0].x);
    EXPECT_EQ(Game.GetSamplePos().y, Groups()[0].y);

    const FloatPoint target = Game.GetSampleTarget();
    auto onTarget = [&] { return Game.GetSamplePos().x == target.x && Game.GetSamplePos().y == target.y; };
    ASSERT_TRUE(game.RunUntil(onTarget, 1000));
    game.RunFrames(1);
    // The whole picture, without cut lines, at its resting place.
    for (Point p : {Point{10, 10}, Point{120, 120}, Point{230, 200}}) {
        EXPECT_EQ(game.Frame().GetPixel(static_cast<int>(target.x) + p.x, static_cast<int>(target.y) + p.y),
                  puzzle_test::PictureColour(p.x, p.y));
    }
}

// Cuts with more pieces one way than the other join the same way: a wide and
// a tall picture, each put together piece by piece into one group.
TEST_F(SolvePuzzleTest, WideAndTallCutsAreSolvedByTheMouse)
{
    struct Shape {
        int width, height, along, columns, rows;
    };
    for (const Shape shape : {Shape{240, 160, 6, 6, 4}, Shape{160, 240, 6, 4, 6}}) {
        SCOPED_TRACE(testing::Message() << shape.width << " x " << shape.height);
        StartPuzzle(shape.width, shape.height, shape.along, CCutPreview::kSmoothHard);
        ASSERT_EQ(Game.GetPiecesX(), shape.columns);
        ASSERT_EQ(Game.GetPiecesY(), shape.rows);
        Game.ArrangePieces();
        game.RunFrames(1);
        CarryPiece(0, {300, 300});
        for (int k = 1; k < Game.GetPieceCount(); ++k) {
            SCOPED_TRACE(testing::Message() << "piece " << k);
            CarryPiece(k, PlaceBeside(k));
            ASSERT_EQ(GroupIndexOf(k), GroupIndexOf(0));
            EXPECT_EQ(ImagePos(0).x, 300.0f);
            EXPECT_EQ(ImagePos(0).y, 300.0f);
        }
        ASSERT_EQ(Groups().size(), 1u);
        const CGroup& whole = Groups()[0];
        EXPECT_FLOAT_EQ(whole.width, static_cast<float>(shape.width));
        EXPECT_FLOAT_EQ(whole.height, static_cast<float>(shape.height));
        Game.ClearGroups();
        Game.FreePieces();
    }
}

}  // namespace
