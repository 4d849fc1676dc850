// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces cut at a drawing scale of 1, 2 and 3: laid at their places they
// cover the whole picture with no seam, they carry the picture's own pixels
// (fine stripes keep their frequency), and what a click takes is decided in
// units, the same at every scale away from the outline.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include "PuzzleFixture.h"
#include "resources/CMgrImage.h"

using namespace puzzle_test;

namespace {

constexpr Colour kBoardColour = MakeColour(255, 0, 255);  // never in a generated picture

class ScaledCutTest : public PuzzleTest {};

// A generated picture of width x height units at the scale: each pixel the
// picture's colour at that pixel, so that the finer pixels are all different.
CImage MakeScaledPicture(int width, int height, int scale)
{
    Surface pixels(width * scale, height * scale);
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) pixels.SetPixel(x, y, PictureColour(x, y));
    CImage picture;
    picture.width = static_cast<float>(width);
    picture.height = static_cast<float>(height);
    picture.surface = CMgrImage::AtScale(pixels, scale);
    return picture;
}

void BuildScaledCut(const CImage& picture, int pieces, float smooth, bool border)
{
    CMenu::SetBorder(border);
    CutPreview.TestHookSetPicture(picture);
    CutPreview.SetDefaults();
    CutPreview.SetPieces(pieces);
    CutPreview.SetSmoothType(smooth);
    BuildAllPieces();
}

const CPiece& PieceAt(int column, int row)
{
    return Game.GetPiece(static_cast<int>(CGame::GetArrayIndex(column, row, Game.GetPiecesX(), Game.GetPiecesY())));
}

// Where the piece's box lies in the picture, in units.
Point BoxOrigin(int column, int row)
{
    const Point corner = CutPreview.GetPoint(CutPreview.LineIndex(row, 6 * column));
    const CPiece& piece = PieceAt(column, row);
    return {corner.x - piece.cornerTL.x, corner.y - piece.cornerTL.y};
}

// Every piece drawn at its place, as a solved puzzle lies on the board, on a
// board of a colour the picture lacks; the picture's top-left at (margin, margin).
constexpr int kMargin = 40;
Surface LaySolved(int scale)
{
    const CImage& picture = CutPreview.GetClean();
    Surface board = Surface::Scaled(static_cast<int>(picture.width) + 2 * kMargin,
                                    static_cast<int>(picture.height) + 2 * kMargin, scale);
    board.Fill(kBoardColour);
    for (int r = 0; r < Game.GetPiecesY(); ++r)
        for (int c = 0; c < Game.GetPiecesX(); ++c) {
            const Point origin = BoxOrigin(c, r);
            ImageMgr.DrawPieceTransparent(board, PieceAt(c, r), static_cast<float>(origin.x + kMargin),
                                          static_cast<float>(origin.y + kMargin));
        }
    return board;
}

// Board-coloured pixels inside the picture's area, and pixels of the pieces
// that are neither the picture's own pixel there nor the outline's grey.
std::string CheckSolved(const Surface& board, int scale)
{
    const CImage& picture = CutPreview.GetClean();
    const int w = static_cast<int>(picture.width) * scale, h = static_cast<int>(picture.height) * scale;
    int seams = 0, foreign = 0;
    std::ostringstream fault;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Colour drawn = board.GetPixel(kMargin * scale + x, kMargin * scale + y);
            if (drawn == kBoardColour) {
                if (!seams++) fault << "board shows at (" << x << ", " << y << "); ";
            } else if (drawn != picture.surface.GetPixel(x, y) && drawn != CGame::kOutlineColour) {
                if (!foreign++) fault << "foreign pixel at (" << x << ", " << y << "); ";
            }
        }
    if (seams) fault << seams << " board pixels inside the picture; ";
    if (foreign) fault << foreign << " pixels not of the picture; ";
    return fault.str();
}

TEST_F(ScaledCutTest, SolvedPiecesMeetWithNoSeamAtEveryScale)
{
    int cases = 0;
    for (int scale : {1, 2, 3}) {
        for (int pieces : {4, 7, 13}) {
            for (float smooth : kAllStyles) {
                for (bool border : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "scale " << scale << ", " << pieces << " pieces, style "
                                                    << smooth << (border ? ", Border" : ""));
                    BuildScaledCut(MakeScaledPicture(448, 336, scale), pieces, smooth, border);
                    ASSERT_EQ(PieceAt(0, 0).image.Scale(), scale);
                    ASSERT_EQ(PieceAt(0, 0).mask.Width(), static_cast<int>(PieceAt(0, 0).width) * scale);
                    EXPECT_EQ(CheckSolved(LaySolved(scale), scale), "");
                    ++cases;
                }
            }
        }
    }
    EXPECT_EQ(cases, 72);
}

// Power of a row of values at each frequency (cycles per pixel, 0 to 0.5).
std::vector<double> Spectrum(const std::vector<double>& row)
{
    const std::size_t n = row.size();
    double mean = 0;
    for (double v : row) mean += v / static_cast<double>(n);
    std::vector<double> power(n / 2 + 1);
    for (std::size_t k = 1; k <= n / 2; ++k) {
        std::complex<double> sum;
        for (std::size_t i = 0; i < n; ++i)
            sum += (row[i] - mean) * std::polar(1.0, -2.0 * M_PI * static_cast<double>(k * i) / static_cast<double>(n));
        power[k] = std::norm(sum);
    }
    return power;
}

// Red and blue stripes a pixel wide at 1344 pixels (one red, two blue: a
// period of three pixels, finer than a picture of 448 can carry), cut 6 x 6
// at the scale; the red of the longest run of picture pixels inside a middle
// piece, with its strongest frequency and that frequency's share of the power.
struct RowFrequency {
    double strongest = 0;
    double share = 0;
};
RowFrequency StripesOnAPiece(int scale)
{
    Surface stripes(1344, 1344);
    for (int y = 0; y < 1344; ++y)
        for (int x = 0; x < 1344; ++x) stripes.SetPixel(x, y, x % 3 == 0 ? MakeColour(220, 10, 10) : MakeColour(10, 10, 220));
    PictureCopies copies = CCutPreview::PictureSizes();
    copies.scale = scale;
    ImageMgr.MakeCopies(stripes, copies);
    CutPreview.TestHookSetPicture(copies.clean);
    CutPreview.SetDefaults();
    CutPreview.SetPieces(6);
    CutPreview.SetSmoothType(CCutPreview::kSmoothMedium);
    BuildAllPieces();
    const CPiece& piece = PieceAt(2, 2);
    const int y = piece.image.Height() / 2;
    std::vector<double> longest, run;
    for (int x = 0; x <= piece.image.Width(); ++x) {
        const Colour c = piece.image.GetPixel(x, y);
        if (x < piece.image.Width() && c != kBlack && c != CGame::kOutlineColour) {
            run.push_back(RedOf(c));
            continue;
        }
        if (run.size() > longest.size()) longest = run;
        run.clear();
    }
    const std::vector<double> power = Spectrum(longest);
    std::size_t best = 1;
    double total = 0;
    for (std::size_t k = 1; k < power.size(); ++k) {
        total += power[k];
        if (power[k] > power[best]) best = k;
    }
    RowFrequency result;
    // Per pixel of the 1344 picture: a piece's pixel spans 3 / scale of those.
    result.strongest = static_cast<double>(best) / static_cast<double>(longest.size()) * scale / 3.0;
    // The true frequency's share, its neighbouring bins included (a run is no whole number of periods).
    double near = 0;
    for (std::size_t k = best > 1 ? best - 1 : 1; k <= best + 1 && k < power.size(); ++k) near += power[k];
    result.share = total > 0 ? near / total : 0;
    return result;
}

TEST_F(ScaledCutTest, FineStripesKeepTheirFrequencyOnPiecesAtScale3)
{
    const RowFrequency three = StripesOnAPiece(3);
    EXPECT_NEAR(three.strongest, 1.0 / 3.0, 0.01);
    EXPECT_GT(three.share, 0.9);
    // At scale 1 the 448 picture cannot carry them: the filter leaves a flat
    // purple, and whatever is left is no stripe of a third of a pixel.
    Game.FreePieces();
    CutPreview.Release();
    const RowFrequency one = StripesOnAPiece(1);
    EXPECT_FALSE(std::abs(one.strongest - 1.0 / 3.0) < 0.01 && one.share > 0.9);
}

// Whether unit (x, y) of a scale-1 mask lies a unit or more from its outside
// (or from its inside): its eight neighbours are as it is.
bool AwayFromTheOutline(const PieceMask& mask, int x, int y)
{
    const bool inside = mask.CoversUnit(x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (mask.CoversUnit(x + dx, y + dy) != inside) return false;
    return true;
}

TEST_F(ScaledCutTest, WhatAClickTakesIsTheSameInUnitsAtEveryScale)
{
    for (int pieces : {4, 9, 13}) {
        for (float smooth : kAllStyles) {
            SCOPED_TRACE(testing::Message() << pieces << " pieces, style " << smooth);
            BuildScaledCut(MakeScaledPicture(448, 336, 1), pieces, smooth, false);
            std::vector<PieceMask> atOne;
            for (int i = 0; i < Game.GetPieceCount(); ++i) atOne.push_back(Game.GetPiece(i).mask);
            for (int scale : {2, 3}) {
                BuildScaledCut(MakeScaledPicture(448, 336, scale), pieces, smooth, false);
                int units = 0, differing = 0, differingAway = 0;
                for (int i = 0; i < Game.GetPieceCount(); ++i) {
                    const PieceMask& one = atOne[static_cast<std::size_t>(i)];
                    const PieceMask& scaled = Game.GetPiece(i).mask;
                    ASSERT_EQ(scaled.Width(), one.Width() * scale);
                    for (int y = -1; y <= one.Height(); ++y)
                        for (int x = -1; x <= one.Width(); ++x) {
                            ++units;
                            if (one.CoversUnit(x, y) == scaled.CoversUnit(x, y)) continue;
                            ++differing;
                            if (AwayFromTheOutline(one, x, y)) ++differingAway;
                        }
                }
                EXPECT_EQ(differingAway, 0) << "scale " << scale;
                EXPECT_LT(differing * 50, units) << "scale " << scale;  // under 2 % of the boxes' units
            }
        }
    }
}

// A selected piece looks the same at every scale: across a straight side
// the dark rim outside is one unit wide and the glowing edge inside two.
TEST_F(ScaledCutTest, ASelectedPieceHasItsRimAndEdgeAUnitAndTwoUnitsWideAtEveryScale)
{
    for (int scale : {1, 2, 3}) {
        for (bool plain : {false, true}) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << (plain ? ", plain rule" : ""));
            BuildScaledCut(MakeScaledPicture(448, 336, scale), 5, CCutPreview::kSmoothNone, false);
            const CPiece& piece = PieceAt(2, 2);
            Surface board = Surface::Scaled(200, 200, scale);
            board.Fill(kBoardColour);
            Surface::UsePlainCopies(plain);
            ImageMgr.DrawPieceSelected(board, piece, 20.0f, 20.0f, 0.0f);
            Surface::UsePlainCopies(false);
            // Along the middle row from the left: board, rim, edge, light picture.
            const int y = (20 + static_cast<int>(piece.height) / 2) * scale;
            int x = 0;
            auto runOf = [&](Colour colour) {
                const int from = x;
                while (x < board.Width() && board.GetPixel(x, y) == colour) ++x;
                return x - from;
            };
            EXPECT_EQ(runOf(kBoardColour), 19 * scale);
            EXPECT_EQ(runOf(CMgrImage::kSelectedRim), scale);
            EXPECT_EQ(runOf(CMgrImage::SelectedEdge(0.0f)), CMgrImage::kSelectedEdgeWidth * scale);
            EXPECT_EQ(board.GetPixel(x, y), CMgrImage::SelectedLight(piece.image.GetPixel(x - 20 * scale, y - 20 * scale)));
        }
    }
}

}  // namespace

// A gap of see-through pixels narrower than a unit, along a row or a
// column, with the piece on both sides of it: a hole in the outline's grey
// line, or a notch too narrow to be anything but one.
std::string FindHoles(const CPiece& piece)
{
    const Surface& image = piece.image;
    const int scale = image.Scale();
    auto drawn = [&](int x, int y) { return image.GetPixel(x, y) != kBlack; };
    auto fault = [&](const char* along, int x, int y) {
        return std::string("see-through gap along a ") + along + " at (" + std::to_string(x) + ", " +
               std::to_string(y) + ") of piece " + std::to_string(piece.column) + ", " + std::to_string(piece.row);
    };
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 1; x < image.Width(); ++x) {
            if (drawn(x, y) || !drawn(x - 1, y)) continue;
            int end = x;
            while (end < image.Width() && !drawn(end, y)) ++end;
            if (end < image.Width() && end - x < scale) return fault("row", x, y);
        }
    for (int x = 0; x < image.Width(); ++x)
        for (int y = 1; y < image.Height(); ++y) {
            if (drawn(x, y) || !drawn(x, y - 1)) continue;
            int end = y;
            while (end < image.Height() && !drawn(x, end)) ++end;
            if (end < image.Height() && end - y < scale) return fault("column", x, y);
        }
    return "";
}

TEST_F(ScaledCutTest, NoOutlineHasASeeThroughPixelAtAnyScale)
{
    int pieces = 0;
    for (int scale : {1, 2, 3})
        for (int count : {4, 7, 13})
            for (float smooth : kAllStyles)
                for (bool portrait : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "scale " << scale << ", " << count << " pieces, style " << smooth
                                                    << (portrait ? ", portrait" : ""));
                    BuildScaledCut(MakeScaledPicture(portrait ? 336 : 448, portrait ? 448 : 336, scale), count, smooth,
                                   smooth == CCutPreview::kSmoothMedium);
                    for (int i = 0; i < Game.GetPieceCount(); ++i, ++pieces) ASSERT_EQ(FindHoles(Game.GetPiece(i)), "");
                }
    EXPECT_GT(pieces, 2000);
}
