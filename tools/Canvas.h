// SPDX-License-Identifier: GPL-3.0-or-later
// A picture being painted: floating-point colour, painted through masks, then
// rounded (with a light dither against banding) into a Surface for a BMP.
#pragma once

#include <functional>
#include <vector>

#include "platform/Surface.h"
#include "tools/Mask.h"

// A colour with channels 0..255.
struct Rgb {
    float r = 0;
    float g = 0;
    float b = 0;
};

// 0xRRGGBB, as colours are usually written.
constexpr Rgb Hex(unsigned value)
{
    return {static_cast<float>((value >> 16) & 0xFF), static_cast<float>((value >> 8) & 0xFF),
            static_cast<float>(value & 0xFF)};
}
Rgb Mix(Rgb a, Rgb b, float t);

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, Rgb fill = {});

    int Width() const { return width; }
    int Height() const { return height; }
    Rgb At(int x, int y) const;
    void Set(int x, int y, Rgb colour);

    // Paints a colour through a mask placed with its top-left at (dx, dy).
    void Paint(const Mask& mask, Rgb colour, float opacity = 1.0f, int dx = 0, int dy = 0);
    // The same with a colour worked out for each canvas pixel.
    void Paint(const Mask& mask, const std::function<Rgb(int x, int y)>& shader, float opacity = 1.0f, int dx = 0,
               int dy = 0);
    // A vertical gradient from c0 at y0 to c1 at y1 (canvas rows).
    void PaintVertical(const Mask& mask, float y0, Rgb c0, float y1, Rgb c1, float opacity = 1.0f);

    Canvas Crop(int x, int y, int cropWidth, int cropHeight) const;
    void Place(const Canvas& source, int x, int y);

    // An opaque picture: no pixel comes out pure black, the see-through colour.
    Surface ToSurface() const;
    // A picture drawn with black left out: pure black wherever `opaque` is
    // below one half, every other pixel kept off pure black.
    Surface ToSurfaceKeyed(const Mask& opaque) const;

private:
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
};
