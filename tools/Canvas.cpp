// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Canvas.h"

#include <algorithm>
#include <cmath>

#include "tools/ArtScale.h"

namespace {

// A 4 x 4 ordered dither, in fractions of one colour step.
float DitherOffset(int x, int y)
{
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (kBayer[y & 3][x & 3] + 0.5f) / 16.0f - 0.5f;
}

int Channel(float value, float dither) { return std::clamp(static_cast<int>(std::floor(value + 0.5f + dither)), 0, 255); }

Colour ToColour(Rgb c, int x, int y)
{
    float d = DitherOffset(x, y);
    Colour colour = MakeColour(Channel(c.r, d), Channel(c.g, d), Channel(c.b, d));
    return colour == kBlack ? MakeColour(1, 1, 1) : colour;
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Canvas::Canvas(int width, int height, Rgb fill)
    : width(std::max(width, 0) * ArtScale::Current()), height(std::max(height, 0) * ArtScale::Current()),
      scale(ArtScale::Current()),
      pixels(static_cast<std::size_t>(this->width) * this->height, fill)
{
}

Rgb Canvas::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    return pixels[static_cast<std::size_t>(y) * width + x];
}

Rgb Canvas::AtUnit(float x, float y) const
{
    return At(static_cast<int>(std::lround((x + 0.5f) * scale - 0.5f)),
              static_cast<int>(std::lround((y + 0.5f) * scale - 0.5f)));
}

void Canvas::Set(int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    pixels[static_cast<std::size_t>(y) * width + x] = colour;
}

void Canvas::Paint(const Mask& mask, Rgb colour, float opacity, int dx, int dy)
{
    PaintPixels(mask, [colour](float, float) { return colour; }, opacity, dx * scale, dy * scale);
}

void Canvas::Paint(const Mask& mask, const std::function<Rgb(float x, float y)>& shader, float opacity, int dx,
                   int dy)
{
    PaintPixels(mask, shader, opacity, dx * scale, dy * scale);
}

void Canvas::PaintAtPixel(const Mask& mask, Rgb colour, float opacity, int px, int py)
{
    PaintPixels(mask, [colour](float, float) { return colour; }, opacity, px, py);
}

void Canvas::PaintPixels(const Mask& mask, const std::function<Rgb(float x, float y)>& shader, float opacity, int dx,
                         int dy)
{
    int x0 = std::max(0, dx), y0 = std::max(0, dy);
    int x1 = std::min(width, dx + mask.PixelWidth()), y1 = std::min(height, dy + mask.PixelHeight());
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float a = mask.At(x - dx, y - dy) * opacity;
            if (a <= 0) continue;
            Rgb& p = pixels[static_cast<std::size_t>(y) * width + x];
            p = Mix(p, shader(UnitOf(x), UnitOf(y)), std::min(a, 1.0f));
        }
}

void Canvas::PaintVertical(const Mask& mask, float y0, Rgb c0, float y1, Rgb c1, float opacity)
{
    Paint(mask, [=](float, float y) { return Mix(c0, c1, std::clamp((y + 0.5f - y0) / (y1 - y0), 0.0f, 1.0f)); }, opacity);
}

Canvas Canvas::Crop(int x, int y, int cropWidth, int cropHeight) const
{
    ArtScale::Use same(scale);
    Canvas out(cropWidth, cropHeight);
    x *= scale, y *= scale;
    for (int row = 0; row < out.height; ++row)
        for (int col = 0; col < out.width; ++col) out.Set(col, row, At(x + col, y + row));
    return out;
}

void Canvas::Place(const Canvas& source, int x, int y)
{
    x *= scale, y *= scale;
    for (int row = 0; row < source.height; ++row)
        for (int col = 0; col < source.width; ++col) Set(x + col, y + row, source.At(col, row));
}

Surface Canvas::ToSurface() const
{
    Surface out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.Row(y)[x] = ToColour(At(x, y), x, y);
    return out;
}

Surface Canvas::ToSurfaceKeyed(const Mask& opaque) const
{
    Surface out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.Row(y)[x] = opaque.At(x, y) < 0.5f ? kBlack : ToColour(At(x, y), x, y);
    return out;
}
