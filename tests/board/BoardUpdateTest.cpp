// SPDX-License-Identifier: GPL-3.0-or-later
// One frame of play: the play clock, keeping groups on the board, the saved
// banner, the solved puzzle and the finished picture's glide.
#include <gtest/gtest.h>

#include <cstring>

#include "BoardFixture.h"
#include "core/CMgrInput.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"

using namespace board_test;

namespace {

class BoardUpdateTest : public BoardTest {
protected:
    Colour BoardColour() const
    {
        return MakeColour(Game.backgroundColor[0], Game.backgroundColor[1], Game.backgroundColor[2]);
    }
    bool AnyWhiteIn(int left, int top, int right, int bottom) const
    {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                if (game.Frame().GetPixel(x, y) == kWhite) return true;
            }
        }
        return false;
    }
    // The four pieces of a 2 x 2 cut as one group, as a loaded game may have it.
    static void JoinEverything(float x, float y)
    {
        CGroup whole;
        whole.members = {3, 2, 1, 0};
        whole.x = x;
        whole.y = y;
        Groups() = {whole};
        Game.SyncInGroup();
        Game.LayOutGroup(0);
    }
};

TEST_F(BoardUpdateTest, ClockCountsWholeSecondsAndDropsTheRest)
{
    StartPuzzle(200, 200, 2);
    game.SetFrameStep(1.0);
    game.RunFrames(59);
    EXPECT_EQ(Game.GetClockSeconds(), 59);
    EXPECT_EQ(Game.GetClockMinutes(), 0);
    game.SetFrameStep(0.99);
    game.RunFrames(1);
    EXPECT_EQ(Game.GetClockSeconds(), 59);
    game.SetFrameStep(0.02);
    game.RunFrames(1);
    EXPECT_EQ(Game.GetClockMinutes(), 1);
    EXPECT_EQ(Game.GetClockSeconds(), 0);
    EXPECT_EQ(Game.GetClockFraction(), 0.0f) << "the part above one second is dropped";
}

// Frames of play that would only repeat the last one are not drawn, yet the
// screen shows what a full frame draws; the clock's next second and any
// input are drawn at once.
TEST_F(BoardUpdateTest, ARestingBoardIsNotDrawnAgainYetShowsWhatAFullFrameDraws)
{
    StartPuzzle(448, 448, 6);
    game.SetFrameStep(0.1);
    game.RunFrames(3);
    const std::uint64_t drawn = BackBuffer().Version();
    game.RunFrames(5);
    EXPECT_EQ(BackBuffer().Version(), drawn) << "nothing new, nothing drawn";
    const Surface resting = game.Frame();
    auto same = [](const Surface& a, const Surface& b) {
        for (int y = 0; y < a.Height(); ++y)
            if (std::memcmp(a.Row(y), b.Row(y), sizeof(Colour) * a.Width()) != 0) return false;
        return a.Width() == b.Width() && a.Height() == b.Height();
    };

    BackBuffer().Pixels();  // the back buffer touched: the next frame is drawn in full
    game.SetFrameStep(0);
    game.RunFrames(1);
    EXPECT_NE(BackBuffer().Version(), drawn);
    EXPECT_TRUE(same(game.Frame(), resting));

    game.SetFrameStep(0.1);
    ASSERT_TRUE(game.RunUntil([] { return Game.GetClockSeconds() == 1; }, 20));
    EXPECT_FALSE(same(game.Frame(), resting)) << "the clock shows the next second";

    game.SetFrameStep(0);
    game.RunFrames(1);  // a frame that changed something is followed by one full frame more
    const std::uint64_t ticked = BackBuffer().Version();
    game.RunFrames(2);
    EXPECT_EQ(BackBuffer().Version(), ticked);
    game.MoveMouse(300, 300);
    game.RunFrames(1);
    EXPECT_NE(BackBuffer().Version(), ticked) << "input is drawn";
}

TEST_F(BoardUpdateTest, SavedBannerIsDrawnInEveryFrameOfItsTimeIncludingTheLast)
{
    App.InitAfterFirstFrame();  // the fonts, which start-up leaves for after the first frame
    ASSERT_TRUE(SmallFont.IsLoaded());
    StartPuzzle(200, 200, 2);
    for (int piece = 0; piece < 4; ++piece) PlaceImage(piece, 20.0f + 150 * piece, 300);
    Game.ShowSavedBanner(2.0f);
    game.SetFrameStep(0.5);
    for (int frame = 1; frame <= 4; ++frame) {
        game.RunFrames(1);
        EXPECT_TRUE(AnyWhiteIn(350, 10, 480, 40)) << "frame " << frame;
        EXPECT_EQ(Game.IsSavedBannerShown(), frame < 4) << "frame " << frame;
    }
    game.RunFrames(1);
    EXPECT_FALSE(AnyWhiteIn(350, 10, 480, 40));
}

TEST_F(BoardUpdateTest, GroupsAreKeptOnTheBoardOnlyWhileNothingIsCarried)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(0, 300, 300);
    PlaceImage(1, 20, 60);
    PlaceImage(2, 20, 420);
    PlaceImage(3, 600, 100);
    // Kept on by the images' reach, not by the cell size.
    const float width = Game.GetPiece(0).width;

    const Point inside = InsidePixel(0);
    Press(300 + inside.x, 300 + inside.y);
    ASSERT_TRUE(Game.IsHoldingGroup());
    GroupOf(3).x = 750;  // partly beyond the right edge while 0 is carried
    MoveTo(740 + inside.x, 300 + inside.y);
    EXPECT_EQ(GroupOf(3).x, 750.0f) << "nothing moves under the carried group";
    Release(740 + inside.x, 300 + inside.y);
    EXPECT_FALSE(Game.IsHoldingGroup());
    game.RunFrames(1);
    EXPECT_EQ(GroupOf(0).x, 790.0f - width);
    EXPECT_EQ(GroupOf(3).x, 790.0f - Game.GetPiece(3).width);

    DragPieceTo(0, 300, -30);
    game.RunFrames(1);
    EXPECT_EQ(GroupOf(0).y, CGame::kTopBarsBottom) << "clear of the top bars";
    EXPECT_EQ(GroupOf(0).x, 300.0f);
}

TEST_F(BoardUpdateTest, APuzzleOfOneGroupIsSolvedInTheFirstFrameAndThePictureGlidesToItsPlace)
{
    StartPuzzle(200, 200, 2);
    JoinEverything(100, 80);
    InputMgr.SetLeftButton(true);
    game.RunFrames(1);
    ASSERT_TRUE(Game.IsCompleted());
    EXPECT_FALSE(InputMgr.IsLeftButtonDown()) << "the press that solved it is consumed";
    EXPECT_EQ(Game.GetSamplePos().x, 100.0f);
    EXPECT_EQ(Game.GetSamplePos().y, 80.0f);
    if (!SoundMgr.IsSilent()) {
        EXPECT_EQ(QueuedPlaybacks(res::kSoundLevelDone), 1);
    }
    const int seconds = Game.GetClockSeconds();
    const float fraction = Game.GetClockFraction();

    const FloatPoint target = Game.GetSampleTarget();
    EXPECT_EQ(target.x, 310.0f);
    EXPECT_EQ(target.y, 150.0f);
    // Each frame shows the picture where it was before the frame's move.
    const FloatPoint before = Game.GetSamplePos();
    game.RunFrames(1);
    EXPECT_EQ(game.Frame().GetPixel(static_cast<int>(before.x) + 10, static_cast<int>(before.y) + 10),
              puzzle_test::PictureColour(10, 10));
    EXPECT_GT(Game.GetSamplePos().x, before.x);

    auto onTarget = [&] { return Game.GetSamplePos().x == target.x && Game.GetSamplePos().y == target.y; };
    ASSERT_TRUE(game.RunUntil(onTarget, 600));
    game.RunFrames(30);
    EXPECT_TRUE(onTarget()) << "the picture stays where it came to rest";
    EXPECT_EQ(Game.GetClockSeconds(), seconds) << "the clock stands still once solved";
    EXPECT_EQ(Game.GetClockFraction(), fraction);
}

TEST_F(BoardUpdateTest, AGroupTakenAwayWhileCarriedEndsTheCarry)
{
    StartPuzzle(200, 200, 2);
    PlaceImage(0, 300, 300);
    const Point at = OnBoard(0, InsidePixel(0));
    Press(at.x, at.y);
    ASSERT_TRUE(Game.IsHoldingGroup());
    // The panel may replace the puzzle in the middle of a carry.
    Game.ClearGroups();
    Game.FreePieces();
    MoveTo(at.x + 5, at.y + 5);
    Release(at.x + 5, at.y + 5);
    EXPECT_FALSE(Game.IsHoldingGroup());
}

}  // namespace
