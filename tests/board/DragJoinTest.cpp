// SPDX-License-Identifier: GPL-3.0-or-later
// The player's hand: picking up by a visible pixel, the snapping windows,
// joining, the rubber-band selection and the picture window.
#include <gtest/gtest.h>

#include <set>

#include "BoardFixture.h"
#include "resources/CMgrImage.h"

using namespace board_test;

namespace {

class DragJoinTest : public BoardTest {
protected:
    bool Joined(int a, int b) const { return GroupIndexOf(a) == GroupIndexOf(b); }
    int LastGroup() const { return static_cast<int>(Groups().size()) - 1; }
};

struct Offset {
    int dx;
    int dy;
    bool joins;
};

// Piece 1 is piece 0's right neighbour 100 pixels on: it joins strictly
// inside a quarter of that along the join and 15 pixels across it.
TEST_F(DragJoinTest, RightNeighbourJoinsStrictlyInsideItsWindow)
{
    StartPuzzle(201, 201, 2);
    ASSERT_EQ(Game.GetPiece(0).neighbour[1], 1);
    ASSERT_EQ(Game.GetPiece(0).neighbourDX[1], 100.0f);
    const Offset cases[] = {{75, 0, false},  {76, 0, true},    {124, 0, true}, {125, 0, false}, {100, 14, true},
                            {100, 15, false}, {100, -14, true}, {100, -15, false}};
    for (const Offset& c : cases) {
        SCOPED_TRACE(testing::Message() << "dx " << c.dx << " dy " << c.dy);
        Game.StartGame();
        PlaceImage(0, 200, 200);
        PlaceImage(1, 500, 60);
        PlaceImage(2, 20, 440);
        PlaceImage(3, 650, 440);
        DragPieceTo(1, 200 + c.dx, 200 + c.dy);
        EXPECT_EQ(Joined(0, 1), c.joins);
        EXPECT_EQ(Groups().size(), c.joins ? 3u : 4u);
        if (c.joins) {
            // The dropped piece stays where it was dropped; piece 0 comes to it.
            EXPECT_EQ(ImagePos(1).x, 200.0f + c.dx);
            EXPECT_EQ(ImagePos(1).y, 200.0f + c.dy);
            EXPECT_EQ(ImagePos(0).x, ImagePos(1).x - 100);
            EXPECT_EQ(ImagePos(0).y, ImagePos(1).y);
        }
    }
}

// Piece 2 is piece 0's lower neighbour 80 pixels on: 60 to 100 below, less
// than 20 to the side.
TEST_F(DragJoinTest, LowerNeighbourJoinsStrictlyInsideItsWindow)
{
    StartPuzzle(201, 161, 2);
    ASSERT_EQ(Game.GetPiece(0).neighbour[3], 2);
    ASSERT_EQ(Game.GetPiece(0).neighbourDY[3], 80.0f);
    const Offset cases[] = {{0, 60, false}, {0, 61, true},  {0, 99, true},   {0, 100, false},
                            {19, 80, true}, {20, 80, false}, {-19, 80, true}, {-20, 80, false}};
    for (const Offset& c : cases) {
        SCOPED_TRACE(testing::Message() << "dx " << c.dx << " dy " << c.dy);
        Game.StartGame();
        PlaceImage(0, 200, 200);
        PlaceImage(1, 650, 440);
        PlaceImage(2, 500, 60);
        PlaceImage(3, 20, 440);
        DragPieceTo(2, 200 + c.dx, 200 + c.dy);
        EXPECT_EQ(Joined(0, 2), c.joins);
    }
}

TEST_F(DragJoinTest, OneDropJoinsEveryGroupThatFitsWithOneSound)
{
    StartPuzzle(201, 201, 2);
    PlaceImage(0, 20, 60);
    PlaceImage(1, 403, 205);  // above where 3 lands, a little off
    PlaceImage(2, 296, 308);  // left of it
    PlaceImage(3, 600, 60);
    DragPieceTo(3, 400, 300);

    ASSERT_EQ(Groups().size(), 2u);
    const CGroup& joined = Groups().back();
    EXPECT_EQ(joined.members, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(joined.canJoin, (std::vector<int>{0}));
    EXPECT_EQ(GroupIndexOf(3), LastGroup());
    EXPECT_EQ(Game.GetDrawOrder(), (std::vector<int>{0, 1}));
    // The dropped piece stays; the others jump into their places beside it.
    EXPECT_EQ(ImagePos(3).x, 400.0f);
    EXPECT_EQ(ImagePos(3).y, 300.0f);
    EXPECT_EQ(ImagePos(1).x, 400.0f);
    EXPECT_EQ(ImagePos(1).y, 200.0f);
    EXPECT_EQ(ImagePos(2).x, 300.0f);
    EXPECT_EQ(ImagePos(2).y, 300.0f);
    if (!SoundMgr.IsSilent()) {
        EXPECT_EQ(QueuedPlaybacks(res::kSoundPieceConnection), 1);
    }

    // The last piece joins the big group; its members stay in descending order.
    DragPieceTo(0, 300, 200);
    ASSERT_EQ(Groups().size(), 1u);
    EXPECT_EQ(Groups()[0].members, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_TRUE(Groups()[0].canJoin.empty());
}

// A saved game may list one of a group's own pieces as a candidate; the
// group must not join itself and list its pieces twice.
TEST_F(DragJoinTest, AGroupNeverJoinsItself)
{
    StartPuzzle(201, 201, 2);
    PlaceImage(0, 200, 200);
    PlaceImage(1, 500, 60);
    PlaceImage(2, 20, 440);
    PlaceImage(3, 650, 440);
    DragPieceTo(1, 300, 200);
    ASSERT_TRUE(Joined(0, 1));
    GroupOf(0).canJoin.push_back(0);
    GroupOf(0).canJoin.push_back(1);
    DragPieceTo(1, 350, 250);
    EXPECT_EQ(Groups().size(), 3u);
    EXPECT_EQ(GroupOf(0).members, (std::vector<int>{1, 0}));
    if (!SoundMgr.IsSilent()) {
        EXPECT_EQ(QueuedPlaybacks(res::kSoundPieceConnection), 0);
    }
}

// A neighbour of a candidate counts only when it really is one of the
// dropped group's pieces, not merely numbered between them: piece 1 lies
// between the pieces 0 and 3 of the dropped group but belongs to another.
TEST_F(DragJoinTest, OnlyTheDroppedGroupsOwnPiecesAreMatched)
{
    StartPuzzle(301, 301, 3);
    const float spots[9][2] = {{200, 100}, {600, 60}, {20, 440}, {0, 0},    {0, 0},
                               {650, 440}, {450, 440}, {20, 60}, {650, 250}};
    for (int piece : {0, 1, 2, 5, 6, 7, 8}) PlaceImage(piece, spots[piece][0], spots[piece][1]);
    PlaceImage(3, 400, 300);
    PlaceImage(4, 20, 250);
    DragPieceTo(3, 200, 200);
    ASSERT_TRUE(Joined(0, 3));
    // Piece 4 where piece 1 (laid out at its group's origin) would fit above it.
    PlaceImage(4, 200, 200 + Game.GetPiece(1).y);
    DragPieceTo(0, 200, 100);
    EXPECT_FALSE(Joined(0, 4));
    EXPECT_EQ(GroupOf(0).members, (std::vector<int>{3, 0}));
}

TEST_F(DragJoinTest, AHiddenGroupIsNeverJoined)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(0, 200, 200);
    PlaceImage(1, 500, 60);
    PlaceImage(2, 20, 440);
    PlaceImage(3, 650, 440);
    GroupOf(0).hidden = true;
    DragPieceTo(1, 300, 200);
    EXPECT_FALSE(Joined(0, 1));
    EXPECT_EQ(Groups().size(), 4u);
}

TEST_F(DragJoinTest, ATransparentCornerFallsThroughToThePieceBelow)
{
    StartPuzzle(200, 200, 2, CCutPreview::kSmoothEasy);
    // A see-through pixel inside piece 3's box.
    const PieceMask& mask = Game.GetPiece(3).mask;
    Point clear{-1, -1};
    for (int y = 1; y < mask.Height() - 1 && clear.x < 0; ++y) {
        for (int x = 1; x < mask.Width() - 1; ++x) {
            if (mask.GetPixel(x, y) == kBlack) {
                clear = {x, y};
                break;
            }
        }
    }
    ASSERT_GE(clear.x, 0) << "a piece with tabs has see-through corners";
    const Point at{300 + clear.x, 300 + clear.y};
    PlaceImage(3, 300, 300);
    PlaceImage(1, 20, 60);
    PlaceImage(2, 650, 440);
    const Point inside0 = InsidePixel(0);
    PlaceImage(0, static_cast<float>(at.x - inside0.x), static_cast<float>(at.y - inside0.y));
    BringToTop(3);

    Press(at.x, at.y);
    EXPECT_TRUE(Game.IsHoldingGroup());
    EXPECT_EQ(GroupIndexOf(0), LastGroup()) << "piece 0 below the see-through corner is picked up";
    Release(at.x, at.y);

    // With nothing below, the press starts a rectangle.
    PlaceImage(0, 20, 440);
    BringToTop(3);
    Press(at.x, at.y);
    EXPECT_FALSE(Game.IsHoldingGroup());
    EXPECT_TRUE(Game.IsSelecting());
    Release(at.x, at.y);
}

TEST_F(DragJoinTest, TheTopmostGroupIsPickedUpAndGoesLast)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(0, 300, 300);
    PlaceImage(3, 330, 330);
    PlaceImage(1, 20, 60);
    PlaceImage(2, 650, 440);
    BringToTop(0);
    BringToTop(3);
    BringToTop(1);  // last, but not under the cursor
    Press(360, 360);
    ASSERT_TRUE(Game.IsHoldingGroup());
    EXPECT_EQ(GroupIndexOf(3), LastGroup());
    EXPECT_EQ(GroupIndexOf(1), LastGroup() - 1);
    // While carried, the group follows the cursor with the grabbed point under it.
    MoveTo(400, 380);
    EXPECT_EQ(ImagePos(3).x, 370.0f);
    EXPECT_EQ(ImagePos(3).y, 350.0f);
    Release(400, 380);
    EXPECT_FALSE(Game.IsHoldingGroup());
}

// Let go and pressed again before one frame (a quick second press, a driven
// pointer): the carried piece is put down where it was let go, and the next
// frame takes what lies under the new press. It is never carried on to it.
TEST_F(DragJoinTest, ALetGoAndAPressBeforeAFrameDropThenTakeAgain)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(0, 100, 100);
    PlaceImage(1, 600, 100);
    PlaceImage(2, 100, 400);
    PlaceImage(3, 600, 400);
    Press(130, 130);
    MoveTo(190, 150);
    game.ReleaseButton(MouseButton::Left, 190, 150);
    game.PressButton(MouseButton::Left, 630, 430);
    game.RunFrames(1);
    EXPECT_FALSE(Game.IsHoldingGroup()) << "the frame saw the button let go";
    EXPECT_EQ(ImagePos(0).x, 160.0f);
    EXPECT_EQ(ImagePos(0).y, 120.0f);
    game.RunFrames(1);
    ASSERT_TRUE(Game.IsHoldingGroup()) << "the next frame took the new press";
    EXPECT_EQ(GroupIndexOf(3), LastGroup());
    MoveTo(640, 450);
    Release(640, 450);
    EXPECT_EQ(ImagePos(3).x, 610.0f);
    EXPECT_EQ(ImagePos(3).y, 420.0f);
    EXPECT_EQ(ImagePos(0).x, 160.0f) << "the first piece stayed where it was put down";
}

// A piece's box leaves out its left and top edge; its mask answers the rest.
TEST_F(DragJoinTest, TheLeftAndTopEdgeOfAPieceAreOutsideIt)
{
    StartPuzzle(201, 201, 2);
    PlaceImage(0, 300, 300);
    PlaceImage(1, 650, 60);
    PlaceImage(2, 20, 440);
    PlaceImage(3, 650, 440);
    ASSERT_EQ(Game.GetPiece(0).mask.GetPixel(0, 50), kWhite);
    for (Point edge : {Point{300, 350}, Point{350, 300}}) {
        Press(edge.x, edge.y);
        EXPECT_FALSE(Game.IsHoldingGroup()) << edge.x << "," << edge.y;
        Release(edge.x, edge.y);
    }
    Press(301, 350);
    EXPECT_TRUE(Game.IsHoldingGroup());
    Release(301, 350);
}

TEST_F(DragJoinTest, TheRightButtonDoesNothingOnTheBoard)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(1, 300, 300);
    game.PressButton(MouseButton::Right, 350, 350);
    game.RunFrames(1);
    game.MoveMouse(450, 400);
    game.RunFrames(1);
    EXPECT_FALSE(Game.IsHoldingGroup());
    EXPECT_FALSE(Game.IsSelecting());
    game.ReleaseButton(MouseButton::Right, 450, 400);
    game.RunFrames(1);
    EXPECT_EQ(ImagePos(1).x, 300.0f);
    EXPECT_EQ(ImagePos(1).y, 300.0f);
}

// A selected group that the edge filter then hides leaves the selection:
// moved along unseen it could be left off the board.
TEST_F(DragJoinTest, AGroupTheFilterHidesLeavesTheSelection)
{
    StartPuzzle(300, 300, 3);
    for (int k = 0; k < 9; ++k) GroupOf(k).selected = true;
    Game.FilterEdgePieces(true);
    EXPECT_TRUE(GroupOf(4).hidden);
    EXPECT_FALSE(GroupOf(4).selected);
    EXPECT_TRUE(GroupOf(0).selected);
}

TEST_F(DragJoinTest, AMovedSelectionDoesNotJoinButALaterDropDoes)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(0, 200, 200);
    PlaceImage(1, 500, 300);
    PlaceImage(2, 20, 440);
    PlaceImage(3, 650, 440);

    Press(450, 250);
    ASSERT_TRUE(Game.IsSelecting());
    MoveTo(620, 420);
    Release(620, 420);
    ASSERT_TRUE(Game.HasSelection());
    EXPECT_TRUE(GroupOf(1).selected);
    EXPECT_EQ(GroupIndexOf(1), LastGroup()) << "the selection is drawn on top";
    EXPECT_FALSE(GroupOf(0).selected);
    // A selected group shows its picture lightened.
    const Point inside = InsidePixel(1);
    game.RunFrames(1);
    EXPECT_EQ(game.Frame().GetPixel(500 + inside.x, 300 + inside.y),
              CMgrImage::SelectedLight(Game.GetPiece(1).image.GetPixel(inside.x, inside.y)));
    EXPECT_EQ(game.Frame().GetPixel(200 + inside.x, 200 + inside.y),
              Game.GetPiece(0).image.GetPixel(inside.x, inside.y));

    Press(500 + inside.x, 300 + inside.y);
    ASSERT_TRUE(Game.IsMovingSelection());
    MoveTo(300 + inside.x, 200 + inside.y);
    EXPECT_EQ(ImagePos(1).x, 300.0f);
    Release(300 + inside.x, 200 + inside.y);
    EXPECT_FALSE(Game.IsMovingSelection());
    EXPECT_FALSE(GroupOf(1).selected);
    EXPECT_FALSE(Joined(0, 1)) << "a moved selection never joins";

    DragPieceTo(1, 300, 200);
    EXPECT_TRUE(Joined(0, 1));
}

TEST_F(DragJoinTest, APressBesideASelectionDeselectsAndStartsAnew)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(0, 200, 200);
    PlaceImage(1, 500, 300);
    PlaceImage(2, 20, 440);
    PlaceImage(3, 650, 440);
    Press(450, 250);
    MoveTo(620, 420);
    Release(620, 420);
    ASSERT_TRUE(Game.HasSelection());
    // On another piece: the selection goes and the piece is picked up.
    const Point at = OnBoard(0, InsidePixel(0));
    Press(at.x, at.y);
    EXPECT_FALSE(Game.HasSelection());
    EXPECT_FALSE(GroupOf(1).selected);
    EXPECT_TRUE(Game.IsHoldingGroup());
    Release(at.x, at.y);
}

TEST_F(DragJoinTest, ThePictureWindowIsDraggedFromStrictlyInside)
{
    StartPuzzle(200, 200, 2);
    ImageMgr.LoadImage(const_cast<CImage&>(CutPreview.GetFrame()), res::kPreviewFrame);
    ASSERT_GT(CutPreview.GetFrame().width, 10.0f);
    PlaceImage(0, 30, 30);  // under the window
    PlaceImage(1, 650, 60);
    PlaceImage(2, 20, 440);
    PlaceImage(3, 650, 440);

    // Switched off, a press there is a press on the piece.
    Press(60, 60);
    EXPECT_FALSE(Game.IsDraggingPreview());
    EXPECT_TRUE(Game.IsHoldingGroup());
    Release(60, 60);
    PlaceImage(0, 30, 30);

    CMenu::showPicture = true;
    Press(21, 60);
    EXPECT_TRUE(Game.IsDraggingPreview());
    EXPECT_FALSE(Game.IsHoldingGroup());
    MoveTo(51, 100);
    EXPECT_EQ(Game.GetPreviewPos().x, 50.0f);
    EXPECT_EQ(Game.GetPreviewPos().y, 60.0f);
    Release(51, 100);
    EXPECT_FALSE(Game.IsDraggingPreview());
    EXPECT_EQ(Game.GetPreviewPos().x, 50.0f);

    // Exactly on the window's left edge is outside it.
    Press(50, 100);
    EXPECT_FALSE(Game.IsDraggingPreview());
    Release(50, 100);
}

}  // namespace
