// SPDX-License-Identifier: GPL-3.0-or-later
// Surfaces at a drawing scale: whatever the game draws in its units at
// scale 2 or 3 covers exactly the pixels that drawing at scale 1 covers,
// each blown up to a square, wherever that drawing has no finer detail to
// give (rectangles, block copies, straight lines); curves follow the finer
// pixels and still close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/Surface.h"

namespace {

// Every pixel of a scale-1 surface as a scale x scale square.
Surface BlowUp(const Surface& one, int scale)
{
    Surface big = Surface::Scaled(one.Width(), one.Height(), scale);
    for (int y = 0; y < big.Height(); ++y)
        for (int x = 0; x < big.Width(); ++x) big.SetPixel(x, y, one.GetPixel(x / scale, y / scale));
    return big;
}

int Differences(const Surface& a, const Surface& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) count += a.GetPixel(x, y) != b.GetPixel(x, y);
    return count;
}

Surface Noise(int width, int height, std::mt19937& random, bool withKey)
{
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Colour c = static_cast<Colour>(random() & 0xFFFFFF);
            if (withKey && random() % 3 == 0) c = kBlack;
            s.SetPixel(x, y, c);
        }
    return s;
}

TEST(SurfaceScaleTest, AScaledSurfaceHasScaleTimesThePixels)
{
    Surface s = Surface::Scaled(80, 60, 3);
    EXPECT_EQ(s.Width(), 240);
    EXPECT_EQ(s.Height(), 180);
    EXPECT_EQ(s.Scale(), 3);
    EXPECT_EQ(s.UnitWidth(), 80);
    EXPECT_EQ(s.UnitHeight(), 60);
    EXPECT_EQ(Surface::Scaled(10, 10, 99).Scale(), Surface::kMaxScale);
    EXPECT_EQ(Surface::Scaled(10, 10, 0).Scale(), 1);
    EXPECT_TRUE(Surface::Scaled(-1, 10, 2).IsEmpty());
    EXPECT_EQ(Surface(5, 5).Scale(), 1);
}

// Random rectangles, copies of every kind (from sources of the same scale
// and of scale 1, recorded runs included) and straight lines of every pen,
// partly off the surface: at scale 2 and 3 the very pixels of scale 1, blown up.
TEST(SurfaceScaleTest, RectanglesCopiesAndStraightLinesAreScale1BlownUp)
{
    for (int scale : {2, 3}) {
        std::mt19937 random(7u + static_cast<unsigned>(scale));
        Surface one(61, 47);
        Surface big = Surface::Scaled(61, 47, scale);
        const Surface source = Noise(23, 19, random, false);
        const Surface keyed = Noise(17, 13, random, true);
        const Surface bigSource = BlowUp(source, scale), bigKeyed = BlowUp(keyed, scale);
        auto coordinate = [&](int range) { return static_cast<int>(random() % (range + 30)) - 15; };
        for (int step = 0; step < 400; ++step) {
            const int x = coordinate(61), y = coordinate(47), w = coordinate(40), h = coordinate(40);
            const int sx = coordinate(23), sy = coordinate(19);
            switch (random() % 7) {
            case 0: {
                const Colour c = static_cast<Colour>(random() & 0xFFFFFF);
                one.FillRect(x, y, w, h, c);
                big.FillRect(x, y, w, h, c);
                break;
            }
            case 1:
            case 2: {
                const RasterOp op = static_cast<RasterOp>(random() % 3);
                one.Blit(x, y, w, h, source, sx, sy, op);
                // Half from the blown-up source, half from the scale-1 one itself.
                big.Blit(x, y, w, h, random() % 2 ? bigSource : source, sx, sy, op);
                break;
            }
            case 3:
            case 4:
                one.BlitTransparent(x, y, w, h, keyed, sx % 17, sy % 13);
                big.BlitTransparent(x, y, w, h, random() % 2 ? bigKeyed : keyed, sx % 17, sy % 13);
                break;
            default: {
                const Pen pen{static_cast<Colour>(random() & 0xFFFFFF), static_cast<int>(random() % 4),
                              random() % 2 ? PenStyle::Dash : PenStyle::Solid};
                one.SelectPen(pen);
                big.SelectPen(pen);
                one.MoveTo(x, y);
                big.MoveTo(x, y);
                // A path of upright and level segments, the dashes running on.
                int px = x, py = y;
                for (int segment = 0; segment < 4; ++segment) {
                    (segment % 2 ? py : px) = segment % 2 ? coordinate(47) : coordinate(61);
                    one.LineTo(px, py);
                    big.LineTo(px, py);
                }
                break;
            }
            }
            ASSERT_EQ(Differences(BlowUp(one, scale), big), 0) << "scale " << scale << ", step " << step;
        }
    }
}

// A closed outline of curves (as a piece's) drawn at scale 2 and 3 lies
// within a unit of the scale-1 outline blown up, and no fill from outside
// leaks through it.
TEST(SurfaceScaleTest, CurvesFollowTheFinerPixelsAndStayClosed)
{
    const Point outline[] = {{5, 5},   {15, 2},  {25, 12}, {35, 5},  {40, 15}, {30, 25}, {35, 35},
                             {25, 38}, {15, 30}, {5, 35},  {8, 25},  {2, 15},  {5, 5}};
    Surface one(41, 41);
    one.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    one.PolyBezier(outline, 13);
    for (int scale : {2, 3}) {
        Surface big = Surface::Scaled(41, 41, scale);
        big.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
        big.PolyBezier(outline, 13);
        const Surface blown = BlowUp(one, scale);
        auto near = [&](const Surface& s, int x, int y) {
            for (int dy = -scale; dy <= scale; ++dy)
                for (int dx = -scale; dx <= scale; ++dx)
                    if (s.GetPixel(x + dx, y + dy) == kWhite) return true;
            return false;
        };
        for (int y = 0; y < big.Height(); ++y) {
            for (int x = 0; x < big.Width(); ++x) {
                if (big.GetPixel(x, y) == kWhite) {
                    ASSERT_TRUE(near(blown, x, y)) << scale << ": " << x << ", " << y;
                }
                if (blown.GetPixel(x, y) == kWhite) {
                    ASSERT_TRUE(near(big, x, y)) << scale << ": " << x << ", " << y;
                }
            }
        }
        // Fill the outside from the corner, four ways; the middle stays unreached.
        std::vector<char> reached(static_cast<std::size_t>(big.Width()) * big.Height(), 0);
        std::vector<Point> todo = {{0, 0}};
        while (!todo.empty()) {
            Point p = todo.back();
            todo.pop_back();
            if (p.x < 0 || p.y < 0 || p.x >= big.Width() || p.y >= big.Height()) continue;
            char& seen = reached[static_cast<std::size_t>(p.y) * big.Width() + p.x];
            if (seen || big.GetPixel(p.x, p.y) == kWhite) continue;
            seen = 1;
            todo.insert(todo.end(), {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
        }
        EXPECT_FALSE(reached[static_cast<std::size_t>(20 * scale) * big.Width() + 20 * scale]) << scale;
    }
}

}  // namespace

namespace {

// Copies from scale 1 to scale 2 and 3 that start partway into a square
// (possible only in pixels, through a stretch) still give each pixel the
// source pixel under its centre.
TEST(SurfaceScaleTest, WholeNumberEnlargementsMatchTheNearestPixelRule)
{
    std::mt19937 random(99);
    const Surface source = Noise(9, 7, random, true);
    for (int k : {2, 3}) {
        for (int x = -7; x <= 5; ++x) {
            for (int y = -5; y <= 4; ++y) {
                Surface fast(20, 16), slow(20, 16);
                fast.StretchBlit(x, y, 9 * k, 7 * k, source, 0, 0, 9, 7);
                for (int py = 0; py < 16; ++py)
                    for (int px = 0; px < 20; ++px) {
                        const int sx = px - x, sy = py - y;
                        if (sx >= 0 && sy >= 0 && sx < 9 * k && sy < 7 * k)
                            slow.SetPixel(px, py, source.GetPixel(sx / k, sy / k));
                    }
                ASSERT_EQ(Differences(fast, slow), 0) << k << ": " << x << ", " << y;
            }
        }
    }
}

}  // namespace
