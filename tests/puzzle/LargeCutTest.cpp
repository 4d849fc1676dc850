// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts beyond the board's 13 pieces along the longer side: the slider reaches
// about a thousand pieces on any photo of a megapixel and a half, in steps
// fine enough for the counts players ask for, never leaving a cell fewer of
// the photo's own pixels than the board's finest cut; the pieces are cut at
// the close-up's pixels and lie on a table with room for all of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "puzzle/PiecesCutAhead.h"
#include "puzzle/PuzzleFixture.h"

namespace {

using puzzle_test::PuzzleTest;

class LargeCutTest : public PuzzleTest {};

struct Shape {
    int width;  // of the 448 copy, in units
    int height;
};

// A picture of the shape whose file holds `megapixels`.
void ChoosePhoto(Shape shape, double megapixels)
{
    CutPreview.TestHookSetPicture(puzzle_test::MakePicture(shape.width, shape.height));
    const double side = std::sqrt(megapixels * 1e6 / (shape.width * shape.height));
    CutPreview.TestHookSetSourceSize(static_cast<int>(shape.width * side), static_cast<int>(shape.height * side));
    CutPreview.SetDefaults();
}

TEST_F(LargeCutTest, TheSliderReachesAboutAThousandPiecesInFineStepsOnAnyPhoto)
{
    const Shape shapes[] = {{448, 299}, {448, 336}, {448, 252}, {448, 448}, {299, 448}, {252, 448}};
    for (const Shape shape : shapes) {
        for (double megapixels : {1.5, 6.0, 24.0}) {
            SCOPED_TRACE(testing::Message() << shape.width << " x " << shape.height << ", " << megapixels << " MP");
            ChoosePhoto(shape, megapixels);
            std::vector<int> counts;
            for (int along = CutPreview.GetMinPieces(); along <= CutPreview.GetMaxPieces(); ++along) {
                CutPreview.SetPieces(along);
                CutPreview.LayOutLattice();
                counts.push_back(CutPreview.GetPieceCount());
                if (along <= CCutPreview::kLargestBoardCut) continue;
                // Near square, and never under 34 of the photo's pixels a cell.
                const float ratio = CutPreview.GetCellWidth() / CutPreview.GetCellHeight();
                ASSERT_GT(ratio, 0.8f) << along;
                ASSERT_LT(ratio, 1.25f) << along;
                const int source = std::max(CutPreview.GetSourceWidth(), CutPreview.GetSourceHeight());
                ASSERT_GE(source / along, 34) << along;
            }
            EXPECT_GE(counts.back(), 960);
            EXPECT_LE(counts.back(), 1100);
            EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
            for (int wanted : {24, 48, 100, 150, 300, 500, 750, 1000}) {
                const int nearest = *std::min_element(counts.begin(), counts.end(), [&](int a, int b) {
                    return std::abs(a - wanted) < std::abs(b - wanted);
                });
                EXPECT_LE(std::abs(nearest - wanted), wanted / 8 + 2) << "no cut near " << wanted;
            }
        }
    }
}

TEST_F(LargeCutTest, TheBoardsCutsStayAsTheyWereAndSmallPhotosStopAtThem)
{
    ChoosePhoto({448, 336}, 24.0);
    for (int along = 4; along <= CCutPreview::kLargestBoardCut; ++along) {
        CutPreview.SetPieces(along);
        CutPreview.LayOutLattice();
        EXPECT_FALSE(CutPreview.IsLargeCut());
        EXPECT_EQ(CutPreview.GetCutWidth(), 448.0f);
        EXPECT_EQ(CutPreview.GetCutHeight(), 336.0f);
    }
    // A photo of 448 pixels has no more to give than the board's cuts.
    ChoosePhoto({448, 336}, 448.0 * 336 / 1e6);
    EXPECT_EQ(CutPreview.GetMaxPieces(), CCutPreview::kLargestBoardCut);
}

TEST_F(LargeCutTest, ALargeCutIsCutAtTheCloseUpsPixelsAndEveryPieceLiesOnItsTable)
{
    ChoosePhoto({448, 336}, 12.0);
    CutPreview.SetPieces(26);
    CutPreview.SetSmoothType(CCutPreview::kSmoothMedium);
    ASSERT_TRUE(CutPreview.IsLargeCut());
    puzzle_test::BuildAllPieces();
    Game.StartGame();
    const int scale = CutPreview.GetCutScale();
    EXPECT_EQ(scale, 2);  // what the close-up asks at a drawing scale of 1
    const float span = Game.TableSpan();
    EXPECT_GT(span, 1.5f);
    // Room for the picture and every piece's box.
    const LayoutBox table = Game.FreeTable();
    float boxes = CutPreview.GetCutWidth() * CutPreview.GetCutHeight();
    for (int i = 0; i < Game.GetPieceCount(); ++i) {
        const CPiece& piece = Game.GetPiece(i);
        ASSERT_EQ(piece.image.Scale(), scale);
        ASSERT_EQ(piece.image.UnitWidth(), static_cast<int>(piece.width));
        boxes += piece.width * piece.height;
    }
    EXPECT_GE((table.right - table.left) * (table.bottom - table.top), boxes);
    // Shuffled, arranged, or pushed past an edge: every group stays on the free table.
    auto allOnTable = [&] {
        for (const CGroup& group : Game.GetGroups()) {
            const LayoutBox box = Game.ImageBox(group);
            if (box.left < table.left - 0.01f || box.right > table.right + 0.01f || box.top < table.top - 0.01f ||
                box.bottom > table.bottom + 0.01f)
                return false;
        }
        return true;
    };
    // Scattered at the start with none on another.
    EXPECT_TRUE(allOnTable());
    const std::vector<CGroup>& groups = Game.GetGroups();
    for (std::size_t a = 0; a < groups.size(); ++a)
        for (std::size_t b = a + 1; b < groups.size(); ++b) {
            const LayoutBox p = Game.ImageBox(groups[a]), q = Game.ImageBox(groups[b]);
            ASSERT_TRUE(p.right <= q.left || q.right <= p.left || p.bottom <= q.top || q.bottom <= p.top)
                << "groups " << a << " and " << b << " overlap";
        }
    Game.ArrangePieces();
    EXPECT_TRUE(allOnTable());
    for (CGroup& group : Game.TestHookGroups()) {
        group.x = group.x * 7 - 3000;
        group.y = group.y * 5 + 2000;
        Game.TestHookKeepOnBoard(group);
    }
    EXPECT_TRUE(allOnTable());
    // The whole table shows at the start; the closest step makes a piece an eighth of the screen.
    EXPECT_NEAR(Game.GetView().ZoomAtStep(0), 1.0f / span, 0.01f);
    const float closest = Game.GetView().ZoomAtStep(Game.GetView().LastStep()) * CutPreview.GetCellHeight();
    EXPECT_NEAR(closest, 75.0f, 75.0f * 0.1f);
}

// Noise of no black: a piece's image read from a wrong place shows at once.
Surface Noise(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    Surface noise(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) noise.SetPixel(x, y, (random() & 0xFFFFFF) | 1);
    return noise;
}

std::vector<std::pair<int, int>> RunsOf(const PieceMask& mask)
{
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < mask.Height(); ++y) {
        mask.ForEachRun(y, [&](int begin, int end) { runs.emplace_back(y * 100000 + begin, end); });
    }
    return runs;
}

// The pieces cut in the decode's spare time, each once the picture's rows
// under it are made, are those cut from the whole picture: rows not made yet
// (other noise here) never reach a piece. A Border cut's ring keeps its
// look, and pieces cut from a picture the decode did not end with are
// never taken.
TEST_F(LargeCutTest, PiecesCutWhileThePictureIsMadeAreThoseCutFromTheWholePicture)
{
    for (const bool border : {false, true}) {
        CMenu::SetBorder(border);
        ChoosePhoto({448, 336}, 12.0);
        CutPreview.SetPieces(16);
        ASSERT_TRUE(CutPreview.IsLargeCut());
        const int columns = CutPreview.GetColumns(), rows = CutPreview.GetRows();
        Game.SetSize(columns, rows);
        const int scale = CutPreview.GetCutScale();
        const int width = static_cast<int>(CutPreview.GetCutWidth()) * scale;
        const int height = static_cast<int>(CutPreview.GetCutHeight()) * scale;
        const Surface picture = Noise(width, height, 3);
        Surface made = Noise(width, height, 4);

        PiecesCutAhead ahead(Game, columns, rows, scale);
        std::mt19937 random(5);
        for (int rowsMade = 0; rowsMade < height;) {
            const int before = rowsMade;
            rowsMade = std::min(height, rowsMade + 1 + static_cast<int>(random() % 97));
            for (int y = before; y < rowsMade; ++y)
                for (int x = 0; x < width; ++x) made.SetPixel(x, y, picture.GetPixel(x, y));
            while (ahead.CutNext(made, rowsMade)) {
            }
        }
        ASSERT_EQ(ahead.CutCount(), columns * rows);
        ahead.Keep(true);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                CPiece cut, whole;
                ASSERT_TRUE(ahead.Take(column, row, cut));
                ASSERT_FALSE(ahead.Take(column, row, cut)) << "taken twice";
                CGame::CutFrom(picture, scale, CGame::CutBoxOf(column, row), Game.ShowsOutline(column, row), whole);
                ASSERT_EQ(cut.image.Width(), whole.image.Width());
                ASSERT_EQ(cut.image.Height(), whole.image.Height());
                ASSERT_EQ(RunsOf(cut.mask), RunsOf(whole.mask)) << column << ", " << row;
                for (int y = 0; y < whole.image.Height(); ++y)
                    for (int x = 0; x < whole.image.Width(); ++x)
                        ASSERT_EQ(cut.image.GetPixel(x, y), whole.image.GetPixel(x, y))
                            << "piece " << column << ", " << row << " at " << x << ", " << y;
            }

        PiecesCutAhead fromAnother(Game, columns, rows, scale);
        ASSERT_TRUE(fromAnother.CutNext(picture, height));
        fromAnother.Keep(false);
        CPiece piece;
        EXPECT_FALSE(fromAnother.Take(0, 0, piece));
    }
}

}  // namespace
