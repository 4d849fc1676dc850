// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Surface.h"

namespace {

// Fills the 4-connected region around (x, y) of pixels that are not white;
// answers whether the fill reached the surface's border.
bool FillReachesBorder(Surface& surface, int x, int y)
{
    std::vector<Point> pending{{x, y}};
    bool reached = false;
    while (!pending.empty()) {
        Point p = pending.back();
        pending.pop_back();
        Colour c = surface.GetPixel(p.x, p.y);
        if (c == kInvalidColour || c == kWhite || c == 0x00FF00) continue;
        surface.SetPixel(p.x, p.y, 0x00FF00);
        if (p.x == 0 || p.y == 0 || p.x == surface.Width() - 1 || p.y == surface.Height() - 1) reached = true;
        pending.push_back({p.x + 1, p.y});
        pending.push_back({p.x - 1, p.y});
        pending.push_back({p.x, p.y + 1});
        pending.push_back({p.x, p.y - 1});
    }
    return reached;
}

}  // namespace

TEST(Surface, StartsBlackAndClipsPixelAccess)
{
    Surface surface(4, 3);
    EXPECT_EQ(surface.GetPixel(3, 2), kBlack);
    EXPECT_EQ(surface.GetPixel(4, 0), kInvalidColour);
    EXPECT_EQ(surface.GetPixel(-1, 0), kInvalidColour);
    surface.SetPixel(4, 0, kWhite);  // ignored, no write past the row
    EXPECT_EQ(surface.GetPixel(0, 1), kBlack);
}

TEST(Surface, LineLeavesItsEndPixelToTheNextSegment)
{
    Surface surface(10, 10);
    surface.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    surface.MoveTo(1, 1);
    surface.LineTo(5, 1);
    EXPECT_EQ(surface.GetPixel(1, 1), kWhite);
    EXPECT_EQ(surface.GetPixel(4, 1), kWhite);
    EXPECT_EQ(surface.GetPixel(5, 1), kBlack);
    EXPECT_EQ(surface.CurrentPosition().x, 5);
}

TEST(Surface, ClosedBezierOutlineHoldsAFourConnectedFill)
{
    // Eight segments shaped like a piece with a tab on each side, drawn one
    // segment at a time from a MoveTo, as pieces are cut.
    const Point outline[8][4] = {
        {{10, 10}, {40, 0}, {20, 35}, {35, 20}},   {{35, 20}, {50, 5}, {40, 0}, {70, 10}},
        {{70, 10}, {80, 40}, {45, 30}, {60, 45}},  {{60, 45}, {75, 60}, {85, 40}, {70, 80}},
        {{10, 80}, {30, 95}, {20, 60}, {40, 70}},  {{40, 70}, {60, 80}, {50, 95}, {70, 80}},
        {{10, 10}, {0, 30}, {35, 25}, {25, 45}},   {{25, 45}, {15, 65}, {0, 50}, {10, 80}},
    };
    Surface surface(100, 100);
    surface.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    for (const auto& segment : outline) {
        surface.MoveTo(segment[0].x, segment[0].y);
        surface.PolyBezier(segment, 4);
    }
    EXPECT_FALSE(FillReachesBorder(surface, 40, 50));
}

TEST(Surface, TransparentCopyLeavesOutOnlyExactBlack)
{
    Surface source(3, 1);
    source.SetPixel(0, 0, 0x010000);
    source.SetPixel(2, 0, 0x123456);
    Surface dest(3, 1);
    dest.Fill(0x0000FF);
    dest.BlitTransparent(0, 0, 3, 1, source, 0, 0);
    EXPECT_EQ(dest.GetPixel(0, 0), 0x010000u);
    EXPECT_EQ(dest.GetPixel(1, 0), 0x0000FFu);
    EXPECT_EQ(dest.GetPixel(2, 0), 0x123456u);
}

TEST(Surface, BlitClipsAtEveryEdge)
{
    Surface source(4, 4);
    source.Fill(kWhite);
    Surface dest(5, 5);
    dest.Blit(-2, 3, 4, 4, source, 0, 0);
    EXPECT_EQ(dest.GetPixel(0, 3), kWhite);
    EXPECT_EQ(dest.GetPixel(1, 4), kWhite);
    EXPECT_EQ(dest.GetPixel(2, 4), kBlack);
    dest.Blit(3, 0, 4, 4, source, 2, 2);  // only 2 x 2 of the source exist there
    EXPECT_EQ(dest.GetPixel(4, 1), kWhite);
    EXPECT_EQ(dest.GetPixel(4, 2), kBlack);
}

TEST(Surface, AndAndOrCombineWithTheDestination)
{
    Surface source(2, 1);
    source.SetPixel(0, 0, 0x00FF0F);
    source.SetPixel(1, 0, 0x000000);
    Surface dest(2, 1);
    dest.Fill(0x0F0F0F);
    dest.Blit(0, 0, 2, 1, source, 0, 0, RasterOp::And);
    EXPECT_EQ(dest.GetPixel(0, 0), 0x000F0Fu);
    EXPECT_EQ(dest.GetPixel(1, 0), 0u);
    dest.Fill(0x0F0F0F);
    dest.Blit(0, 0, 2, 1, source, 0, 0, RasterOp::Paint);
    EXPECT_EQ(dest.GetPixel(0, 0), 0x0FFF0Fu);
    EXPECT_EQ(dest.GetPixel(1, 0), 0x0F0F0Fu);
}

TEST(Surface, FillsKeepTheTopByteClearAndStayInside)
{
    Surface surface(6, 4);
    surface.Fill(0xFF123456);
    EXPECT_EQ(surface.GetPixel(5, 3), 0x123456u);
    surface.FillRect(4, 2, 100, 100, kWhite);
    EXPECT_EQ(surface.GetPixel(5, 3), kWhite);
    EXPECT_EQ(surface.GetPixel(3, 3), 0x123456u);
    surface.FillRect(10, 1, 5, 5, kBlack);  // wholly right of the surface
    surface.FillRect(-10, -10, 5, 5, kBlack);
    surface.FillRect(2, 2, -3, 4, kBlack);
    surface.FillRect(2000000000, 2000000000, 2000000000, 2000000000, kBlack);
    surface.FillRect(-1, -10, 100, 5, kBlack);  // whole rows, all above
    surface.FillRect(0, 4, 6, 1, kBlack);       // whole rows, all below
    EXPECT_EQ(surface.GetPixel(0, 0), 0x123456u);
    surface.FillRect(-3, 1, 50, 2, kWhite);  // whole rows, as one block
    EXPECT_EQ(surface.GetPixel(0, 0), 0x123456u);
    EXPECT_EQ(surface.GetPixel(0, 1), kWhite);
    EXPECT_EQ(surface.GetPixel(5, 2), kWhite);
    EXPECT_EQ(surface.GetPixel(0, 3), 0x123456u);
}

TEST(Surface, StretchTakesThePixelUnderEachCentreAndClips)
{
    Surface source(4, 1);
    for (int x = 0; x < 4; ++x) source.SetPixel(x, 0, static_cast<Colour>(x + 1));
    Surface dest(8, 2);
    dest.StretchBlit(0, 0, 8, 2, source, 0, 0, 4, 1);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dest.GetPixel(x, 1), static_cast<Colour>(x / 2 + 1)) << x;
    dest.Fill(kBlack);
    dest.StretchBlit(0, 0, 2, 1, source, 0, 0, 4, 1);
    EXPECT_EQ(dest.GetPixel(0, 0), 2u);
    EXPECT_EQ(dest.GetPixel(1, 0), 4u);
    dest.Fill(kBlack);
    dest.StretchBlit(-4, 0, 8, 1, source, 0, 0, 4, 1);  // the left half falls off
    EXPECT_EQ(dest.GetPixel(0, 0), 3u);
    EXPECT_EQ(dest.GetPixel(3, 0), 4u);
    EXPECT_EQ(dest.GetPixel(4, 0), kBlack);
    dest.StretchBlit(0, 0, 8, 2, source, 0, 0, 0, 1);  // nothing to stretch
    dest.StretchBlit(0, 0, 1000000, 1000000, source, 0, 0, 4, 1);
    EXPECT_EQ(dest.GetPixel(7, 1), 1u);
}

TEST(Surface, DashesRunOnAcrossSegmentsAndRestartAtMoveTo)
{
    Surface surface(60, 3);
    surface.SelectPen(Pen{kWhite, 1, PenStyle::Dash});
    surface.MoveTo(0, 0);
    surface.LineTo(10, 0);
    surface.LineTo(40, 0);  // carries on 10 pixels into the pattern
    for (int x = 0; x < 40; ++x) EXPECT_EQ(surface.GetPixel(x, 0), x % 24 < 18 ? kWhite : kBlack) << x;
    surface.MoveTo(5, 2);
    surface.LineTo(30, 2);
    for (int x = 5; x < 30; ++x) EXPECT_EQ(surface.GetPixel(x, 2), (x - 5) % 24 < 18 ? kWhite : kBlack) << x;
}

TEST(Surface, WidePensDrawSolid)
{
    Surface surface(40, 10);
    surface.SelectPen(Pen{kWhite, 2, PenStyle::Dash});
    surface.MoveTo(2, 5);
    surface.LineTo(35, 5);
    for (int x = 2; x < 35; ++x) {
        EXPECT_EQ(surface.GetPixel(x, 4), kWhite) << x;
        EXPECT_EQ(surface.GetPixel(x, 5), kWhite) << x;
    }
    EXPECT_EQ(surface.GetPixel(20, 3), kBlack);
    EXPECT_EQ(surface.GetPixel(20, 6), kBlack);
}

// Clipping must not move a single pixel: each line drawn on a small surface
// matches the same line drawn on a large one, dashes and wide pens included.
TEST(Surface, ClippedLinesMatchUnclippedOnes)
{
    std::uint32_t seed = 1;
    auto random = [&seed](int low, int high) {
        seed = seed * 1664525u + 1013904223u;
        return low + static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(high - low + 1));
    };
    const int offset = 300;
    for (int round = 0; round < 400; ++round) {
        Pen pen{kWhite, random(1, 2), random(0, 1) ? PenStyle::Dash : PenStyle::Solid};
        Surface small(40, 30), large(640, 640);
        small.SelectPen(pen);
        large.SelectPen(pen);
        int x0 = random(-250, 280), y0 = random(-250, 280);
        small.MoveTo(x0, y0);
        large.MoveTo(x0 + offset, y0 + offset);
        for (int segment = 0; segment < 3; ++segment) {
            int x = random(-250, 280), y = random(-250, 280);
            small.LineTo(x, y);
            large.LineTo(x + offset, y + offset);
        }
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(small.GetPixel(x, y), large.GetPixel(x + offset, y + offset))
                    << "round " << round << " at " << x << "," << y;
    }
}

TEST(Surface, LinesFromFarOutsideDrawTheirVisiblePart)
{
    Surface surface(20, 20);
    surface.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    surface.MoveTo(-2000000000, 5);
    surface.LineTo(2000000000, 5);
    surface.MoveTo(-1000000000, -1000000000);
    surface.LineTo(1000000000, 1000000000);
    surface.MoveTo(-2147483647 - 1, 2147483647);
    surface.LineTo(2147483647, -2147483647 - 1);
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(surface.GetPixel(x, 5), kWhite) << x;
        EXPECT_EQ(surface.GetPixel(x, x), kWhite) << x;
    }
    EXPECT_EQ(surface.GetPixel(3, 4), kBlack);
}

TEST(Surface, BezierDrawsItsEndPixelButLeavesThePositionAlone)
{
    Surface surface(20, 20);
    surface.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    surface.MoveTo(1, 1);
    const Point curve[4] = {{2, 2}, {8, 2}, {12, 16}, {17, 15}};
    surface.PolyBezier(curve, 4);
    EXPECT_EQ(surface.GetPixel(2, 2), kWhite);
    EXPECT_EQ(surface.GetPixel(17, 15), kWhite);
    EXPECT_EQ(surface.CurrentPosition().x, 1);
    surface.PolyBezier(curve, 3);  // fewer than four points draw nothing
    surface.PolyBezier(nullptr, 4);
}

// Transparent and OR copies from a source copied often enough to have its
// opaque runs recorded give exactly what testing every pixel gives, wherever
// the copy lands and however it is clipped; a change to the source is seen
// by the very next copy.
TEST(Surface, CopiesThroughRecordedRunsMatchThePlainRule)
{
    std::srand(99);
    auto random = [](int below) { return std::rand() % below; };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        Surface source(1 + random(40), 1 + random(40));
        const Colour key = round % 5 == 0 ? MakeColour(9, 9, 9) : kBlack;
        // Runs of all lengths: long stretches of key and of colour, and single pixels.
        for (int y = 0; y < source.Height(); ++y) {
            bool opaque = random(2) == 0;
            for (int x = 0; x < source.Width(); ++x) {
                if (random(6) == 0) opaque = !opaque;
                source.SetPixel(x, y, opaque ? MakeColour(1 + random(255), random(256), random(256)) : key);
            }
        }
        Surface background(50, 50);
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x) background.SetPixel(x, y, MakeColour(x * 5, y * 5, 100));
        const int x = random(70) - 30, y = random(70) - 30, width = random(50), height = random(50);
        const int srcX = random(20) - 5, srcY = random(20) - 5;
        const RasterOp op = round % 2 ? RasterOp::Paint : RasterOp::Copy;

        // The plain rule, pixel by pixel.
        Surface expected = background;
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < width; ++col) {
                const Colour from = source.GetPixel(srcX + col, srcY + row);
                const Colour to = expected.GetPixel(x + col, y + row);
                if (from == kInvalidColour || to == kInvalidColour) continue;
                if (op == RasterOp::Paint) expected.SetPixel(x + col, y + row, to | from);
                if (op == RasterOp::Copy && from != key) expected.SetPixel(x + col, y + row, from);
            }
        }
        auto copy = [&](const Surface& from) {
            Surface drawn = background;
            if (op == RasterOp::Paint)
                drawn.Blit(x, y, width, height, from, srcX, srcY, RasterOp::Paint);
            else
                drawn.BlitTransparent(x, y, width, height, from, srcX, srcY, key);
            return drawn;
        };
        for (int time = 0; time < 3; ++time) {  // the runs are recorded on the way
            const Surface drawn = copy(source);
            for (int row = 0; row < 50; ++row)
                ASSERT_EQ(std::memcmp(drawn.Row(row), expected.Row(row), 50 * sizeof(Colour)), 0)
                    << "copy " << time << ", row " << row;
        }
        // A change after the runs were recorded shows at once.
        if (width == 0 || height == 0) continue;
        const Point changed{srcX + width / 2, srcY + height / 2};
        if (source.GetPixel(changed.x, changed.y) == kInvalidColour) continue;
        const Colour before = source.GetPixel(changed.x, changed.y);
        const Colour after = before == key ? MakeColour(200, 10, 10) : key;
        source.SetPixel(changed.x, changed.y, after);
        const Colour under = background.GetPixel(x + width / 2, y + height / 2);
        if (under == kInvalidColour) continue;
        const Colour now = copy(source).GetPixel(x + width / 2, y + height / 2);
        if (op == RasterOp::Paint)
            EXPECT_EQ(now, under | after);
        else
            EXPECT_EQ(now, after == key ? under : after);
    }
}

// Once recorded, a source's pixels live in its record alone: everything that
// reads them afterwards (rows, single pixels, plain and enlarged copies, a
// copy of the surface made meanwhile, a record for another key, a change)
// finds exactly the pixels it had, and reading them changes nothing a
// version tells.
TEST(Surface, PixelsKeptOnlyInTheRecordReadBackUnchanged)
{
    std::srand(7);
    auto random = [](int below) { return std::rand() % below; };
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        Surface source(1 + random(30), 1 + random(30));
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x)
                source.SetPixel(x, y, random(3) == 0 ? kBlack : MakeColour(1 + random(255), random(256), 7));
        const Surface before = source;  // a copy made before any record: its own pixels
        auto samePixels = [&](const Surface& s) {
            for (int y = 0; y < before.Height(); ++y)
                if (std::memcmp(s.Row(y), before.Row(y), before.Width() * sizeof(Colour)) != 0) return false;
            return true;
        };
        Surface board(40, 40);
        for (int time = 0; time < 3; ++time) board.BlitTransparent(2, 3, 30, 30, source, 0, 0);
        const std::uint64_t version = source.Version();
        const Surface copied = source;  // while the record alone holds the pixels
        const int which = round % 5;
        if (which == 0) {  // rows read straight from it
            EXPECT_TRUE(samePixels(source));
        } else if (which == 1) {  // single pixels, the key ones too
            const int x = random(source.Width()), y = random(source.Height());
            EXPECT_EQ(source.GetPixel(x, y), before.GetPixel(x, y));
        } else if (which == 2) {  // a plain copy takes the key pixels as well
            Surface plain(source.Width(), source.Height());
            plain.Fill(kWhite);
            plain.Blit(0, 0, source.Width(), source.Height(), source, 0, 0);
            EXPECT_TRUE(samePixels(plain));
        } else if (which == 3) {  // enlarged onto scale 2, through the record, as from the plain pixels
            Surface fromRecord = Surface::Scaled(32, 32, 2), fromPixels = Surface::Scaled(32, 32, 2);
            fromRecord.BlitTransparent(1, 1, 30, 30, source, 0, 0);
            Surface::UsePlainCopies(true);
            fromPixels.BlitTransparent(1, 1, 30, 30, before, 0, 0);
            Surface::UsePlainCopies(false);
            for (int y = 0; y < fromPixels.Height(); ++y)
                ASSERT_EQ(std::memcmp(fromRecord.Row(y), fromPixels.Row(y), fromPixels.Width() * sizeof(Colour)), 0);
        } else {  // recorded again for another key
            Surface other(40, 40);
            const Colour key = before.GetPixel(0, 0) == kBlack ? MakeColour(1, 1, 7) : before.GetPixel(0, 0);
            for (int time = 0; time < 3; ++time) other.BlitTransparent(0, 0, 30, 30, source, 0, 0, key);
            EXPECT_TRUE(samePixels(source));
        }
        EXPECT_EQ(source.Version(), version);
        EXPECT_TRUE(samePixels(copied));
        // A change through a writable row starts from the pixels it had.
        source.Row(0)[0] = MakeColour(3, 3, 3);
        EXPECT_NE(source.Version(), version);
        for (int y = 0; y < before.Height(); ++y)
            for (int x = y == 0 ? 1 : 0; x < before.Width(); ++x) ASSERT_EQ(source.GetPixel(x, y), before.GetPixel(x, y));
        EXPECT_TRUE(samePixels(copied));  // the copy keeps its own pixels
    }
}
