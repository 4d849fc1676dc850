// SPDX-License-Identifier: GPL-3.0-or-later
// A picture being painted: floating-point colour, painted through masks, then
// rounded (with a light dither against banding) into a Surface for a BMP.
// Like a Mask, its size and positions are in units of the screen and it
// holds ArtScale::Current() pixels a unit, taken when it is made; At and Set
// address pixels.
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

    // In units.
    int Width() const { return width / scale; }
    int Height() const { return height / scale; }
    int PixelWidth() const { return width; }
    int PixelHeight() const { return height; }
    int PixelsPerUnit() const { return scale; }
    Rgb At(int x, int y) const;
    // The pixel whose middle lies at (x, y) in the units a shader is given.
    Rgb AtUnit(float x, float y) const;
    void Set(int x, int y, Rgb colour);

    // Paints a colour through a mask placed with its top-left at (dx, dy).
    void Paint(const Mask& mask, Rgb colour, float opacity = 1.0f, int dx = 0, int dy = 0);
    // The same with a colour worked out for each canvas pixel, from where its
    // middle lies in units less one half (a pixel's own number at scale 1).
    void Paint(const Mask& mask, const std::function<Rgb(float x, float y)>& shader, float opacity = 1.0f,
               int dx = 0, int dy = 0);
    // Paint with the mask's top-left at pixel (px, py), for placing text to
    // the pixel.
    void PaintAtPixel(const Mask& mask, Rgb colour, float opacity, int px, int py);
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
    void PaintPixels(const Mask& mask, const std::function<Rgb(float x, float y)>& shader, float opacity, int px,
                     int py);
    float UnitOf(int pixel) const { return (pixel + 0.5f) / scale - 0.5f; }

    int width = 0;  // pixels
    int height = 0;
    int scale = 1;
    std::vector<Rgb> pixels;
};
