// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "puzzle/CPiece.h"
#include "resources/CMgrImage.h"

namespace {

constexpr Colour kBoard = 0x204060;
constexpr Colour kGrey = 0x555555;

CImage SolidImage(int width, int height, Colour colour)
{
    CImage image;
    image.surface = Surface(width, height);
    image.surface.Fill(colour);
    image.width = static_cast<float>(width);
    image.height = static_cast<float>(height);
    return image;
}

Surface Board(int width = 200, int height = 120)
{
    Surface board(width, height);
    board.Fill(kBoard);
    return board;
}

int CountColour(const Surface& s, Colour colour)
{
    int count = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) count += s.GetPixel(x, y) == colour;
    return count;
}

// The 4-connected region around (x, y) of pixels that are not `wall`,
// painted `paint`; answers whether it reached the surface's border.
bool FillReachesBorder(Surface& s, int x, int y, Colour wall, Colour paint)
{
    std::vector<Point> pending{{x, y}};
    bool reached = false;
    while (!pending.empty()) {
        Point p = pending.back();
        pending.pop_back();
        Colour c = s.GetPixel(p.x, p.y);
        if (c == kInvalidColour || c == wall || c == paint) continue;
        s.SetPixel(p.x, p.y, paint);
        reached |= p.x == 0 || p.y == 0 || p.x == s.Width() - 1 || p.y == s.Height() - 1;
        pending.insert(pending.end(), {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
    }
    return reached;
}

}  // namespace

TEST(CMgrImageDraw, PositionsAreTruncatedTowardZero)
{
    CImage image = SolidImage(10, 5, 0x0000FF);
    image.surface.SetPixel(0, 0, 0x00FF00);
    Surface board = Board();
    ImageMgr.Draw(board, image, 99.99f, -0.5f);
    EXPECT_EQ(board.GetPixel(99, 0), 0x00FF00u);
    EXPECT_EQ(board.GetPixel(98, 0), kBoard);
    EXPECT_EQ(board.GetPixel(108, 4), 0x0000FFu);
    EXPECT_EQ(board.GetPixel(109, 4), kBoard);
    EXPECT_EQ(board.GetPixel(100, 5), kBoard);

    Surface clipped = Board();
    ImageMgr.Draw(clipped, image, -3.7f, 117.2f);  // -3 and 117: clipped on two sides
    EXPECT_EQ(clipped.GetPixel(0, 117), 0x0000FFu);
    EXPECT_EQ(clipped.GetPixel(6, 119), 0x0000FFu);
    EXPECT_EQ(clipped.GetPixel(7, 119), kBoard);
    EXPECT_EQ(CountColour(clipped, 0x0000FF), 7 * 3);

    Surface untouched = Board();
    ImageMgr.Draw(untouched, image, 1e30f, -1e30f);
    ImageMgr.Draw(untouched, image, std::numeric_limits<float>::quiet_NaN(), 500.0f);
    EXPECT_EQ(CountColour(untouched, kBoard), 200 * 120);
}

TEST(CMgrImageDraw, TransparentCopiesLeaveOutExactlyBlack)
{
    CImage image = SolidImage(4, 1, kBlack);
    image.surface.SetPixel(1, 0, 0x010000);
    image.surface.SetPixel(2, 0, 0x000001);
    CPiece piece;
    piece.image = image.surface;
    piece.width = 4;
    piece.height = 1;
    for (bool asPiece : {false, true}) {
        Surface board = Board();
        if (asPiece)
            ImageMgr.DrawPieceTransparent(board, piece, 10, 10);
        else
            ImageMgr.DrawTransparent(board, image, 10, 10);
        EXPECT_EQ(board.GetPixel(10, 10), kBoard);
        EXPECT_EQ(board.GetPixel(11, 10), 0x010000u);
        EXPECT_EQ(board.GetPixel(12, 10), 0x000001u);
        EXPECT_EQ(board.GetPixel(13, 10), kBoard);
    }
}

TEST(CMgrImageDraw, PiecesCopyTheirTruncatedSize)
{
    CPiece piece;
    piece.image = Surface(10, 10);
    piece.image.Fill(kWhite);
    piece.width = 3.9f;
    piece.height = 2.5f;
    Surface board = Board();
    ImageMgr.DrawPieceTransparent(board, piece, 0, 0);
    EXPECT_EQ(CountColour(board, kWhite), 3 * 2);
}

int Contrast(Colour a, Colour b)
{
    int most = 0;
    for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

// A selected piece shows its picture lightened inside a glowing edge and a
// dark line around it; one of the two stands out on every board colour.
TEST(CMgrImageDraw, ASelectedPieceShowsItsPictureInsideAnEdgeThatStandsOutOnEveryBoard)
{
    CPiece piece;
    piece.image = Surface(10, 10);
    piece.mask = PieceMask(10, 10);
    const Colour picture = MakeColour(100, 50, 0);
    for (int y = 2; y < 8; ++y) {
        piece.mask.AddRun(y, 2, 8);
        for (int x = 2; x < 8; ++x) piece.image.SetPixel(x, y, picture);
    }
    piece.width = 10;
    piece.height = 10;
    const int boards[][3] = {{127, 154, 168}, {0, 122, 183}, {242, 205, 186}, {170, 103, 103}};
    for (const auto& c : boards) {
        const Colour board = MakeColour(c[0], c[1], c[2]);
        for (float glow : {0.0f, 0.5f, 1.0f}) {
            Surface surface(12, 12);
            surface.Fill(board);
            ImageMgr.DrawPieceSelected(surface, piece, 1, 1, glow);
            const Colour middle = surface.GetPixel(6, 6);
            EXPECT_EQ(middle, CMgrImage::SelectedLight(picture));
            EXPECT_GT(Contrast(middle, picture), 30) << "lighter";
            EXPECT_TRUE((middle & 0xFF) > ((middle >> 8) & 0xFF) && ((middle >> 8) & 0xFF) > (middle >> 16))
                << "still the picture's hue";
            EXPECT_EQ(surface.GetPixel(3, 6), CMgrImage::SelectedEdge(glow));
            EXPECT_EQ(surface.GetPixel(4, 6), CMgrImage::SelectedEdge(glow));
            EXPECT_EQ(surface.GetPixel(5, 6), middle);
            EXPECT_EQ(surface.GetPixel(2, 6), CMgrImage::kSelectedRim);
            EXPECT_EQ(surface.GetPixel(1, 6), board) << "the box beyond the line is left alone";
            EXPECT_EQ(surface.GetPixel(2, 2), board) << "the line follows the outline, not the box";
            EXPECT_GE(std::max(Contrast(surface.GetPixel(3, 6), board), Contrast(surface.GetPixel(2, 6), board)), 120);
        }
    }
    EXPECT_NE(CMgrImage::SelectedEdge(0), CMgrImage::SelectedEdge(1)) << "the edge pulses";
}

TEST(CMgrImageDraw, StretchedBarTakesTheTruncatedWidth)
{
    CImage bar = SolidImage(196, 28, 0x00FF00);
    for (float factor : {0.0f, 0.5f, 0.999f, 1.0f, -1.0f}) {
        SCOPED_TRACE(factor);
        Surface board = Board(400, 40);
        ImageMgr.DrawStretchedX(board, bar, 2, 3, factor);
        int columns = factor > 0 ? static_cast<int>(factor * 196) : 0;
        EXPECT_EQ(CountColour(board, 0x00FF00), columns * 28);
        if (columns > 0) {
            EXPECT_EQ(board.GetPixel(2, 3), 0x00FF00u);
            EXPECT_EQ(board.GetPixel(2 + columns - 1, 3 + 27), 0x00FF00u);
        }
    }
    // Its picture is stretched, not cut: the last column ends up at the end.
    CImage stripes = SolidImage(4, 1, kWhite);
    stripes.surface.SetPixel(3, 0, 0x0000FF);
    Surface board = Board();
    ImageMgr.DrawStretchedX(board, stripes, 0, 0, 2.0f);
    EXPECT_EQ(board.GetPixel(5, 0), kWhite);
    EXPECT_EQ(board.GetPixel(6, 0), 0x0000FFu);
    EXPECT_EQ(board.GetPixel(7, 0), 0x0000FFu);
    EXPECT_EQ(board.GetPixel(8, 0), kBoard);
}

TEST(CMgrImageDraw, ThinFrameIsDashed)
{
    Surface board = Board();
    Pen before{0x123456, 1, PenStyle::Solid};
    board.SelectPen(before);
    ImageMgr.DrawFrame(board, 10, 10, 110, 60, 0x0000FF, 1);
    // Along the top edge: 18 pixels drawn, 6 left, from the left corner on.
    for (int x = 10; x < 110; ++x) {
        bool drawn = (x - 10) % 24 < 18;
        EXPECT_EQ(board.GetPixel(x, 10), drawn ? 0x0000FFu : kBoard) << x;
    }
    EXPECT_EQ(board.GetPixel(110, 10), 0x0000FFu);  // the right edge starts where the top edge ended
    EXPECT_EQ(board.GetPixel(9, 10), kBoard);
    EXPECT_EQ(board.GetPixel(10, 9), kBoard);
    // Nothing but the outline: every drawn pixel lies on one of the four edges.
    for (int y = 0; y < board.Height(); ++y)
        for (int x = 0; x < board.Width(); ++x)
            if (board.GetPixel(x, y) != kBoard) {
                bool onTopOrBottom = (y == 10 || y == 60) && x >= 10 && x <= 110;
                bool onLeftOrRight = (x == 10 || x == 110) && y >= 10 && y <= 60;
                bool onEdge = onTopOrBottom || onLeftOrRight;
                EXPECT_TRUE(onEdge) << x << "," << y;
            }
    EXPECT_EQ(board.CurrentPen().colour, before.colour);  // the pen is restored
    EXPECT_EQ(board.CurrentPen().style, PenStyle::Solid);
}

TEST(CMgrImageDraw, WideFrameIsSolidAndClosed)
{
    Surface board = Board();
    ImageMgr.DrawFrame(board, 20, 20, 120, 80, 0x0000FF, 2);
    for (int x = 20; x <= 120; ++x) {
        EXPECT_EQ(board.GetPixel(x, 20), 0x0000FFu) << x;
        EXPECT_EQ(board.GetPixel(x, 80), 0x0000FFu) << x;
    }
    for (int y = 20; y <= 80; ++y) {
        EXPECT_EQ(board.GetPixel(20, y), 0x0000FFu) << y;
        EXPECT_EQ(board.GetPixel(120, y), 0x0000FFu) << y;
    }
    EXPECT_FALSE(FillReachesBorder(board, 70, 50, 0x0000FF, 0x00FF00));
    EXPECT_EQ(board.GetPixel(70, 50), 0x00FF00u);

    // A frame partly or wholly off the board is clipped.
    Surface small = Board(30, 30);
    ImageMgr.DrawFrame(small, -10, -10, 1000000, 15, kWhite, 2);
    ImageMgr.DrawFrame(small, -2000000000, -2000000000, 2000000000, 2000000000, kWhite, 1);
    EXPECT_EQ(small.GetPixel(29, 15), kWhite);
    EXPECT_EQ(small.GetPixel(5, 5), kBoard);
}

// A piece outline of eight Bézier segments drawn one by one holds a
// 4-connected fill: the mask of every piece is built this way.
TEST(CMgrImageDraw, EightBezierSegmentsCloseAPieceOutline)
{
    std::uint32_t seed = 7;
    auto jitter = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>(seed >> 16) % (2 * range + 1) - range;
    };
    for (int round = 0; round < 300; ++round) {
        // A cell from (30, 30) to (90, 90) with a tab pushed out or in on each side.
        auto tab = [&](int) { return (jitter(1) >= 0 ? 1 : -1) * (12 + jitter(4)); };
        int top = tab(0), right = tab(0), bottom = tab(0), left = tab(0);
        const Point p[32] = {
            {30, 30}, {45 + jitter(4), 30 + jitter(3)}, {40 + jitter(3), 30 - top}, {60, 30 - top},
            {60, 30 - top}, {80 + jitter(3), 30 - top}, {75 + jitter(4), 30 + jitter(3)}, {90, 30},
            {90, 30}, {90 + jitter(3), 45 + jitter(4)}, {90 + right, 40 + jitter(3)}, {90 + right, 60},
            {90 + right, 60}, {90 + right, 80 + jitter(3)}, {90 + jitter(3), 75 + jitter(4)}, {90, 90},
            {30, 90}, {45 + jitter(4), 90 + jitter(3)}, {40 + jitter(3), 90 + bottom}, {60, 90 + bottom},
            {60, 90 + bottom}, {80 + jitter(3), 90 + bottom}, {75 + jitter(4), 90 + jitter(3)}, {90, 90},
            {30, 30}, {30 + jitter(3), 45 + jitter(4)}, {30 - left, 40 + jitter(3)}, {30 - left, 60},
            {30 - left, 60}, {30 - left, 80 + jitter(3)}, {30 + jitter(3), 75 + jitter(4)}, {30, 90},
        };
        Surface mask(120, 120);
        mask.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
        for (int s = 0; s < 8; ++s) {
            const Point* q = p + 4 * s;
            ImageMgr.DrawBezier(mask, q[0].x, q[0].y, q[1].x, q[1].y, q[2].x, q[2].y, q[3].x, q[3].y);
        }
        ASSERT_EQ(mask.GetPixel(90, 90), kWhite);  // segments' end points are drawn
        ASSERT_FALSE(FillReachesBorder(mask, 60, 60, kWhite, kGrey)) << "round " << round;
    }
}

// With straight edges every piece is a rectangle whose outline lies on its
// box: the fill covers all the rest, so the mask is white all over.
TEST(CMgrImageDraw, StraightSegmentsMakeAWhiteRectangleMask)
{
    const int w = 57, h = 56;
    Surface mask(w, h);
    mask.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    const int xs[] = {0, 9, 19, 28, 37, 47, 56}, ys[] = {0, 9, 18, 27, 37, 46, 55};
    for (int half = 0; half < 2; ++half) {
        const int* x = xs + 3 * half;
        const int* y = ys + 3 * half;
        ImageMgr.DrawBezier(mask, x[0], 0, x[1], 0, x[2], 0, x[3], 0);
        ImageMgr.DrawBezier(mask, x[0], h - 1, x[1], h - 1, x[2], h - 1, x[3], h - 1);
        ImageMgr.DrawBezier(mask, 0, y[0], 0, y[1], 0, y[2], 0, y[3]);
        ImageMgr.DrawBezier(mask, w - 1, y[0], w - 1, y[1], w - 1, y[2], w - 1, y[3]);
    }
    FillReachesBorder(mask, w / 2, h / 2, kWhite, kWhite - 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            ASSERT_EQ(mask.GetPixel(x, y), border ? kWhite : kWhite - 1) << x << "," << y;
        }
}

// The selected look drawn by runs is, pixel for pixel, what the plain rule
// draws: masks of any shape (holes, runs that touch, overlap or come out of
// order, rows left empty, more runs in a row than the runs keep room for), a
// picture or a stated size smaller or larger than the mask, a piece partly or
// wholly off the destination, a mask that grows after it was drawn.
TEST(CMgrImageDraw, SelectedPiecesByRunsAreThoseOfThePlainRule)
{
    std::srand(12);
    auto random = [](int below) { return std::rand() % below; };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const bool crowded = round % 50 == 7;
        const int maskWidth = crowded ? 70 + random(10) : 1 + random(40), maskHeight = 1 + random(40);
        CPiece piece;
        piece.image = Surface(maskWidth + random(7) - 3, maskHeight + random(7) - 3);
        for (int y = 0; y < piece.image.Height(); ++y)
            for (int x = 0; x < piece.image.Width(); ++x)
                piece.image.SetPixel(x, y, random(5) == 0 ? kBlack : static_cast<Colour>(std::rand()) & 0xFFFFFF);
        piece.width = static_cast<float>(maskWidth + random(9) - 4) + 0.5f;
        piece.height = static_cast<float>(maskHeight + random(9) - 4) + 0.25f;
        piece.mask = PieceMask(maskWidth, maskHeight);
        auto addRows = [&](int from, int to) {
            for (int y = from; y < to; ++y) {
                if (crowded) {
                    for (int x = 0; x + 1 < maskWidth; x += 2) piece.mask.AddRun(y, x, x + 1);
                    continue;
                }
                for (int runs = random(4); runs > 0; --runs) {
                    const int begin = random(maskWidth + 4) - 2;
                    piece.mask.AddRun(y, begin, begin + random(maskWidth));
                }
            }
        };
        const int grownFrom = random(maskHeight + 1);
        addRows(0, grownFrom);
        for (int step = 0; step < 2; ++step) {
            if (step == 1) addRows(grownFrom, maskHeight);
            const float x = static_cast<float>(random(70) - 35) + 0.75f, y = static_cast<float>(random(60) - 30);
            const float glow = static_cast<float>(random(5)) / 4.0f;
            Surface fast = Board(48, 40), plain = Board(48, 40);
            ImageMgr.DrawPieceSelected(fast, piece, x, y, glow);
            ImageMgr.DrawPieceSelected(fast, piece, x - 3, y + 5, glow);  // drawn again from what was kept
            Surface::UsePlainCopies(true);
            ImageMgr.DrawPieceSelected(plain, piece, x, y, glow);
            ImageMgr.DrawPieceSelected(plain, piece, x - 3, y + 5, glow);
            Surface::UsePlainCopies(false);
            for (int py = 0; py < fast.Height(); ++py)
                for (int px = 0; px < fast.Width(); ++px)
                    ASSERT_EQ(fast.GetPixel(px, py), plain.GetPixel(px, py)) << "at " << px << ", " << py;
        }
    }
}
