#include <gtest/gtest.h>

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
