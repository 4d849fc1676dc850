// SPDX-License-Identifier: GPL-3.0-or-later
// What the board tells the player: a join lights the new group up for a
// moment and then the board rests; the bottom bar counts the joined pieces;
// a lifted piece casts a shadow.
#include "BoardFixture.h"

using namespace board_test;

namespace {

class FeedbackTest : public BoardTest {
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        game.TapKey('A');  // past the logo: the panel's pictures are loaded
        StartPuzzle(201, 201, 2);
        PlaceImage(0, 200, 200);
        PlaceImage(1, 500, 60);
        PlaceImage(2, 20, 420);
        PlaceImage(3, 650, 420);
        game.RunFrames(1);
    }
    static int Brightness(Colour c) { return RedOf(c) + GreenOf(c) + BlueOf(c); }
    // The pixels of the bottom bar's count.
    std::vector<Colour> CountArea() const
    {
        std::vector<Colour> area;
        for (int y = 566; y < 598; ++y)
            for (int x = 372; x < 536; ++x) area.push_back(game.Frame().GetPixel(x, y));
        return area;
    }
};

TEST_F(FeedbackTest, AJoinFlashesThenTheBoardRestsAndTheCountGoesUp)
{
    const Point inside = InsidePixel(0);
    const Point onPiece0{200 + inside.x, 200 + inside.y};
    const Colour plain = game.Frame().GetPixel(onPiece0.x, onPiece0.y);
    const std::vector<Colour> countBefore = CountArea();
    DragPieceTo(1, 300, 200);
    game.RunFrames(1);  // the drop's frame was drawn before the drop
    ASSERT_EQ(GroupIndexOf(0), GroupIndexOf(1));
    ASSERT_TRUE(Game.GetJoinFlash().IsOn());
    EXPECT_GT(Brightness(game.Frame().GetPixel(onPiece0.x, onPiece0.y)), Brightness(plain)) << "lit up";
    EXPECT_NE(CountArea(), countBefore) << "the count of joined pieces changed";

    ASSERT_TRUE(game.RunUntil([] { return !Game.GetJoinFlash().IsOn(); }, 120));
    game.RunFrames(1);
    EXPECT_EQ(game.Frame().GetPixel(onPiece0.x, onPiece0.y), plain) << "back to its own look";
    const std::uint64_t resting = Game.FrameSignature();
    game.RunFrames(3);
    EXPECT_EQ(Game.FrameSignature(), resting) << "nothing moves once the flash is over";
}

TEST_F(FeedbackTest, ALiftedPieceCastsAShadowBelowAndRightOfIt)
{
    const Point inside = InsidePixel(0);
    const Point grip{200 + inside.x, 200 + inside.y};
    const CPiece& piece = Game.GetPiece(0);
    // Just past the piece's bottom right corner, where only its shadow can fall.
    const int x = 200 + static_cast<int>(piece.width) + 2, y = 200 + inside.y;
    const Colour board = game.Frame().GetPixel(x + 100, y);
    Press(grip.x, grip.y);
    MoveTo(grip.x + 100, grip.y);
    game.RunFrames(1);  // drawn where the last frame's hand put it
    ASSERT_TRUE(Game.IsHoldingGroup());
    const Colour shadowed = game.Frame().GetPixel(x + 100, y);
    EXPECT_LT(Brightness(shadowed), Brightness(board)) << "a shadow beside the carried piece";
    Release(grip.x + 100, grip.y);
    game.RunFrames(1);
    EXPECT_EQ(game.Frame().GetPixel(x + 100, y), board) << "and none once it is down";
}

}  // namespace
