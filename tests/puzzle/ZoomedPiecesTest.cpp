// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces as the table draws them at other zooms, over every piece of a
// cut and many zooms: an enlarged copy takes the piece's pixel under each of
// its pixels' centres, its mask and picture in step; a reduced copy drops no
// pixel: every colour of the piece shares in the copy's average.
#include <gtest/gtest.h>

#include <cmath>

#include "puzzle/PuzzleFixture.h"
#include "puzzle/TableView.h"
#include "puzzle/ZoomedPieces.h"

namespace {

using puzzle_test::PuzzleTest;

class ZoomedPiecesTest : public PuzzleTest {};

TEST_F(ZoomedPiecesTest, AnEnlargedCopyIsThePieceUnderEachPixel)
{
    puzzle_test::BuildCut(300, 300, 5, CCutPreview::kSmoothMedium, false);
    for (int step = 1; step <= 8; ++step) {
        const float zoom = static_cast<float>(std::pow(TableView::kStepFactor, step));
        for (int k = 0; k < Game.GetPieceCount(); ++k) {
            const CPiece& piece = Game.GetPiece(k);
            CPiece copy;
            ZoomedPieces::Make(piece, zoom, 1, copy);
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << ", piece " << k);
            ASSERT_GE(copy.width, piece.width * zoom);
            ASSERT_LT(copy.width, piece.width * zoom + 1);
            for (int y = 0; y < copy.image.Height(); y += 3) {
                for (int x = 0; x < copy.image.Width(); x += 3) {
                    const int sx = static_cast<int>(std::floor((x + 0.5) / zoom));
                    const int sy = static_cast<int>(std::floor((y + 0.5) / zoom));
                    const bool inside = piece.mask.GetPixel(sx, sy) == kWhite;
                    ASSERT_EQ(copy.mask.GetPixel(x, y) == kWhite, inside) << x << ", " << y;
                    ASSERT_EQ(copy.image.GetPixel(x, y), inside ? piece.image.GetPixel(sx, sy) : kBlack);
                }
            }
        }
    }
}

// A line one pixel wide across a piece still shows in a copy of a quarter
// of its size, blended with what lies beside it.
TEST_F(ZoomedPiecesTest, AReducedCopyDropsNoPixel)
{
    CPiece piece;
    constexpr int kSide = 64;
    piece.image = Surface(kSide, kSide);
    piece.mask = PieceMask(kSide, kSide);
    piece.width = piece.height = kSide;
    const Colour grey = MakeColour(100, 100, 100), red = MakeColour(250, 0, 0);
    for (int y = 0; y < kSide; ++y) {
        piece.mask.AddRun(y, 0, kSide);
        for (int x = 0; x < kSide; ++x) piece.image.SetPixel(x, y, x % 8 == 5 ? red : grey);
    }
    for (float zoom : {0.5f, 0.25f, 0.125f}) {
        CPiece copy;
        ZoomedPieces::Make(piece, zoom, 1, copy);
        SCOPED_TRACE(zoom);
        EXPECT_EQ(copy.image.Width(), static_cast<int>(kSide * zoom));
        for (int y = 0; y < copy.image.Height(); ++y) {
            for (int x = 0; x < copy.image.Width(); ++x) {
                const int columns = static_cast<int>(1 / zoom);
                // The share of red among the piece's pixels this one covers.
                int reds = 0;
                for (int sx = x * columns; sx < (x + 1) * columns; ++sx) reds += sx % 8 == 5;
                const int expected = (250 * reds + 100 * (columns - reds)) / columns;
                EXPECT_EQ(RedOf(copy.image.GetPixel(x, y)), expected) << x << ", " << y;
                EXPECT_EQ(copy.mask.GetPixel(x, y), kWhite);
            }
        }
    }
}

}  // namespace
