// SPDX-License-Identifier: GPL-3.0-or-later
// What the player can see is what the hand takes, and everything stays in
// reach: taps pick up and drop, the rubber band leaves hidden groups alone,
// ARRANGE keeps every piece on the board, resting groups are kept on it by
// their images, and the picture window stays on the screen.
#include <gtest/gtest.h>

#include "BoardFixture.h"
#include "resources/CMgrImage.h"

using namespace board_test;

namespace {

// The free board: below the top bars, above the board's bottom edge.
constexpr float kBoardRight = 790, kBoardBottom = 560, kBelowTopBars = 34;

class ReachTest : public BoardTest {
protected:
    // A 2 x 2 cut with its pieces far from each other, piece 0 at (300, 300).
    void StartFourPiecesApart()
    {
        StartPuzzle(200, 200, 2);
        PlaceImage(0, 300, 300);
        PlaceImage(1, 20, 60);
        PlaceImage(2, 20, 420);
        PlaceImage(3, 600, 100);
    }
    // A press and a release delivered together, before one frame.
    void Tap(int x, int y)
    {
        game.PressButton(MouseButton::Left, x, y);
        game.ReleaseButton(MouseButton::Left, x, y);
        game.RunFrames(1);
    }
    // The board box of every visible piece lies on the free board (of every
    // loose one, when only those are asked for).
    static void ExpectEveryVisiblePieceOnTheBoard(float top, bool onlyLoose = false)
    {
        for (const CGroup& group : Groups()) {
            if (group.hidden || (onlyLoose && group.members.size() > 1)) continue;
            for (int m : group.members) {
                const CPiece& p = Game.GetPiece(m);
                const float x = group.x + p.x, y = group.y + p.y;
                EXPECT_GE(x, 0.0f) << "piece " << m;
                EXPECT_LE(x + p.width, kBoardRight) << "piece " << m;
                EXPECT_GE(y, top) << "piece " << m;
                EXPECT_LE(y + p.height, kBoardBottom) << "piece " << m;
            }
        }
    }
};

TEST_F(ReachTest, ATapOnAPiecePicksItUpAndDropsItInPlaceAndATapOnAButtonClicksIt)
{
    game.TapKey('A');  // past the logo: the panel's pictures are loaded
    StartFourPiecesApart();
    const Point at = OnBoard(0, InsidePixel(0));
    Tap(at.x, at.y);
    EXPECT_TRUE(Game.IsHoldingGroup()) << "the tap's frame sees the press";
    game.RunFrames(1);
    EXPECT_FALSE(Game.IsHoldingGroup()) << "and the next its release";
    EXPECT_EQ(ImagePos(0).x, 300.0f);
    EXPECT_EQ(ImagePos(0).y, 300.0f);

    Tap(672 + 28 + 10, 569 + 10);  // the second board colour
    game.RunFrames(1);              // a click is the press and the release on it
    EXPECT_EQ(Game.backgroundColor[0], CGame::kBoardColours[1][0]);
    EXPECT_EQ(Game.backgroundColor[2], CGame::kBoardColours[1][2]);
}

// A quick grab: the press and the moves after it arrive before one frame.
// The piece under the press is taken, and follows the hand from the next frame.
TEST_F(ReachTest, AQuickPressAndDragTakesThePieceUnderThePress)
{
    StartFourPiecesApart();
    game.RunFrames(1);
    const Point at = OnBoard(0, InsidePixel(0));
    game.PressButton(MouseButton::Left, at.x, at.y);
    for (int step = 1; step <= 4; ++step) game.MoveMouse(at.x + 30 * step, at.y + 20 * step);
    game.RunFrames(1);
    ASSERT_TRUE(Game.IsHoldingGroup()) << "the press's frame sees it where it happened";
    game.RunFrames(1);
    game.ReleaseButton(MouseButton::Left, at.x + 120, at.y + 80);
    game.RunFrames(2);
    EXPECT_FALSE(Game.IsHoldingGroup());
    EXPECT_EQ(ImagePos(0).x, 420.0f);
    EXPECT_EQ(ImagePos(0).y, 380.0f);
}

// With the edge filter on, the inner pieces are hidden: a rubber band drawn
// over them takes only the edge pieces, moving the selection leaves the
// hidden ones where they were, and a press where a hidden piece lies does not
// grab the selection.
TEST_F(ReachTest, TheRubberBandTakesOnlyWhatIsShown)
{
    StartPuzzle(400, 400, 4);
    Game.FilterEdgePieces(true);
    const int inner = 5, edge = 4;  // (1, 1) and (0, 1)
    ASSERT_TRUE(GroupOf(inner).hidden);
    ASSERT_FALSE(GroupOf(edge).hidden);
    for (CGroup& group : Groups()) group.x = 650, group.y = 420;
    PlaceImage(inner, 300, 200);
    PlaceImage(edge, 420, 200);
    game.RunFrames(1);

    Press(280, 180);
    MoveTo(560, 330);
    Release(560, 330);
    ASSERT_TRUE(Game.HasSelection());
    EXPECT_TRUE(GroupOf(edge).selected);
    EXPECT_FALSE(GroupOf(inner).selected) << "a hidden group is never selected";

    const Point hidden = OnBoard(inner, InsidePixel(inner));
    Press(hidden.x, hidden.y);
    EXPECT_FALSE(Game.IsMovingSelection()) << "nothing shown lies there";
    Release(hidden.x, hidden.y);

    Press(280, 180);
    MoveTo(560, 330);
    Release(560, 330);
    const Point shown = OnBoard(edge, InsidePixel(edge));
    Press(shown.x, shown.y);
    ASSERT_TRUE(Game.IsMovingSelection());
    MoveTo(shown.x - 200, shown.y + 100);
    Release(shown.x - 200, shown.y + 100);
    EXPECT_EQ(ImagePos(edge).x, 220.0f);
    EXPECT_EQ(ImagePos(inner).x, 300.0f) << "the hidden piece stays";
    EXPECT_EQ(ImagePos(inner).y, 200.0f);
}

// Every cut of every picture shape, every edge style, with and without the
// frame: after ARRANGE each loose piece lies wholly on the board below the
// top bars, and a frame later every shown piece lies wholly on the board.
TEST_F(ReachTest, ArrangeKeepsEveryPieceOfEveryCutOnTheBoard)
{
    struct Shape {
        int width, height;
    };
    for (const Shape shape : {Shape{448, 448}, Shape{448, 300}, Shape{300, 448}}) {
        for (bool border : {false, true}) {
            for (float style : puzzle_test::kAllStyles) {
                for (int n = 4; n <= std::min(shape.width, shape.height) / 33; ++n) {
                    SCOPED_TRACE(testing::Message() << shape.width << "x" << shape.height << " cut " << n
                                                    << " style " << style << (border ? " border" : ""));
                    puzzle_test::BuildCut(shape.width, shape.height, n, style, border);
                    Game.StartGame();
                    App.SetState(STATE_GAME);
                    Game.ArrangePieces();
                    ExpectEveryVisiblePieceOnTheBoard(kBelowTopBars, true);
                    game.RunFrames(1);
                    ExpectEveryVisiblePieceOnTheBoard(kBelowTopBars);
                    if (HasFailure()) return;
                    Game.ClearGroups();
                    Game.FreePieces();
                    CMenu::SetBorder(false);
                }
            }
        }
    }
}

// A resting group is kept on the board by where its pieces' images reach,
// tabs and all; the picture window never leaves the screen.
TEST_F(ReachTest, RestingGroupsAndThePictureWindowStayInReach)
{
    StartPuzzle(448, 448, 5, CCutPreview::kSmoothHard);
    for (CGroup& group : Groups()) {
        group.x = 2000;
        group.y = -2000;
    }
    game.RunFrames(1);
    ExpectEveryVisiblePieceOnTheBoard(kBelowTopBars);
    for (CGroup& group : Groups()) {
        group.x = -2000;
        group.y = 2000;
    }
    game.RunFrames(1);
    ExpectEveryVisiblePieceOnTheBoard(kBelowTopBars);

    ImageMgr.LoadImage(const_cast<CImage&>(CutPreview.GetFrame()), res::kPreviewFrame);
    CMenu::showPicture = true;
    for (CGroup& group : Groups()) group.x = 600, group.y = 400;
    Game.SetPreviewPos(100, 100);
    Press(110, 110);
    ASSERT_TRUE(Game.IsDraggingPreview());
    const CImage& frame = CutPreview.GetFrame();
    for (Point to : {Point{900, 700}, Point{-300, -300}, Point{790, 10}}) {
        MoveTo(to.x, to.y);
        const FloatPoint at = Game.GetPreviewPos();
        EXPECT_GE(at.x, 0.0f);
        EXPECT_GE(at.y, kBelowTopBars) << "clear of the top bars and the clock";
        EXPECT_LE(at.x + frame.width, 800.0f);
        EXPECT_LE(at.y + frame.height, kBoardBottom) << "clear of the bottom panel";
    }
    Release(790, 10);

    // Where the panel puts it, under the clock, it moves down clear of it.
    Game.SetPreviewPos(560, 20);
    game.RunFrames(1);
    EXPECT_GE(Game.GetPreviewPos().y, kBelowTopBars);

    // A press on the window over a selected piece takes the window, not the selection.
    for (CGroup& group : Groups()) group.x = 650, group.y = 420;
    PlaceImage(0, 300, 200);
    Game.SetPreviewPos(300, 180);
    game.RunFrames(1);
    for (CGroup& group : Groups()) group.selected = group.members.front() == 0;
    Game.TestHookSetSelection(true);
    const Point under = OnBoard(0, InsidePixel(0));
    Press(under.x, under.y);
    EXPECT_TRUE(Game.IsDraggingPreview());
    EXPECT_FALSE(Game.IsMovingSelection());
    Release(under.x, under.y);
}

// Wherever the player lets go of a piece, over the panels and the clock or
// off the window, it comes to rest wholly in sight on the free board.
TEST_F(ReachTest, NoDroppedGroupRestsUnderAPanel)
{
    StartPuzzle(448, 448, 6, CCutPreview::kSmoothHard);
    std::srand(99);
    for (int drop = 0; drop < 60; ++drop) {
        const int piece = std::rand() % Game.GetPieceCount();
        BringToTop(piece);
        game.RunFrames(1);
        const Point from = OnBoard(piece, InsidePixel(piece));
        const Point to{std::rand() % 900 - 50, std::rand() % 700 - 50};
        Press(from.x, from.y);
        MoveTo(to.x, to.y);
        Release(to.x, to.y);
        game.RunFrames(1);
        ExpectEveryVisiblePieceOnTheBoard(kBelowTopBars);
        if (HasFailure()) return;
    }
}

}  // namespace
