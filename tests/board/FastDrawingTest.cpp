// SPDX-License-Identifier: GPL-3.0-or-later
// The board drawn through the pieces' recorded opaque runs, with the
// processor's wide moves and with the C library's copy, is, pixel for
// pixel, the board that the plain rule draws by testing every pixel: for
// every size of cut, with selected groups, the Border cut and option, and
// the picture window.
#include <cstring>
#include <sstream>
#include <string>

#include "BoardFixture.h"

namespace board_test {
namespace {

// Where two frames first differ, or "" when they are the same.
std::string FirstDifference(const Surface& a, const Surface& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return "the frames differ in size";
    for (int y = 0; y < a.Height(); ++y) {
        if (std::memcmp(a.Row(y), b.Row(y), sizeof(Colour) * a.Width()) == 0) continue;
        for (int x = 0; x < a.Width(); ++x) {
            if (a.GetPixel(x, y) == b.GetPixel(x, y)) continue;
            std::ostringstream where;
            where << "first at (" << x << ", " << y << "): " << std::hex << a.GetPixel(x, y) << " instead of "
                  << b.GetPixel(x, y);
            return where.str();
        }
    }
    return "";
}

// Where the panel's text lies: its line at the bottom, the clock at the top right.
constexpr int kBoardTextTop = 540;
constexpr int kClockLeft = 705, kClockBottom = 30;

class FastDrawingTest : public BoardTest {
protected:
    void TearDown() override
    {
        Surface::UsePlainCopies(false);
        Surface::UseVectorRuns(true);
        CMenu::borderOnly = false;
        BoardTest::TearDown();
    }
};

TEST_F(FastDrawingTest, BoardFramesAreThoseOfThePlainRule)
{
    game.SetFrameStep(0);  // nothing moves between the frames compared
    const int largest = 448 / 33;
    for (int pieces = 4; pieces <= largest; ++pieces) {
        for (bool border : {false, true}) {
            SCOPED_TRACE(testing::Message() << pieces << " x " << pieces << (border ? ", Border" : ""));
            puzzle_test::BuildCut(448, 448, pieces, puzzle_test::kAllStyles[pieces % 4], border);
            Game.StartGame();
            App.SetState(STATE_GAME);
            CMenu::borderOnly = border;
            CMenu::showPicture = !border;
            for (std::size_t g = 0; g < Groups().size(); g += 3) Groups()[g].selected = true;

            // Two frames draw every piece twice: from the third on they are drawn by runs.
            game.RunFrames(3);
            const Surface fast = game.Frame();
            Surface::UseVectorRuns(false);
            game.RunFrames(1);
            Surface::UseVectorRuns(true);
            ASSERT_EQ(FirstDifference(fast, game.Frame()), "") << "runs copied by the C library";
            Surface::UsePlainCopies(true);
            game.RunFrames(1);
            Surface::UsePlainCopies(false);
            ASSERT_EQ(FirstDifference(fast, game.Frame()), "");
        }
    }
}

// Whether the pixel (x, y) of a frame at the scale lies in a piece's box, or
// a unit around it (where a selected piece's rim goes).
bool InAPieceBox(int x, int y, int scale)
{
    for (const CGroup& group : Game.TestHookGroups()) {
        for (int m : group.members) {
            const CPiece& piece = Game.GetPiece(m);
            const int left = static_cast<int>(group.x + piece.x) - 1, top = static_cast<int>(group.y + piece.y) - 1;
            if (x >= left * scale && y >= top * scale && x < (left + static_cast<int>(piece.width) + 2) * scale &&
                y < (top + static_cast<int>(piece.height) + 2) * scale)
                return true;
        }
    }
    return false;
}

// On a window that asks for a larger drawing scale the board is drawn in the
// same places: the board, the panel and the picture window are the frame at
// scale 1 blown up (away from the text, which is drawn finer); the pieces are
// cut again at the scale, so only within their boxes may the pixels differ.
// Back at scale 1 the pieces cut again are those first cut, pixel for pixel.
TEST_F(FastDrawingTest, BoardFramesAtALargerScaleAreThoseOfScale1BlownUpAroundThePieces)
{
    game.SetFrameStep(0);
    puzzle_test::BuildCut(448, 448, 7, puzzle_test::kAllStyles[3], false);
    Game.StartGame();
    App.SetState(STATE_GAME);
    CMenu::showPicture = true;
    for (std::size_t g = 0; g < Groups().size(); g += 3) Groups()[g].selected = true;
    game.RunFrames(3);
    const Surface one = game.Frame();
    ASSERT_EQ(one.Scale(), 1);
    for (int scale : {2, 3}) {
        game.Display().SetDrawingScale(scale);
        game.RunFrames(3);
        const Surface& big = game.Frame();
        ASSERT_EQ(big.Scale(), scale);
        ASSERT_EQ(big.Width(), 800 * scale);
        EXPECT_EQ(Game.GetPiece(0).image.Scale(), scale);
        int differing = 0;
        std::string first;
        for (int y = 0; y < kBoardTextTop * scale; ++y)
            for (int x = 0; x < big.Width(); ++x)
                if (!(x >= kClockLeft * scale && y < kClockBottom * scale) &&
                    big.GetPixel(x, y) != one.GetPixel(x / scale, y / scale) && !InAPieceBox(x, y, scale)) {
                    if (!differing++) first = std::to_string(x) + ", " + std::to_string(y);
                }
        EXPECT_EQ(differing, 0) << "scale " << scale << ", first at " << first;
    }
    game.Display().SetDrawingScale(1);
    game.RunFrames(1);
    EXPECT_EQ(FirstDifference(one, game.Frame()), "") << "back at scale 1";
}

}  // namespace
}  // namespace board_test
