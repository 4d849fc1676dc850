// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ArtKit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct InkBox {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom just outside
};

// In the mask's pixels.
InkBox FindInk(const Mask& mask)
{
    InkBox box{mask.PixelWidth(), mask.PixelHeight(), 0, 0};
    for (int y = 0; y < mask.PixelHeight(); ++y)
        for (int x = 0; x < mask.PixelWidth(); ++x)
            if (mask.At(x, y) > 0.25f) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    if (box.right <= box.left) box = {0, 0, mask.PixelWidth(), mask.PixelHeight()};
    return box;
}

// A tiny deterministic random source for the lattice.
class Dice {
public:
    explicit Dice(unsigned seed) : state(seed * 2654435761u + 1) {}
    int Sign()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 16) & 1 ? 1 : -1;
    }

private:
    unsigned state;
};

}  // namespace

void ArtKit::Text(Canvas& canvas, const FontFace& face, const char* text, int x, int y, Rgb colour, int tracking,
                  float opacity)
{
    canvas.Paint(Mask::Text(face, text, tracking), colour, opacity, x, y);
}

void ArtKit::TextInBox(Canvas& canvas, const FontFace& face, const char* text, RectF box, Rgb colour, int tracking,
                       float opacity, int shadowDy, Rgb shadow, float shadowOpacity)
{
    Mask ink = Mask::Text(face, text, tracking);
    InkBox found = FindInk(ink);
    // Placed to the pixel, in pixels.
    const float s = static_cast<float>(canvas.PixelsPerUnit());
    float inkCx = (found.left + found.right) / 2.0f, inkCy = (found.top + found.bottom) / 2.0f;
    int x = static_cast<int>(std::lround((box.left + box.right) / 2 * s - inkCx));
    int y = static_cast<int>(std::lround((box.top + box.bottom) / 2 * s - inkCy));
    if (shadowOpacity > 0)
        canvas.PaintAtPixel(ink, shadow, shadowOpacity, x, y + shadowDy * canvas.PixelsPerUnit());
    canvas.PaintAtPixel(ink, colour, opacity, x, y);
}

void ArtKit::TextCentred(Canvas& canvas, const FontFace& face, const char* text, float cx, int y, Rgb colour,
                         int tracking, float opacity)
{
    Mask ink = Mask::Text(face, text, tracking);
    const int s = canvas.PixelsPerUnit();
    canvas.PaintAtPixel(ink, colour, opacity, static_cast<int>(std::lround(cx * s - ink.PixelWidth() / 2.0f)), y * s);
}

Mask ArtKit::Rounded(const Canvas& canvas, RectF r, float radius)
{
    return Mask::RoundedRect(canvas.Width(), canvas.Height(), r.left, r.top, r.right, r.bottom, radius);
}

void ArtKit::Shadow(Canvas& canvas, const Mask& shape, int dx, int dy, int blur, float opacity, Rgb colour)
{
    canvas.Paint(shape.Shifted(dx, dy).Blurred(blur), colour, opacity);
}

void ArtKit::Gloss(Canvas& canvas, const Mask& shape, float top, float bottom, float strength)
{
    Mask light = shape;
    for (int y = 0; y < light.PixelHeight(); ++y) {
        float fade = std::clamp((bottom - (light.UnitOf(y) + 0.5f)) / (bottom - top), 0.0f, 1.0f);
        for (int x = 0; x < light.PixelWidth(); ++x) light.Ref(x, y) *= fade * strength;
    }
    canvas.Paint(light, style::kWhite);
}

void ArtKit::Panel(Canvas& canvas, RectF r, float radius, Rgb top, Rgb bottom)
{
    Mask outer = Rounded(canvas, r, radius);
    Shadow(canvas, outer, 0, 3, 4, 0.55f);
    canvas.PaintVertical(outer, r.top, Mix(style::kPanelEdge, style::kWhite, 0.15f), r.bottom,
                         Mix(style::kPanelEdge, style::kShadow, 0.45f));
    Mask inner = Rounded(canvas, r.Inset(1), radius - 1);
    canvas.PaintVertical(inner, r.top, top, r.bottom, bottom);
}

void ArtKit::Well(Canvas& canvas, RectF r, float radius, Rgb fill)
{
    Mask outer = Rounded(canvas, r, radius);
    // The lit lower rim, then the dark hollow one pixel up from it.
    canvas.Paint(outer, style::kWellEdge, 0.9f);
    Mask hollow = Rounded(canvas, {r.left, r.top, r.right, r.bottom - 1}, radius);
    canvas.Paint(hollow, Mix(fill, style::kShadow, 0.5f));
    Mask floor = Rounded(canvas, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, std::max(0.0f, radius - 1));
    canvas.Paint(floor, fill);
    // Shade thrown by the upper rim onto the floor.
    Mask shade = floor;
    shade.Subtract(floor.Shifted(0, 3).Blurred(2));
    canvas.Paint(shade, style::kShadow, 0.55f);
}

void ArtKit::NightBackground(Canvas& canvas)
{
    int w = canvas.Width(), h = canvas.Height();
    Mask all(w, h, 1.0f);
    canvas.PaintVertical(all, 0, style::kNightTop, static_cast<float>(h), style::kNightBottom);
    // A broad soft glow a little above the middle.
    canvas.Paint(all,
                 [w, h, &canvas](float x, float y) {
                     float dx = (x - w * 0.5f) / (w * 0.62f), dy = (y - h * 0.38f) / (h * 0.7f);
                     float glow = std::exp(-(dx * dx + dy * dy) * 2.2f);
                     return Mix(canvas.AtUnit(x, y), style::kNightGlow, 0.55f * glow);
                 });
}

void ArtKit::JigsawEdge(Path& path, PointF a, PointF b, int tab)
{
    float dx = b.x - a.x, dy = b.y - a.y;
    // Unit edge from (0,0) to (1,0), the knob rising towards -v.
    auto at = [&](float u, float v) {
        float out = -v * static_cast<float>(tab);
        return PointF{a.x + u * dx + out * dy, a.y + u * dy - out * dx};
    };
    if (tab == 0) {
        path.push_back(b);
        return;
    }
    PointF p = a;
    const float curve[4][6] = {{0.30f, 0.00f, 0.43f, 0.02f, 0.40f, -0.07f},
                               {0.36f, -0.16f, 0.31f, -0.27f, 0.50f, -0.27f},
                               {0.69f, -0.27f, 0.64f, -0.16f, 0.60f, -0.07f},
                               {0.57f, 0.02f, 0.70f, 0.00f, 1.00f, 0.00f}};
    for (const auto& c : curve) {
        PointF end = at(c[4], c[5]);
        AppendBezier(path, p, at(c[0], c[1]), at(c[2], c[3]), end, 10);
        p = end;
    }
}

Path ArtKit::JigsawPiece(float x, float y, float size, const int tabs[4])
{
    PointF corners[4] = {{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}};
    Path path{corners[0]};
    for (int side = 0; side < 4; ++side) JigsawEdge(path, corners[side], corners[(side + 1) % 4], tabs[side]);
    path.pop_back();  // the last point is the first again
    return path;
}

void ArtKit::JigsawLattice(Canvas& canvas, RectF area, float cell, float opacity, unsigned seed)
{
    int w = canvas.Width(), h = canvas.Height();
    Dice dice(seed);
    Mask lines(w, h);
    int columns = static_cast<int>(std::ceil(area.Width() / cell));
    int rows = static_cast<int>(std::ceil(area.Height() / cell));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c < columns; ++c) {
            Path edge{{area.left + c * cell, area.top + r * cell}};
            JigsawEdge(edge, edge.front(), {area.left + (c + 1) * cell, area.top + r * cell}, dice.Sign());
            lines.AddStroke(edge, 1.1f, false);
        }
    for (int c = 0; c <= columns; ++c)
        for (int r = 0; r < rows; ++r) {
            Path edge{{area.left + c * cell, area.top + r * cell}};
            JigsawEdge(edge, edge.front(), {area.left + c * cell, area.top + (r + 1) * cell}, dice.Sign());
            lines.AddStroke(edge, 1.1f, false);
        }
    // Cut into the surface: a dark groove with light catching its lower lip.
    canvas.Paint(lines.Shifted(0, 1), style::kWhite, opacity * 0.35f);
    canvas.Paint(lines, style::kShadow, opacity);
}

void ArtKit::GlossyPiece(Canvas& canvas, float x, float y, float size, const int tabs[4], PieceColours colours,
                         float shadow)
{
    Mask shape = Mask::Polygons(canvas.Width(), canvas.Height(), {JigsawPiece(x, y, size, tabs)});
    if (shadow > 0) Shadow(canvas, shape, 0, static_cast<int>(size / 14), static_cast<int>(size / 14), shadow);
    canvas.Paint(shape, Mix(colours.bottom, style::kShadow, 0.3f));
    Mask body = shape;
    body.Intersect(shape.Shifted(0, -std::max(1, static_cast<int>(size / 40))));
    body.Intersect(shape.Shifted(-1, 0));
    canvas.PaintVertical(body, y - size * 0.25f, colours.top, y + size * 1.25f, colours.bottom);
    Gloss(canvas, body, y - size * 0.25f, y + size * 0.45f, 0.35f);
}
