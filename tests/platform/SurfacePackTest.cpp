// SPDX-License-Identifier: GPL-3.0-or-later
// Packed surfaces and copies placed to the pixel, over many random
// surfaces: packing keeps every pixel and the version, its runs read the
// same packed or not (and reading them packed lays out no row), and a
// transparent copy placed at any pixel, clipped or not, from a packed
// source or not, sets exactly the source's pixels other than black there.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/Surface.h"

namespace {

// A surface of units at the scale, in runs of black and of colours.
Surface RandomSurface(std::mt19937& random, int scale)
{
    std::uniform_int_distribution<int> size(1, 20), length(1, 9), colour(1, 0xFFFFFF), coin(0, 1);
    Surface surface = Surface::Scaled(size(random), size(random), scale);
    for (int y = 0; y < surface.Height(); ++y) {
        Colour* row = surface.Row(y);
        for (int x = 0; x < surface.Width();) {
            const bool opaque = coin(random) == 1;
            for (int end = std::min(surface.Width(), x + length(random)); x < end; ++x)
                row[x] = opaque ? static_cast<Colour>(colour(random)) : kBlack;
        }
    }
    return surface;
}

struct Run {
    int begin, end;
    std::vector<Colour> pixels;
    bool operator==(const Run& o) const { return begin == o.begin && end == o.end && pixels == o.pixels; }
};

std::vector<Run> RunsOf(const Surface& surface, int y)
{
    std::vector<Run> runs;
    surface.ForEachOpaqueRun(y, [&](int begin, int end, const Colour* pixels) {
        runs.push_back({begin, end, std::vector<Colour>(pixels, pixels + (end - begin))});
    });
    return runs;
}

TEST(SurfacePack, PackingKeepsThePixelsAndTheirRuns)
{
    std::mt19937 random(3);
    for (int i = 0; i < 300; ++i) {
        const Surface plain = RandomSurface(random, 1 + i % 3);
        const Surface packed = plain;
        packed.Pack();
        SCOPED_TRACE(i);
        ASSERT_TRUE(packed.IsPacked());
        ASSERT_EQ(packed.Version(), plain.Version());
        for (int y = 0; y < plain.Height(); ++y) ASSERT_EQ(RunsOf(packed, y), RunsOf(plain, y)) << y;
        ASSERT_TRUE(packed.IsPacked());
        for (int y = 0; y < plain.Height(); ++y)
            for (int x = 0; x < plain.Width(); ++x) ASSERT_EQ(packed.GetPixel(x, y), plain.GetPixel(x, y));
    }
}

TEST(SurfacePack, ACopyPlacedAtAPixelSetsTheSourcesOpaquePixelsThere)
{
    std::mt19937 random(4);
    std::uniform_int_distribution<int> place(-30, 70), clip(0, 40);
    for (int i = 0; i < 600; ++i) {
        const int scale = 1 + i % 3;
        const Surface source = RandomSurface(random, scale);
        if (i % 2) source.Pack();
        Surface dest = RandomSurface(random, scale);
        const bool clipped = i % 4 >= 2;
        if (clipped) dest.SetClip(clip(random) / 4, clip(random) / 4, clip(random) / 2, clip(random) / 2);
        Surface expected = dest;
        const PixelRect c = dest.ClipRect();
        const long long x = place(random), y = place(random);
        for (int sy = 0; sy < source.Height(); ++sy) {
            for (int sx = 0; sx < source.Width(); ++sx) {
                const long long tx = x + sx, ty = y + sy;
                const Colour pixel = source.GetPixel(sx, sy);
                if (pixel != kBlack && tx >= c.left && tx < c.right && ty >= c.top && ty < c.bottom)
                    expected.Row(static_cast<int>(ty))[tx] = pixel;
            }
        }
        if (i % 2) source.Pack();
        dest.BlitTransparentAtPixel(x, y, source);
        SCOPED_TRACE(testing::Message() << i << " at " << x << ", " << y << (clipped ? ", clipped" : ""));
        for (int py = 0; py < dest.Height(); ++py)
            for (int px = 0; px < dest.Width(); ++px) ASSERT_EQ(dest.GetPixel(px, py), expected.GetPixel(px, py));
        // On whole units it is the unit copy.
        Surface units = expected;
        Surface viaUnits = expected;
        units.BlitTransparentAtPixel(scale * (x / scale), scale * (y / scale), source);
        viaUnits.BlitTransparent(static_cast<int>(x / scale), static_cast<int>(y / scale), source.UnitWidth(),
                                 source.UnitHeight(), source, 0, 0);
        for (int py = 0; py < dest.Height(); ++py)
            for (int px = 0; px < dest.Width(); ++px) ASSERT_EQ(units.GetPixel(px, py), viaUnits.GetPixel(px, py));
    }
}

}  // namespace
