// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/CApp.h"
#include "PuzzleFixture.h"

using namespace puzzle_test;

namespace {

class CutPreviewTest : public PuzzleTest {};

std::vector<Point> Lattice()
{
    std::vector<Point> points;
    for (int i = 0; i < CutPreview.GetPointCount(); ++i) points.push_back(CutPreview.GetPoint(i));
    return points;
}

void ExpectPoint(int index, int x, int y)
{
    Point p = CutPreview.GetPoint(index);
    EXPECT_EQ(p.x, x) << "point " << index;
    EXPECT_EQ(p.y, y) << "point " << index;
}

bool SamePoint(Point a, Point b) { return a.x == b.x && a.y == b.y; }

}  // namespace

TEST_F(CutPreviewTest, DefaultCutOfASquarePicture)
{
    ChooseCut(448, 448, 8, 0.0f, false);
    CutPreview.SetDefaults();
    EXPECT_EQ(CutPreview.GetMinPieces(), 4);
    EXPECT_EQ(CutPreview.GetMaxPieces(), 13);
    EXPECT_EQ(CutPreview.GetColumns(), 8);
    EXPECT_EQ(CutPreview.GetRows(), 8);
    EXPECT_EQ(CutPreview.GetPieceCount(), 64);
    EXPECT_FLOAT_EQ(CutPreview.GetCellWidth(), 56.0f);
    EXPECT_FLOAT_EQ(CutPreview.GetCellHeight(), 56.0f);
    EXPECT_EQ(CutPreview.GetSmoothType(), CCutPreview::kSmoothEasy);
    EXPECT_EQ(CutPreview.GetPointCount(), 801);
    ExpectPoint(CutPreview.LineIndex(0, 48), 447, 0);
    ExpectPoint(CutPreview.LineIndex(8, 48), 447, 447);
}

TEST_F(CutPreviewTest, NarrowPicturesGetFewerPieces)
{
    ChooseCut(70, 448, 4, 0.0f, false);  // cells of 33 pixels: two across
    CutPreview.SetDefaults();
    EXPECT_EQ(CutPreview.GetMaxColumns(), 2);
    EXPECT_EQ(CutPreview.GetMaxPieces(), 13);  // down the longer side
    EXPECT_EQ(CutPreview.GetColumns(), 2);
    EXPECT_EQ(CutPreview.GetRows(), 8);

    ChooseCut(448, 336, 4, 0.0f, false);
    CutPreview.SetDefaults();
    EXPECT_EQ(CutPreview.GetMaxPieces(), 13);
    EXPECT_EQ(CutPreview.GetColumns(), 8);
    EXPECT_EQ(CutPreview.GetRows(), 6);
    EXPECT_FLOAT_EQ(CutPreview.GetCellWidth(), 56.0f);
    EXPECT_FLOAT_EQ(CutPreview.GetCellHeight(), 56.0f);
}

// Every count the slider offers, on pictures of every shape: the longer side
// gets the count, the shorter the number of pieces that keeps them nearest
// square, within 4 and the 33-pixel limit of each side.
TEST_F(CutPreviewTest, EveryShapeIsCutIntoNearSquarePieces)
{
    struct Shape {
        int width, height;
    };
    for (const Shape shape : {Shape{448, 448}, Shape{448, 336}, Shape{448, 252}, Shape{252, 448}, Shape{448, 140},
                              Shape{300, 448}, Shape{448, 199}}) {
        ChooseCut(shape.width, shape.height, 4, CCutPreview::kSmoothEasy, false);
        const int maxColumns = shape.width / 33, maxRows = shape.height / 33;
        EXPECT_EQ(CutPreview.GetMaxColumns(), maxColumns);
        EXPECT_EQ(CutPreview.GetMaxRows(), maxRows);
        EXPECT_EQ(CutPreview.GetMaxPieces(), std::max(maxColumns, maxRows));
        const bool wide = shape.width >= shape.height;
        for (int n = CutPreview.GetMinPieces(); n <= CutPreview.GetMaxPieces(); ++n) {
            SCOPED_TRACE(testing::Message() << shape.width << " x " << shape.height << " at " << n);
            CutPreview.SetPieces(n);
            const int columns = CutPreview.GetColumns(), rows = CutPreview.GetRows();
            EXPECT_EQ(wide ? columns : rows, n);
            EXPECT_GE(std::min(columns, rows), std::min(4, std::min(maxColumns, maxRows)));
            EXPECT_LE(columns, maxColumns);
            EXPECT_LE(rows, maxRows);
            // No other count of the shorter side within its limits gives squarer pieces.
            auto squareness = [&](int c, int r) {
                return std::fabs(std::log((shape.width / float(c)) / (shape.height / float(r))));
            };
            const int across = wide ? rows : columns, limit = wide ? maxRows : maxColumns;
            for (int other = std::min(4, limit); other <= limit; ++other)
                EXPECT_LE(squareness(columns, rows), squareness(wide ? n : other, wide ? other : n) + 0.25f)
                    << "across " << across << " against " << other;
        }
    }
    ChooseCut(448, 252, 4, CCutPreview::kSmoothEasy, false);
    CutPreview.SetPieces(CutPreview.GetMaxPieces());
    EXPECT_EQ(CutPreview.GetColumns(), 13);
    EXPECT_EQ(CutPreview.GetRows(), 7);
}

// On a white picture the cut shows by its dark line, on a black one by its
// white line: each cut line has both, side by side.
TEST_F(CutPreviewTest, TheCutLinesShowOnLightAndDarkPictures)
{
    for (Colour ground : {kWhite, kBlack}) {
        CImage picture;
        picture.width = picture.height = 200;
        picture.surface = Surface(200, 200);
        picture.surface.Fill(ground);
        CMenu::SetBorder(false);
        CutPreview.TestHookSetPicture(picture);
        CutPreview.SetDefaults();
        CutPreview.SetPieces(4);
        CutPreview.SetSmoothType(CCutPreview::kSmoothNone);
        const Surface& work = CutPreview.GetWorkSurface();
        // Along the first inner vertical cut line, at x = trunc(199 / 4).
        int light = 0, dark = 0;
        for (int y = 5; y < 195; ++y) {
            for (int x = 45; x < 55; ++x) {
                const Colour c = work.GetPixel(x, y);
                light += c == kWhite;
                dark += RedOf(c) < 64 && GreenOf(c) < 64 && BlueOf(c) < 64;
            }
        }
        const int cutPixels = ground == kWhite ? dark : light;
        EXPECT_GE(cutPixels, 180) << (ground == kWhite ? "dark line on white" : "white line on black");
    }
}

TEST_F(CutPreviewTest, WorkedExampleOfAnEightByEightCut)
{
    ChooseCut(448, 448, 8, CCutPreview::kSmoothNone, false);
    ASSERT_EQ(CutPreview.LineIndex(1, 0), 94);
    const int gridX[7] = {0, 9, 18, 27, 37, 46, 55};
    for (int k = 0; k < 7; ++k) ExpectPoint(94 + k, gridX[k], 55);
    const int verticalGridY[5] = {9, 18, 27, 37, 46};
    for (int s = 0; s < 5; ++s) {
        ASSERT_EQ(CutPreview.SubRowIndex(0, s, 1), 50 + 9 * s);
        ExpectPoint(50 + 9 * s, 55, verticalGridY[s]);
    }

    CutPreview.SetSmoothType(CCutPreview::kSmoothEasy);
    // First cell of line 1: the tab points down, a = 0, b = 0.22.
    const Point line1[7] = {{0, 55}, {42, 43}, {13, 71}, {27, 71}, {41, 71}, {12, 43}, {55, 55}};
    for (int k = 0; k < 7; ++k) ExpectPoint(94 + k, line1[k].x, line1[k].y);
    // Vertical line 1 in row 0: a tab to the left with b = 0.13, reaching above the picture.
    const Point vertical[5] = {{66, 42}, {38, -6}, {38, 27}, {38, 61}, {66, 12}};
    for (int s = 0; s < 5; ++s) ExpectPoint(50 + 9 * s, vertical[s].x, vertical[s].y);
}

TEST_F(CutPreviewTest, StraightCutsKeepTheGridAndTheBorderNeverMoves)
{
    for (int n = 4; n <= 13; ++n) {
        ChooseCut(448, 448, n, CCutPreview::kSmoothNone, false);
        const std::vector<Point> grid = Lattice();
        for (float smooth : kAllStyles) {
            for (bool border : {false, true}) {
                CMenu::SetBorder(border);
                CutPreview.SetSmoothType(smooth);
                if (smooth < 0) {
                    EXPECT_EQ(Lattice().size(), grid.size());
                    for (std::size_t i = 0; i < grid.size(); ++i)
                        ASSERT_TRUE(SamePoint(CutPreview.GetPoint(static_cast<int>(i)), grid[i])) << n << " " << i;
                }
                // Lines 0 and n, columns 0 and n, and their corners stay put.
                for (int k = 0; k <= 6 * n; ++k) {
                    for (int r : {0, n}) {
                        int i = CutPreview.LineIndex(r, k);
                        ASSERT_TRUE(SamePoint(CutPreview.GetPoint(i), grid[i])) << n << " " << smooth << " " << i;
                    }
                }
                for (int r = 0; r < n; ++r) {
                    for (int s = 0; s < 5; ++s) {
                        for (int col : {0, n}) {
                            int i = CutPreview.SubRowIndex(r, s, col);
                            ASSERT_TRUE(SamePoint(CutPreview.GetPoint(i), grid[i])) << n << " " << smooth << " " << i;
                        }
                    }
                }
            }
        }
    }
}

TEST_F(CutPreviewTest, HardEdgesPushInnerCornersInACheckerboard)
{
    ChooseCut(448, 448, 8, CCutPreview::kSmoothNone, false);
    const std::vector<Point> grid = Lattice();
    CutPreview.SetSmoothType(CCutPreview::kSmoothHard);
    for (int r = 0; r <= 8; ++r) {
        for (int c = 0; c <= 8; ++c) {
            const int i = CutPreview.LineIndex(r, 6 * c);
            const Point p = CutPreview.GetPoint(i);
            const int dx = p.x - grid[i].x, dy = p.y - grid[i].y;
            if (r == 0 || r == 8 || c == 0 || c == 8) {
                EXPECT_EQ(dx, 0);
                EXPECT_EQ(dy, 0);
            } else {
                const bool upward = (dx == -9 && dy == 8), downward = (dx == 8 && dy == -9);
                EXPECT_TRUE(upward || downward) << r << "," << c << ": " << dx << "," << dy;
                // Neighbouring corners move the opposite way.
                if (c > 1) {
                    const int left = CutPreview.LineIndex(r, 6 * (c - 1));
                    EXPECT_NE(CutPreview.GetPoint(left).x - grid[left].x, dx);
                }
            }
        }
    }
}

TEST_F(CutPreviewTest, BorderCutOnlyTabsTheInnerLinesAndDrawsTheInnerCells)
{
    ChooseCut(448, 448, 4, CCutPreview::kSmoothNone, true);
    const std::vector<Point> grid = Lattice();
    CutPreview.SetSmoothType(CCutPreview::kSmoothHard);
    for (int i = 0; i < CutPreview.GetPointCount(); ++i) {
        if (SamePoint(CutPreview.GetPoint(i), grid[i])) continue;
        // Only line 2 and vertical line 2 may move.
        const bool onLine2 = i > CutPreview.LineIndex(2, 0) && i < CutPreview.LineIndex(2, 24);
        bool onVertical2 = false;
        for (int r = 0; r < 4; ++r) {
            for (int s = 0; s < 5; ++s) onVertical2 |= i == CutPreview.SubRowIndex(r, s, 2);
        }
        EXPECT_TRUE(onLine2 || onVertical2) << "point " << i << " moved";
    }

    // The picture's own edge and the ring's cell boundaries are not drawn;
    // the inner cells' outlines are.
    Surface& work = CutPreview.GetWorkSurface();
    const Surface& clean = CutPreview.GetClean().surface;
    for (int y = 0; y < 448; ++y) EXPECT_EQ(work.GetPixel(0, y), clean.GetPixel(0, y));
    const Point line1Start = CutPreview.GetPoint(CutPreview.LineIndex(1, 0));
    const Point innerCorner = CutPreview.GetPoint(CutPreview.LineIndex(1, 6));
    EXPECT_EQ(work.GetPixel(line1Start.x + 20, line1Start.y), clean.GetPixel(line1Start.x + 20, line1Start.y));
    EXPECT_EQ(work.GetPixel(innerCorner.x + 5, innerCorner.y), kWhite);
}

TEST_F(CutPreviewTest, RefreshAfterNewPieceCountRedrawsOnTheCleanPicture)
{
    ChooseCut(448, 448, 8, CCutPreview::kSmoothNone, false);
    const Point line1 = CutPreview.GetPoint(CutPreview.LineIndex(1, 3));
    EXPECT_EQ(CutPreview.GetWorkSurface().GetPixel(line1.x, line1.y), kWhite);
    CutPreview.SetPieces(5);
    CutPreview.Refresh();
    EXPECT_EQ(CutPreview.GetPieceCount(), 25);
    // The old line 1 of the 8 x 8 cut is gone; the lines of the 5 x 5 cut are there.
    EXPECT_EQ(CutPreview.GetWorkSurface().GetPixel(line1.x, line1.y), PictureColour(line1.x, line1.y));
    const Point newLine = CutPreview.GetPoint(CutPreview.LineIndex(1, 3));
    EXPECT_EQ(CutPreview.GetWorkSurface().GetPixel(newLine.x, newLine.y), kWhite);
    // The clean copy is never drawn on.
    EXPECT_EQ(CutPreview.GetClean().surface.GetPixel(newLine.x, newLine.y), PictureColour(newLine.x, newLine.y));
}

TEST_F(CutPreviewTest, DrawShowsTheCutPictureRightOfCentre)
{
    ChooseCut(448, 336, 6, CCutPreview::kSmoothEasy, false);
    Surface& back = App.GetBackDC();
    back = Surface(800, 600);
    CutPreview.Draw();
    // x = 512 - 224, y = (448 - 336) / 2 + 48
    const Surface& work = CutPreview.GetWorkSurface();
    EXPECT_EQ(back.GetPixel(288, 104), work.GetPixel(0, 0));
    EXPECT_EQ(back.GetPixel(288 + 447, 104 + 335), work.GetPixel(447, 335));
    EXPECT_EQ(back.GetPixel(287, 104), kBlack);
    back = Surface();
}

TEST_F(CutPreviewTest, BuildTakesOneStepPerPieceAndEndsAtExactlyOneHundred)
{
    ChooseCut(448, 448, 4, CCutPreview::kSmoothEasy, false);
    CutPreview.StartBuild();
    EXPECT_EQ(CutPreview.GetProgress(), 0.0f);
    for (int i = 0; i < 16; ++i) ASSERT_FALSE(CutPreview.BuildStep()) << "step " << i;
    EXPECT_TRUE(CutPreview.BuildStep());
    EXPECT_EQ(CutPreview.GetProgress(), 100.0f);
    EXPECT_TRUE(CutPreview.BuildStep());
    ASSERT_EQ(Game.GetPieceCount(), 16);
    EXPECT_EQ(Game.GetPiece(15).column, 3);
    EXPECT_EQ(Game.GetPiece(15).row, 3);

    // 13 x 13 takes 169 building steps, and its progress never passes 100.
    CutPreview.SetPieces(13);
    CutPreview.Refresh();
    CutPreview.StartBuild();
    int steps = 0;
    while (!CutPreview.BuildStep()) {
        ++steps;
        ASSERT_LE(CutPreview.GetProgress(), 100.01f);
    }
    EXPECT_EQ(steps, 169);
}

TEST_F(CutPreviewTest, BuildCutsFromTheUnmarkedPicture)
{
    BuildCut(448, 448, 4, CCutPreview::kSmoothNone, false);
    // The preview's white cut lines were drawn on work, but the build copied
    // the clean picture back first, so no piece holds a white pixel.
    for (int i = 0; i < Game.GetPieceCount(); ++i) {
        const Surface& image = Game.GetPiece(i).image;
        for (int y = 0; y < image.Height(); ++y) {
            for (int x = 0; x < image.Width(); ++x) ASSERT_NE(image.GetPixel(x, y), kWhite);
        }
    }
}

TEST_F(CutPreviewTest, ReleaseAndFreePointsLeaveNothingToRead)
{
    ChooseCut(448, 448, 8, CCutPreview::kSmoothEasy, false);
    CutPreview.FreePoints();
    EXPECT_EQ(CutPreview.GetPointCount(), 0);
    EXPECT_TRUE(SamePoint(CutPreview.GetPoint(94), Point{}));
    CutPreview.Release();
    EXPECT_TRUE(CutPreview.GetClean().surface.IsEmpty());
    EXPECT_TRUE(CutPreview.GetWorkSurface().IsEmpty());
    EXPECT_TRUE(CutPreview.GetSmall().surface.IsEmpty());
}

TEST_F(CutPreviewTest, RestoreRebuildsARectangularCut)
{
    ChooseCut(448, 448, 8, CCutPreview::kSmoothEasy, false);
    CutPreview.Restore(CCutPreview::kSmoothMedium, 6, 4);
    EXPECT_EQ(CutPreview.GetSmoothType(), CCutPreview::kSmoothMedium);
    EXPECT_EQ(CutPreview.GetPieceCount(), 24);
    EXPECT_EQ(CutPreview.GetPointCount(), (6 * 6 + 1) * 5 + 5 * 4 * 7);
    EXPECT_FLOAT_EQ(CutPreview.GetCellWidth(), 448.0f / 6);
    EXPECT_FLOAT_EQ(CutPreview.GetCellHeight(), 112.0f);
    // A cut without pieces has no lattice and builds nothing.
    CutPreview.Restore(CCutPreview::kSmoothEasy, 0, 0);
    EXPECT_EQ(CutPreview.GetPointCount(), 0);
    CutPreview.StartBuild();
    EXPECT_TRUE(CutPreview.BuildStep());
    EXPECT_EQ(Game.GetPieceCount(), 0);
}
