// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing with a clip rectangle: whatever is drawn, inside the clip the
// surface ends up exactly as without it, and outside it nothing changes.
// Frames of play that redraw only part of the screen rest on this.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "platform/Surface.h"

namespace {

Surface Noise(int width, int height, int scale, std::mt19937& random, bool withKey)
{
    Surface s = Surface::Scaled(width, height, scale);
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            s.SetPixel(x, y, withKey && random() % 3 == 0 ? kBlack : static_cast<Colour>(random() & 0xFFFFFF));
    return s;
}

// A random drawing operation, the same on every surface it is given: fills,
// block copies from sources of scale 1 and of the destination's scale
// (plain, OR, AND, keyed, stretched), pixels, lines of every pen, curves.
class RandomDrawing {
public:
    RandomDrawing(unsigned seed, int scale)
        : random(seed), one(Noise(30, 20, 1, random, true)), same(Noise(30, 20, scale, random, true))
    {
    }

    void Next(std::vector<Surface*> targets)
    {
        const int kind = static_cast<int>(random() % 9);
        const int x = Coord(), y = Coord(), w = Size(), h = Size(), sx = static_cast<int>(random() % 34) - 2,
                  sy = static_cast<int>(random() % 24) - 2;
        const Surface& src = random() % 2 ? one : same;
        const Colour colour = static_cast<Colour>(random() & 0xFFFFFF);
        const Pen pen{colour, static_cast<int>(random() % 4), random() % 2 ? PenStyle::Dash : PenStyle::Solid};
        const RasterOp op = random() % 2 ? RasterOp::Paint : RasterOp::And;
        const int x2 = Coord(), y2 = Coord();
        Point curve[4];
        for (Point& p : curve) p = {Coord(), Coord()};
        for (Surface* s : targets) {
            switch (kind) {
            case 0: s->FillRect(x, y, w, h, colour); break;
            case 1: s->Blit(x, y, w, h, src, sx, sy); break;
            case 2: s->Blit(x, y, w, h, src, sx, sy, op); break;
            case 3: s->BlitTransparent(x, y, w, h, src, sx, sy); break;
            case 4: s->StretchBlit(x, y, w, h, src, sx, sy, 1 + w / 2, 1 + h / 3); break;
            case 5: s->SetPixel(x * s->Scale(), y * s->Scale() + 1, colour); break;
            case 6:
            case 7:
                s->SelectPen(pen);
                s->MoveTo(x, y);
                s->LineTo(x2, y2);
                break;
            default:
                s->SelectPen(pen);
                s->PolyBezier(curve, 4);
                break;
            }
        }
    }

private:
    int Coord() { return static_cast<int>(random() % 90) - 15; }
    int Size() { return static_cast<int>(random() % 40); }

    std::mt19937 random;
    Surface one, same;
};

// Where a clipped drawing first differs from what it should be, or "".
std::string FirstWrong(const Surface& clipped, const Surface& whole, const Surface& before, const PixelRect& clip)
{
    for (int y = 0; y < clipped.Height(); ++y)
        for (int x = 0; x < clipped.Width(); ++x) {
            const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            const Colour expected = inside ? whole.GetPixel(x, y) : before.GetPixel(x, y);
            if (clipped.GetPixel(x, y) == expected) continue;
            std::ostringstream where;
            where << "(" << x << ", " << y << ")" << (inside ? " inside" : " outside");
            return where.str();
        }
    return "";
}

TEST(SurfaceClipTest, InsideTheClipAsWithoutItOutsideUntouched)
{
    for (int scale = 1; scale <= 3; ++scale) {
        for (unsigned seed = 1; seed <= 60; ++seed) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << ", seed " << seed);
            std::mt19937 random(seed * 7919u);
            const Surface before = Noise(60, 50, scale, random, false);
            Surface whole = before, clipped = before;
            const int cx = static_cast<int>(random() % 70) - 5, cy = static_cast<int>(random() % 60) - 5;
            clipped.SetClip(cx, cy, static_cast<int>(random() % 40), static_cast<int>(random() % 40));
            const PixelRect clip = clipped.ClipRect();
            ASSERT_TRUE(clip.left >= 0 && clip.top >= 0 && clip.right <= clipped.Width() &&
                        clip.bottom <= clipped.Height());
            RandomDrawing drawing(seed, scale);
            for (int op = 0; op < 25; ++op) drawing.Next({&whole, &clipped});
            // Recorded runs of a source copied often are part of what is checked.
            for (int op = 0; op < 3; ++op) drawing.Next({&whole, &clipped});
            ASSERT_EQ(FirstWrong(clipped, whole, before, clip), "");
        }
    }
}

TEST(SurfaceClipTest, ClipIsInUnitsHeldToTheSurfaceAndReset)
{
    Surface s = Surface::Scaled(10, 10, 2);
    EXPECT_FALSE(s.HasClip());
    s.SetClip(-3, 4, 8, 100);
    EXPECT_TRUE(s.HasClip());
    EXPECT_EQ(s.ClipRect().left, 0);
    EXPECT_EQ(s.ClipRect().top, 8);
    EXPECT_EQ(s.ClipRect().right, 10);
    EXPECT_EQ(s.ClipRect().bottom, 20);
    s.Fill(kWhite);
    EXPECT_EQ(s.GetPixel(9, 8), kWhite);
    EXPECT_EQ(s.GetPixel(10, 8), kBlack);
    EXPECT_EQ(s.GetPixel(9, 7), kBlack);
    s.SetClip(50, 50, 5, 5);  // off the surface: nothing is drawn
    s.Fill(kWhite);
    EXPECT_EQ(s.GetPixel(19, 0), kBlack);
    s.ResetClip();
    EXPECT_FALSE(s.HasClip());
    s.Fill(kWhite);
    EXPECT_EQ(s.GetPixel(19, 0), kWhite);
}

}  // namespace
