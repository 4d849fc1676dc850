// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "PuzzleFixture.h"
#include "resources/CMgrImage.h"

using namespace puzzle_test;

namespace {

class PieceTest : public PuzzleTest {};

constexpr Colour kGrey = MakeColour(85, 85, 85);

Point Corner(int column, int row) { return CutPreview.GetPoint(CutPreview.LineIndex(row, 6 * column)); }

const CPiece& PieceAt(int column, int row)
{
    return Game.GetPiece(static_cast<int>(CGame::GetArrayIndex(column, row, Game.GetPiecesX(), Game.GetPiecesY())));
}

// Where the piece's image lies in the picture: its lattice top-left corner
// minus that corner's place in the image.
Point BoxOrigin(int column, int row)
{
    const Point corner = Corner(column, row);
    const CPiece& piece = PieceAt(column, row);
    return {corner.x - piece.cornerTL.x, corner.y - piece.cornerTL.y};
}

// The piece's outline drawn on its own, independently of the piece's build.
Surface DrawnOutline(int column, int row)
{
    const CPiece& piece = PieceAt(column, row);
    const Point origin = BoxOrigin(column, row);
    Surface outline(piece.image.Width(), piece.image.Height());
    outline.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    Point points[CCutPreview::kOutlinePoints];
    CutPreview.GetCellOutline(column, row, points);
    for (Point& p : points) {
        p.x -= origin.x;
        p.y -= origin.y;
    }
    for (int i = 0; i < CCutPreview::kOutlinePoints; i += 4) outline.PolyBezier(points + i, 4);
    return outline;
}

// A plain one-pixel-at-a-time fill of the 4-connected rule, to compare with.
void ReferenceFill(Surface& surface, int x, int y, Colour colour, int width, int height)
{
    std::vector<Point> pending{{x, y}};
    while (!pending.empty()) {
        const Point p = pending.back();
        pending.pop_back();
        if (p.x < 0 || p.y < 0 || p.x > width - 1 || p.y > height - 1) continue;
        if (surface.GetPixel(p.x, p.y) == colour) continue;
        surface.SetPixel(p.x, p.y, colour);
        pending.insert(pending.end(), {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
    }
}

// The outline and everything the outside of the box cannot reach without
// crossing it: no mask may be white beyond this.
Surface Enclosed(const Surface& outline)
{
    const int w = outline.Width(), h = outline.Height();
    Surface mask(w, h);
    mask.Fill(kWhite);
    std::vector<Point> pending;
    for (int x = 0; x < w; ++x) pending.insert(pending.end(), {{x, 0}, {x, h - 1}});
    for (int y = 0; y < h; ++y) pending.insert(pending.end(), {{0, y}, {w - 1, y}});
    while (!pending.empty()) {
        const Point p = pending.back();
        pending.pop_back();
        if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) continue;
        if (outline.GetPixel(p.x, p.y) == kWhite || mask.GetPixel(p.x, p.y) == kBlack) continue;
        mask.SetPixel(p.x, p.y, kBlack);
        pending.insert(pending.end(), {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
    }
    return mask;
}

// The body of the piece: the enclosed pixels off the outline, without the
// odd pixel closed off where two curves run into a corner, which the pieces
// on both sides of it may share like the outline.
Surface Interior(const Surface& outline, const Surface& enclosed)
{
    constexpr std::size_t kPocketSize = 8;
    const int w = outline.Width(), h = outline.Height();
    Surface interior(w, h);
    auto open = [&](int x, int y) {
        return enclosed.GetPixel(x, y) == kWhite && outline.GetPixel(x, y) != kWhite &&
               interior.GetPixel(x, y) == kBlack;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!open(x, y)) continue;
            std::vector<Point> region, pending{{x, y}};
            interior.SetPixel(x, y, kWhite);
            while (!pending.empty()) {
                const Point p = pending.back();
                pending.pop_back();
                region.push_back(p);
                for (Point next : {Point{p.x + 1, p.y}, Point{p.x - 1, p.y}, Point{p.x, p.y + 1}, Point{p.x, p.y - 1}}) {
                    if (!open(next.x, next.y)) continue;
                    interior.SetPixel(next.x, next.y, kWhite);
                    pending.push_back(next);
                }
            }
            if (region.size() > kPocketSize) continue;
            for (const Point& p : region) interior.SetPixel(p.x, p.y, MakeColour(0, 0, 1));
        }
    }
    return interior;
}

// Checks one piece's mask, image and corners; answers an empty string or
// what is wrong.
std::string CheckPiece(int column, int row, const Surface& outline, bool ringWithoutOutline)
{
    const CPiece& piece = PieceAt(column, row);
    std::ostringstream fault;
    if (piece.column != column || piece.row != row) fault << "wrong cell; ";
    if (piece.mask.Width() != piece.width || piece.image.Height() != piece.height) fault << "wrong size; ";
    const Surface enclosed = Enclosed(outline);
    const Point origin = BoxOrigin(column, row);
    const CImage& picture = CutPreview.GetClean();
    int maskFaults = 0, imageFaults = 0;
    for (int y = 0; y < outline.Height(); ++y) {
        for (int x = 0; x < outline.Width(); ++x) {
            const Colour mask = piece.mask.GetPixel(x, y);
            if (mask != enclosed.GetPixel(x, y)) ++maskFaults;
            Colour wanted = kBlack;
            if (mask == kWhite) {
                const Colour behind = picture.surface.GetPixel(origin.x + x, origin.y + y);
                wanted = behind == kInvalidColour ? kBlack : behind;
                if (outline.GetPixel(x, y) == kWhite && !ringWithoutOutline) wanted = kGrey;
            }
            if (piece.image.GetPixel(x, y) != wanted) ++imageFaults;
        }
    }
    if (maskFaults) fault << maskFaults << " mask pixels wrong; ";
    if (imageFaults) fault << imageFaults << " image pixels wrong; ";
    const Point tr = Corner(column + 1, row), bl = Corner(column, row + 1);
    if (piece.cornerTR.x != tr.x - origin.x || piece.cornerTR.y != tr.y - origin.y) fault << "cornerTR; ";
    if (piece.cornerBL.x != bl.x - origin.x || piece.cornerBL.y != bl.y - origin.y) fault << "cornerBL; ";
    return fault.str();
}

// Lays every piece out by its corners and counts, for every pixel of the
// picture, how many masks cover it and how many of them away from their outline.
std::string CheckCoverage(const std::vector<Surface>& interiors)
{
    const int X = Game.GetPiecesX(), Y = Game.GetPiecesY();
    const int W = static_cast<int>(CutPreview.GetClean().width), H = static_cast<int>(CutPreview.GetClean().height);
    std::vector<int> covered(static_cast<std::size_t>(W) * H), inside(static_cast<std::size_t>(W) * H);
    std::ostringstream fault;
    for (int r = 0; r < Y; ++r) {
        for (int c = 0; c < X; ++c) {
            const CPiece& piece = PieceAt(c, r);
            // Laid out from the corners, each image lands on its own box.
            const Point origin = BoxOrigin(c, r);
            if (c > 0) {
                const CPiece& left = PieceAt(c - 1, r);
                const Point leftOrigin = BoxOrigin(c - 1, r);
                if (leftOrigin.x + left.cornerTR.x != origin.x + piece.cornerTL.x ||
                    leftOrigin.y + left.cornerTR.y != origin.y + piece.cornerTL.y)
                    fault << "(" << c << "," << r << ") does not meet its left neighbour; ";
            }
            if (r > 0) {
                const CPiece& above = PieceAt(c, r - 1);
                const Point aboveOrigin = BoxOrigin(c, r - 1);
                if (aboveOrigin.x + above.cornerBL.x != origin.x + piece.cornerTL.x ||
                    aboveOrigin.y + above.cornerBL.y != origin.y + piece.cornerTL.y)
                    fault << "(" << c << "," << r << ") does not meet the piece above; ";
            }
            const Surface& interior = interiors[c + r * X];
            for (int y = 0; y < piece.mask.Height(); ++y) {
                for (int x = 0; x < piece.mask.Width(); ++x) {
                    const int px = origin.x + x, py = origin.y + y;
                    if (px < 0 || py < 0 || px >= W || py >= H || piece.mask.GetPixel(x, y) != kWhite) continue;
                    ++covered[py * W + px];
                    if (interior.GetPixel(x, y) == kWhite) ++inside[py * W + px];
                }
            }
        }
    }
    int gaps = 0, overlaps = 0;
    for (std::size_t i = 0; i < covered.size(); ++i) {
        if (covered[i] == 0) ++gaps;
        if (inside[i] > 1 || (inside[i] == 1 && covered[i] > 1)) ++overlaps;
    }
    if (gaps) fault << gaps << " pixels in no piece; ";
    if (overlaps) fault << overlaps << " pixels inside one piece and covered by another; ";
    return fault.str();
}

void CheckWholeCut(int width, int height, int columns, int rows, float smooth, bool border)
{
    ChooseCut(width, height, 4, smooth, border);
    CutPreview.Restore(smooth, columns, rows);
    BuildAllPieces();
    std::vector<Surface> outlines, interiors;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            outlines.push_back(DrawnOutline(c, r));
            interiors.push_back(Interior(outlines.back(), Enclosed(outlines.back())));
            const bool ring = border && (c == 0 || r == 0 || c == columns - 1 || r == rows - 1);
            const std::string fault = CheckPiece(c, r, outlines.back(), ring);
            ASSERT_EQ(fault, "") << width << "x" << height << " cut " << columns << "x" << rows << " style "
                                 << smooth << (border ? " border" : "") << ", piece (" << c << "," << r << ")";
        }
    }
    EXPECT_EQ(CheckCoverage(interiors), "") << width << "x" << height << " cut " << columns << "x" << rows
                                            << " style " << smooth << (border ? " border" : "");
}

struct Cut {
    float smooth;
    bool border;
};

class EveryCut : public PieceTest, public ::testing::WithParamInterface<Cut> {};

}  // namespace

TEST_P(EveryCut, MasksImagesAndCoverageHoldForEverySize)
{
    const float smooth = GetParam().smooth;
    const bool border = GetParam().border;
    for (int n = 4; n <= 13; ++n) {
        CheckWholeCut(448, 448, n, n, smooth, border);
        if (HasFatalFailure()) return;
    }
    // Pictures that are not square, landscape and portrait, cut into squares
    // and, as a saved game may ask, into rectangles; and cells of 40 pixels.
    for (int n : {4, 7, 10}) {
        CheckWholeCut(448, 336, n, n, smooth, border);
        CheckWholeCut(301, 448, n - 1, n - 1, smooth, border);
        if (HasFatalFailure()) return;
    }
    CheckWholeCut(448, 448, 9, 5, smooth, border);
    CheckWholeCut(200, 160, 5, 4, smooth, border);
}

std::string CutName(const ::testing::TestParamInfo<Cut>& info)
{
    const float smooth = info.param.smooth;
    const char* style = smooth < 0 ? "None" : smooth == 0 ? "Easy" : smooth < 0.13f ? "Medium" : "Hard";
    return std::string(style) + (info.param.border ? "Border" : "");
}

INSTANTIATE_TEST_SUITE_P(Styles, EveryCut,
                         ::testing::Values(Cut{-1.0f, false}, Cut{0.0f, false}, Cut{0.12f, false}, Cut{0.15f, false},
                                           Cut{-1.0f, true}, Cut{0.0f, true}, Cut{0.12f, true}, Cut{0.15f, true}),
                         CutName);

TEST_F(PieceTest, StraightCutsGiveRectanglesThatShareTheirBorders)
{
    BuildCut(448, 448, 8, CCutPreview::kSmoothNone, false);
    const CPiece& first = PieceAt(0, 0);
    const CPiece& second = PieceAt(1, 0);
    EXPECT_EQ(first.width, 56.0f);  // grid lines 0 and 55, both included
    EXPECT_EQ(second.width, 57.0f);  // 55 to 111
    for (const CPiece* piece : {&first, &second}) {
        for (int y = 0; y < piece->mask.Height(); ++y) {
            for (int x = 0; x < piece->mask.Width(); ++x) ASSERT_EQ(piece->mask.GetPixel(x, y), kWhite);
        }
    }
    EXPECT_EQ(first.image.GetPixel(0, 10), kGrey);
    EXPECT_EQ(first.image.GetPixel(55, 10), kGrey);
    EXPECT_EQ(first.image.GetPixel(10, 0), kGrey);
    EXPECT_EQ(first.image.GetPixel(10, 10), PictureColour(10, 10));
    EXPECT_EQ(second.image.GetPixel(0, 10), kGrey);  // the shared column 55
    EXPECT_EQ(second.image.GetPixel(1, 10), PictureColour(56, 10));
}

TEST_F(PieceTest, BoxesIncludeControlPointsOutsideThePicture)
{
    BuildCut(448, 448, 8, CCutPreview::kSmoothEasy, false);
    const CPiece& first = PieceAt(0, 0);
    EXPECT_EQ(first.width, 67.0f);  // x 0..66
    EXPECT_EQ(first.height, 78.0f);  // y -6..71
    EXPECT_EQ(first.cornerTL.x, 0);
    EXPECT_EQ(first.cornerTL.y, 6);
    const CPiece& second = PieceAt(1, 0);
    EXPECT_EQ(second.width, 90.0f);  // x 38..127
    EXPECT_EQ(second.height, 78.0f);  // y -11..66
    EXPECT_EQ(second.cornerTL.x, 17);
    EXPECT_EQ(second.cornerTL.y, 11);
    EXPECT_EQ(second.cornerTR.x, 73);
    EXPECT_EQ(second.cornerTR.y, 11);
    EXPECT_EQ(second.cornerBL.x, 17);
    EXPECT_EQ(second.cornerBL.y, 66);
    // The rows above the picture lie outside the outline: black, transparent.
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < second.image.Width(); ++x) {
            ASSERT_EQ(second.image.GetPixel(x, y), kBlack);
            ASSERT_EQ(second.mask.GetPixel(x, y), kBlack);
        }
    }
    // The reference point: the smaller x of the left edge's first two control
    // points and the smaller y of the top edge's first two.
    EXPECT_EQ(second.homeX, 38.0f);
    EXPECT_EQ(first.homeY, 0.0f);
}

TEST_F(PieceTest, BlackPixelsOfThePictureAreTransparent)
{
    ChooseCut(448, 448, 4, CCutPreview::kSmoothEasy, false);
    CImage picture = CutPreview.GetClean();
    picture.surface.SetPixel(50, 50, kBlack);
    picture.surface.SetPixel(51, 50, 0x010000);
    CutPreview.TestHookSetPicture(picture);
    CutPreview.Refresh();
    BuildAllPieces();
    const CPiece& piece = PieceAt(0, 0);
    const Point origin = BoxOrigin(0, 0);
    Surface board(200, 200);
    board.Fill(MakeColour(255, 0, 0));
    ImageMgr.DrawPieceTransparent(board, piece, static_cast<float>(origin.x), static_cast<float>(origin.y));
    EXPECT_EQ(board.GetPixel(50, 50), MakeColour(255, 0, 0));
    EXPECT_EQ(board.GetPixel(51, 50), 0x010000u);
    EXPECT_EQ(board.GetPixel(52, 50), PictureColour(52, 50));
}

TEST_F(PieceTest, BorderRingPiecesHaveNoOutline)
{
    BuildCut(448, 448, 5, CCutPreview::kSmoothNone, true);
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c) {
            const CPiece& piece = PieceAt(c, r);
            const bool ring = c == 0 || r == 0 || c == 4 || r == 4;
            // A straight cut's outline runs along the box border.
            EXPECT_EQ(piece.image.GetPixel(0, 5) == kGrey, !ring) << c << "," << r;
        }
    }
}

TEST_F(PieceTest, PiecesAreScatteredInsideTheBoard)
{
    for (int n : {4, 13}) {
        BuildCut(448, 448, n, CCutPreview::kSmoothEasy, false);
        float maxX = 0, maxY = 0;
        for (int i = 0; i < Game.GetPieceCount(); ++i) {
            const CPiece& piece = Game.GetPiece(i);
            EXPECT_GE(piece.x, 0.0f);
            EXPECT_GE(piece.y, 0.0f);
            EXPECT_LT(piece.x, 750.0f - CutPreview.GetCellWidth());
            EXPECT_LT(piece.y, 500.0f - CutPreview.GetCellHeight());
            maxX = std::max(maxX, piece.x);
            maxY = std::max(maxY, piece.y);
        }
        if (n == 13) {
            EXPECT_GT(maxX, 400.0f);  // spread over the board, not piled up
            EXPECT_GT(maxY, 250.0f);
        }
    }
}

TEST_F(PieceTest, FloodFillFillsTheSamePixelsAsTheFourConnectedRule)
{
    for (int trial = 0; trial < 40; ++trial) {
        Surface noise(61, 47);
        for (int y = 0; y < noise.Height(); ++y) {
            for (int x = 0; x < noise.Width(); ++x) {
                const int roll = std::rand() % 100;
                noise.SetPixel(x, y, roll < 38 ? kWhite : roll < 45 ? MakeColour(1, 2, 3) : kBlack);
            }
        }
        // Every fourth trial fills only part of the surface.
        const int width = trial % 4 == 0 ? 40 : 61, height = trial % 4 == 0 ? 30 : 47;
        const int x = std::rand() % 61, y = std::rand() % 47;
        Surface expected = noise;
        ReferenceFill(expected, x, y, kWhite, width, height);
        CGame::FloodFill(noise, x, y, kWhite, static_cast<float>(width), static_cast<float>(height));
        for (int py = 0; py < noise.Height(); ++py) {
            for (int px = 0; px < noise.Width(); ++px)
                ASSERT_EQ(noise.GetPixel(px, py), expected.GetPixel(px, py)) << "trial " << trial;
        }
    }
}

TEST_F(PieceTest, FloodFillIgnoresSeedsOutsideAndHandlesLargeRegions)
{
    Surface surface(448, 448);
    CGame::FloodFill(surface, -1, 5, kWhite, 448, 448);
    CGame::FloodFill(surface, 5, 448, kWhite, 448, 448);
    CGame::FloodFill(surface, 5, 5, kWhite, 5, 448);  // the seed lies right of the width
    EXPECT_EQ(surface.GetPixel(5, 5), kBlack);
    CGame::FloodFill(surface, 5, 5, kWhite, 600, 600);  // sizes past the surface are clipped
    for (int y = 0; y < 448; ++y) {
        for (int x = 0; x < 448; ++x) ASSERT_EQ(surface.GetPixel(x, y), kWhite);
    }
}
