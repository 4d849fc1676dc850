// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces as the table draws them at other zooms and scales. Over many
// zooms and positions of the view, pieces cut at several scales and drawn
// at several: a puzzle joined whole shows no pixel of the board inside its
// picture. Over many zooms: a copy made from the packed piece and its
// halvings is the direct reduction of the piece (its mask rounded outward,
// its colours the average of what it covers) within a pixel's rounding, and
// an enlarged copy shows the piece's pixel under each pixel's centre. Over
// random pieces and factors: a reduced copy is the plain rule's to the
// pixel. And
// the copies and halvings stay within their budget, the least recently
// drawn going first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

#include "puzzle/PuzzleFixture.h"
#include "puzzle/TableView.h"
#include "puzzle/ZoomedPieces.h"
#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"

namespace {

using puzzle_test::PuzzleTest;

constexpr Colour kBoardColour = MakeColour(255, 0, 255);  // never in a generated picture

class ZoomedPiecesTest : public PuzzleTest {
protected:
    void TearDown() override
    {
        BackBuffer() = Surface();
        PuzzleTest::TearDown();
    }
};

// A generated picture of width x height units at the scale, each pixel its own colour.
CImage ScaledPicture(int width, int height, int scale)
{
    Surface pixels(width * scale, height * scale);
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) pixels.SetPixel(x, y, puzzle_test::PictureColour(x, y));
    CImage picture;
    picture.width = static_cast<float>(width);
    picture.height = static_cast<float>(height);
    picture.surface = CMgrImage::AtScale(pixels, scale);
    return picture;
}

// Every piece in one group, laid out as in the finished picture.
void JoinWhole()
{
    std::vector<CGroup>& groups = Game.TestHookGroups();
    CGroup whole;
    for (int p = 0; p < Game.GetPieceCount(); ++p) whole.members.push_back(p);
    whole.x = 120;
    whole.y = 90;
    groups.assign(1, whole);
    Game.SyncInGroup();
    Game.LayOutGroup(0);
}

// Where the picture's top-left lies on the table: the first piece's corner.
TablePoint PictureOrigin()
{
    const CGroup& group = Game.GetGroups().front();
    const CPiece& first = Game.GetPiece(0);
    return {group.x + first.x + first.cornerTL.x, group.y + first.y + first.cornerTL.y};
}

// The first pixel of the board showing inside the picture's area on the
// back buffer (less a pixel along its edges), or {-1, -1}.
Point BoardInsidePicture(float width, float height)
{
    const Surface& back = BackBuffer();
    const TableView& view = Game.GetView();
    const TablePoint origin = PictureOrigin();
    const double perUnit = static_cast<double>(view.Zoom()) * back.Scale();
    auto pixel = [&](float table, float viewOrigin) { return (static_cast<double>(table) - viewOrigin) * perUnit; };
    const int left = std::max(0, static_cast<int>(std::ceil(pixel(origin.x, view.Origin().x))) + 1);
    const int top = std::max(0, static_cast<int>(std::ceil(pixel(origin.y, view.Origin().y))) + 1);
    const int right = std::min(back.Width(), static_cast<int>(std::floor(pixel(origin.x + width, view.Origin().x))) - 1);
    const int bottom =
        std::min(back.Height(), static_cast<int>(std::floor(pixel(origin.y + height, view.Origin().y))) - 1);
    for (int y = top; y < bottom; ++y) {
        const Colour* row = back.Row(y);
        for (int x = left; x < right; ++x)
            if (row[x] == kBoardColour) return {x, y};
    }
    return {-1, -1};
}

// The puzzle in play, joined whole, drawn at every drawing scale, zoom step
// and many positions of the view: answers the number of views looked at.
int ExpectNoBoardInsidePicture(float width, float height, std::mt19937& random)
{
    JoinWhole();
    std::uniform_real_distribution<float> acrossTable(0.0f, Game.GetView().TableWidth());
    std::uniform_real_distribution<float> downTable(0.0f, Game.GetView().TableHeight());
    int views = 0;
    for (int drawScale : {1, 2, 3}) {
        BackBuffer() = Surface::Scaled(800, 600, drawScale);
        for (int step = 0; step <= Game.GetView().LastStep(); ++step) {
            for (int place = 0; place < 4; ++place) {
                const TablePoint origin = place == 0 ? TablePoint{} : TablePoint{acrossTable(random), downTable(random)};
                Game.SetView(step, origin);
                BackBuffer().Fill(kBoardColour);
                Game.TestHookDrawGroups();
                const Point seam = BoardInsidePicture(width, height);
                EXPECT_EQ(seam.x, -1) << "drawn at " << drawScale << ", step " << step << ", view at "
                                      << Game.GetView().Origin().x << ", " << Game.GetView().Origin().y
                                      << ": board at pixel " << seam.x << ", " << seam.y;
                if (seam.x != -1) return views;
                ++views;
            }
        }
    }
    return views;
}

TEST_F(ZoomedPiecesTest, AJoinedPuzzleShowsNoBoardInsideItsPictureAtAnyViewOrScale)
{
    constexpr int kWidth = 240, kHeight = 180;
    std::mt19937 random(11);
    int views = 0;
    for (int cutScale : {1, 2, 4}) {
        SCOPED_TRACE(testing::Message() << "cut at " << cutScale);
        CutPreview.TestHookSetPicture(ScaledPicture(kWidth, kHeight, cutScale));
        CutPreview.SetDefaults();
        CutPreview.SetPieces(6);
        CutPreview.SetSmoothType(CCutPreview::kSmoothMedium);
        puzzle_test::BuildAllPieces();
        Game.StartGame();
        views += ExpectNoBoardInsidePicture(kWidth, kHeight, random);
    }
    EXPECT_GT(views, 100);
}

// A large cut lies on a table larger than the screen: the whole of it shows
// every piece reduced.
TEST_F(ZoomedPiecesTest, AJoinedLargeCutShowsNoBoardInsideItsPictureAtAnyViewOrScale)
{
    // A smooth picture: the sharp steps of the generated one come out of the
    // large cut's resampling with a pure black pixel here and there, which
    // is see-through whatever the zoom.
    CImage picture = puzzle_test::MakePicture(448, 336);
    for (int y = 0; y < 336; ++y)
        for (int x = 0; x < 448; ++x) picture.surface.SetPixel(x, y, MakeColour(30 + x / 3, 30 + y / 2, 120));
    CutPreview.TestHookSetPicture(picture);
    CutPreview.TestHookSetSourceSize(2000, 1500);
    CutPreview.SetDefaults();
    CutPreview.SetPieces(18);
    CutPreview.SetSmoothType(CCutPreview::kSmoothMedium);
    ASSERT_TRUE(CutPreview.IsLargeCut());
    puzzle_test::BuildAllPieces();
    Game.StartGame();
    ASSERT_LT(Game.GetView().ZoomAtStep(0), 1.0f);
    std::mt19937 random(12);
    EXPECT_GT(ExpectNoBoardInsidePicture(CutPreview.GetCutWidth(), CutPreview.GetCutHeight(), random), 50);
}

// A piece of a smooth picture at the scale: a disc with a knob on each
// side, its colours rising a level a pixel across and down.
CPiece SmoothPiece(int units, int scale)
{
    const int side = units * scale;
    CPiece piece;
    piece.image = Surface::Scaled(units, units, scale);
    piece.mask = PieceMask(side, side, scale);
    piece.width = piece.height = static_cast<float>(units);
    const double middle = side / 2.0, radius = side * 0.3, knob = side * 0.1, knobAt = side * 0.38;
    auto inside = [&](double x, double y) {
        auto within = [&](double cx, double cy, double r) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r; };
        return within(middle, middle, radius) || within(middle - knobAt, middle, knob) ||
               within(middle + knobAt, middle, knob) || within(middle, middle - knobAt, knob) ||
               within(middle, middle + knobAt, knob);
    };
    for (int y = 0; y < side; ++y) {
        int begin = -1;
        for (int x = 0; x <= side; ++x) {
            const bool in = x < side && inside(x + 0.5, y + 0.5);
            if (in) {
                piece.image.SetPixel(x, y, MakeColour(20 + x * 200 / side, 20 + y * 200 / side, 90));
                if (begin < 0) begin = x;
            } else if (begin >= 0) {
                piece.mask.AddRun(y, begin, x);
                begin = -1;
            }
        }
    }
    return piece;
}

// The piece's pixels that a pixel of a copy at f copy pixels a piece pixel
// overlaps, `grow` copy pixels more on every side.
struct Footprint {
    int left, top, right, bottom;  // right and bottom just outside
};
Footprint FootprintOf(int x, int y, double f, int grow, int side)
{
    auto low = [&](int i) { return std::clamp(static_cast<int>(std::floor((i - grow) / f)), 0, side); };
    auto high = [&](int i) { return std::clamp(static_cast<int>(std::ceil((i + 1 + grow) / f)), 0, side); };
    return {low(x), low(y), high(x), high(y)};
}

TEST_F(ZoomedPiecesTest, ACopyFromThePackedPieceAndItsHalvingsIsTheDirectReduction)
{
    constexpr int kUnits = 60, kCutScale = 4, kSide = kUnits * kCutScale;
    // One piece for the copies, one the same to read from.
    const CPiece piece = SmoothPiece(kUnits, kCutScale), source = SmoothPiece(kUnits, kCutScale);
    auto inside = [&](int x, int y) { return source.mask.GetPixel(x, y) == kWhite; };
    ZoomedPieces zoomed;
    zoomed.Prepare(0, piece);
    ASSERT_TRUE(piece.image.IsPacked());
    EXPECT_GE(zoomed.LevelsMade(0), 4);
    int checked = 0;
    for (int drawScale = 1; drawScale <= 3; ++drawScale) {
        for (int step = -14; step <= 6; ++step) {
            const float zoom = static_cast<float>(std::pow(TableView::kStepFactor, step));
            const double f = static_cast<double>(zoom) * drawScale / kCutScale;
            const CPiece& copy = zoomed.At(0, piece, step, zoom, drawScale);
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << ", drawn at " << drawScale);
            ASSERT_EQ(copy.image.Scale(), drawScale);
            ASSERT_GE(copy.image.Width(), std::ceil(kSide * f));
            for (int y = 0; y < copy.mask.Height(); ++y) {
                for (int x = 0; x < copy.mask.Width(); ++x) {
                    // The mask: at least what the piece's pixels under it say, at
                    // most that grown by a pixel.
                    auto any = [&](const Footprint& area) {
                        for (int sy = area.top; sy < area.bottom; ++sy)
                            for (int sx = area.left; sx < area.right; ++sx)
                                if (inside(sx, sy)) return true;
                        return false;
                    };
                    const bool in = copy.mask.GetPixel(x, y) == kWhite;
                    const Footprint exact = FootprintOf(x, y, f, 0, kSide);
                    if (any(exact)) {
                        ASSERT_TRUE(in) << x << ", " << y;
                    } else if (!any(FootprintOf(x, y, f, 1, kSide))) {
                        ASSERT_FALSE(in) << x << ", " << y;
                    }
                    if (!in) {
                        ASSERT_EQ(copy.image.GetPixel(x, y), kBlack);
                        continue;
                    }
                    if (f > 1) {
                        // Enlarged: the piece's pixel under the centre, where that is the piece's.
                        const int sx = static_cast<int>(std::floor((x + 0.5) / f));
                        const int sy = static_cast<int>(std::floor((y + 0.5) / f));
                        if (inside(sx, sy)) {
                            ASSERT_EQ(copy.image.GetPixel(x, y), source.image.GetPixel(sx, sy));
                        }
                        continue;
                    }
                    // Reduced, away from the outline: the average of what it
                    // covers, within the halvings' rounding of the area (half a
                    // copy pixel at most, a level of colour a piece pixel).
                    const Footprint grown = FootprintOf(x, y, f, 1, kSide);
                    bool whole = true;
                    for (int sy = grown.top; sy < grown.bottom && whole; ++sy)
                        for (int sx = grown.left; sx < grown.right && whole; ++sx) whole = inside(sx, sy);
                    if (!whole) continue;
                    long red = 0, green = 0, count = 0;
                    for (int sy = exact.top; sy < exact.bottom; ++sy) {
                        for (int sx = exact.left; sx < exact.right; ++sx) {
                            red += RedOf(source.image.GetPixel(sx, sy));
                            green += GreenOf(source.image.GetPixel(sx, sy));
                            ++count;
                        }
                    }
                    const double tolerance = 1.5 + 200.0 / kSide * 0.6 / f;
                    const Colour got = copy.image.GetPixel(x, y);
                    ASSERT_NEAR(RedOf(got), static_cast<double>(red) / count, tolerance) << x << ", " << y;
                    ASSERT_NEAR(GreenOf(got), static_cast<double>(green) / count, tolerance) << x << ", " << y;
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 1000);
    // All of it read from the record of runs: the piece never laid out its rows again.
    EXPECT_TRUE(piece.image.IsPacked());
}

// A piece of random shape and colours, with what the rule has to take care
// of: black pixels inside the mask, coloured ones outside it, colours so
// dark that some averages come out black.
CPiece RandomPiece(std::mt19937& random)
{
    std::uniform_int_distribution<int> units(1, 60), scales(1, 4), level(0, 255), die(0, 9);
    const int scale = scales(random), width = units(random) * scale, height = units(random) * scale;
    CPiece piece;
    piece.image = Surface::Scaled(width / scale, height / scale, scale);
    piece.mask = PieceMask(width, height, scale);
    piece.width = static_cast<float>(width / scale);
    piece.height = static_cast<float>(height / scale);
    const double cx = width / 2.0, cy = height / 2.0, radius = std::min(cx, cy) * (0.5 + die(random) / 12.0);
    for (int y = 0; y < height; ++y) {
        int begin = -1;
        for (int x = 0; x <= width; ++x) {
            const bool in = x < width && ((x - cx) * (x - cx) + (y - cy) * (y - cy) < radius * radius || die(random) == 0);
            if (x < width && (in || die(random) == 0)) {
                const int kind = die(random);
                const int most = kind == 1 ? 2 : 256;
                piece.image.SetPixel(x, y, kind == 0 ? kBlack
                                                     : MakeColour(level(random) % most, level(random) % most,
                                                                  level(random) % most));
            }
            if (in && begin < 0) begin = x;
            if (!in && begin >= 0) {
                piece.mask.AddRun(y, begin, x);
                begin = -1;
            }
        }
    }
    if (die(random) < 5) piece.image.Pack();
    return piece;
}

// The rule read plainly, one copy pixel at a time: at g copy pixels a
// source pixel, source pixel c spans [c g, (c + 1) g) of the copy's pixels.
// Inside where any source pixel it meets is; the rounded average of the
// opaque ones, never black.
CPiece PlainCopy(const CPiece& piece, double g, int scale)
{
    const Surface& image = piece.image;
    const int units = std::max(1, static_cast<int>(std::ceil(std::ceil(image.Width() * g) / scale)));
    const int unitsDown = std::max(1, static_cast<int>(std::ceil(std::ceil(image.Height() * g) / scale)));
    CPiece copy;
    copy.image = Surface::Scaled(units, unitsDown, scale);
    copy.mask = PieceMask(units * scale, unitsDown * scale, scale);
    auto meets = [&](int c, int x) { return std::floor(c * g) <= x && x < std::ceil((c + 1) * g); };
    for (int y = 0; y < copy.image.Height(); ++y) {
        int begin = -1;
        for (int x = 0; x <= copy.image.Width(); ++x) {
            bool in = false;
            long red = 0, green = 0, blue = 0, count = 0;
            for (int sy = 0; x < copy.image.Width() && sy < image.Height(); ++sy) {
                if (!meets(sy, y)) continue;
                for (int sx = 0; sx < image.Width(); ++sx) {
                    if (!meets(sx, x)) continue;
                    in = in || piece.mask.GetPixel(sx, sy) == kWhite;
                    const Colour colour = image.GetPixel(sx, sy);
                    if (colour == kBlack) continue;
                    red += RedOf(colour);
                    green += GreenOf(colour);
                    blue += BlueOf(colour);
                    ++count;
                }
            }
            if (in && count > 0) {
                const Colour average = MakeColour(static_cast<int>((red + count / 2) / count),
                                                  static_cast<int>((green + count / 2) / count),
                                                  static_cast<int>((blue + count / 2) / count));
                copy.image.SetPixel(x, y, average == kBlack ? MakeColour(1, 1, 1) : average);
            }
            if (in && begin < 0) begin = x;
            if (!in && begin >= 0) {
                copy.mask.AddRun(y, begin, x);
                begin = -1;
            }
        }
    }
    return copy;
}

std::vector<std::tuple<int, int, int>> RunsOf(const PieceMask& mask)
{
    std::vector<std::tuple<int, int, int>> runs;
    for (int y = 0; y < mask.Height(); ++y) mask.ForEachRun(y, [&](int begin, int end) { runs.emplace_back(y, begin, end); });
    return runs;
}

// Every reduced copy, a halving among them (g = 1/2 at scale 1), is the
// plain rule's to the pixel and to the mask's run.
TEST_F(ZoomedPiecesTest, AReducedCopyIsThePlainRuleToThePixel)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> factors(0.06, 1.0);
    std::uniform_int_distribution<int> scales(1, 3), die(0, 3);
    for (int i = 0; i < 150; ++i) {
        const CPiece piece = RandomPiece(random);
        const int scale = die(random) == 0 ? 1 : scales(random);
        const double g = die(random) == 0 ? 0.5 : factors(random);
        // The zoom that gives g from this piece at this scale, and the g it gives.
        const float zoom = static_cast<float>(g * piece.image.Scale() / scale);
        const double exact = static_cast<double>(zoom) * scale / piece.image.Scale();
        SCOPED_TRACE(testing::Message() << "piece " << i << ", " << piece.image.Width() << " x "
                                        << piece.image.Height() << ", g " << exact << ", drawn at " << scale);
        CPiece copy;
        ZoomedPieces::Make(piece, zoom, scale, copy);
        const CPiece plain = PlainCopy(piece, exact, scale);
        ASSERT_EQ(copy.image.Width(), plain.image.Width());
        ASSERT_EQ(copy.image.Height(), plain.image.Height());
        ASSERT_EQ(RunsOf(copy.mask), RunsOf(plain.mask));
        for (int y = 0; y < plain.image.Height(); ++y)
            for (int x = 0; x < plain.image.Width(); ++x)
                ASSERT_EQ(copy.image.GetPixel(x, y), plain.image.GetPixel(x, y)) << x << ", " << y;
    }
}

TEST_F(ZoomedPiecesTest, CopiesStayWithinTheirBudgetTheLeastRecentlyDrawnGoingFirst)
{
    CutPreview.TestHookSetPicture(ScaledPicture(240, 240, 4));
    CutPreview.SetDefaults();
    CutPreview.SetPieces(6);
    puzzle_test::BuildAllPieces();
    const int count = Game.GetPieceCount();
    ZoomedPieces zoomed;
    for (int p = 0; p < count; ++p) zoomed.Prepare(p, Game.GetPiece(p));
    const std::size_t levels = zoomed.HeldBytes();
    // Room for the halvings and about a third of the pieces' copies at a close-up.
    const CPiece& one = zoomed.At(0, Game.GetPiece(0), 3, 2.0f, 2);
    const std::size_t budget = levels + (one.image.MemoryBytes() + 64) * count / 3;
    zoomed.SetBudget(budget);
    ASSERT_LE(zoomed.HeldBytes(), budget);
    // A close-up panned over every piece, row by row, twice.
    std::vector<std::uint64_t> made(static_cast<std::size_t>(count));
    for (int pass = 0; pass < 2; ++pass) {
        for (int p = 0; p < count; ++p) {
            made[static_cast<std::size_t>(p)] = zoomed.At(p, Game.GetPiece(p), 3, 2.0f, 2).image.Version();
            ASSERT_LE(zoomed.HeldBytes(), budget) << "piece " << p;
        }
    }
    // The last few drawn are still there, unchanged; the first one went.
    for (int p = count - 3; p < count; ++p)
        EXPECT_EQ(zoomed.At(p, Game.GetPiece(p), 3, 2.0f, 2).image.Version(), made[static_cast<std::size_t>(p)]) << p;
    EXPECT_NE(zoomed.At(0, Game.GetPiece(0), 3, 2.0f, 2).image.Version(), made[0]);
    // What went comes back as it was: the same pixels as a copy made afresh.
    zoomed.SetBudget(0);
    EXPECT_EQ(zoomed.LevelsMade(1), 0);
    for (float zoom : {0.3f, 1.7f}) {
        const CPiece& again = zoomed.At(1, Game.GetPiece(1), zoom < 1 ? -7 : 3, zoom, 2);
        ZoomedPieces other;
        other.Prepare(1, Game.GetPiece(1));
        const CPiece& fresh = other.At(1, Game.GetPiece(1), 0, zoom, 2);
        ASSERT_EQ(again.image.Width(), fresh.image.Width());
        for (int y = 0; y < fresh.image.Height(); ++y)
            for (int x = 0; x < fresh.image.Width(); ++x)
                ASSERT_EQ(again.image.GetPixel(x, y), fresh.image.GetPixel(x, y)) << zoom << ": " << x << ", " << y;
    }
}

// The copies a frame needs, made side by side before it draws, are the
// copies each piece would get alone, and the frame then finds them made.
TEST_F(ZoomedPiecesTest, CopiesMadeSideBySideAreThoseMadeOneByOne)
{
    CutPreview.TestHookSetPicture(ScaledPicture(240, 240, 4));
    CutPreview.SetDefaults();
    CutPreview.SetPieces(6);
    puzzle_test::BuildAllPieces();
    const int count = Game.GetPieceCount();
    std::vector<CPiece> pieces;
    for (int p = 0; p < count; ++p) pieces.push_back(Game.GetPiece(p));
    ZoomedPieces together, alone;
    together.PrepareAll(pieces);
    for (int p = 0; p < count; ++p) alone.Prepare(p, pieces[static_cast<std::size_t>(p)]);
    ASSERT_EQ(together.HeldBytes(), alone.HeldBytes());
    std::vector<int> all(static_cast<std::size_t>(count));
    std::iota(all.begin(), all.end(), 0);
    for (const auto& [step, zoom, scale] : {std::tuple{-4, 0.27f, 3}, {2, 1.6f, 2}, {0, 0.5f, 1}}) {
        together.MakeCopies(all, pieces, step, zoom, scale);
        for (int p = 0; p < count; ++p) {
            const CPiece& made = together.At(p, pieces[static_cast<std::size_t>(p)], step, zoom, scale);
            const std::uint64_t version = made.image.Version();
            const CPiece& single = alone.At(p, pieces[static_cast<std::size_t>(p)], step, zoom, scale);
            ASSERT_EQ(made.image.Width(), single.image.Width()) << p;
            ASSERT_EQ(made.image.Height(), single.image.Height()) << p;
            for (int y = 0; y < single.image.Height(); ++y)
                for (int x = 0; x < single.image.Width(); ++x) {
                    ASSERT_EQ(made.image.GetPixel(x, y), single.image.GetPixel(x, y)) << p << ": " << x << ", " << y;
                    ASSERT_EQ(made.mask.GetPixel(x, y), single.mask.GetPixel(x, y)) << p << ": " << x << ", " << y;
                }
            EXPECT_EQ(together.At(p, pieces[static_cast<std::size_t>(p)], step, zoom, scale).image.Version(), version);
        }
        EXPECT_EQ(together.HeldBytes(), alone.HeldBytes());
    }
}

}  // namespace
