// SPDX-License-Identifier: GPL-3.0-or-later
// The coverage of a shape: one value from 0 (outside) to 1 (inside) a pixel,
// anti-aliased at the edges. The game's art is built by painting colours
// through masks onto a Canvas. Sizes, positions, outlines, line widths, blur
// and shift distances are in units of the screen; a mask holds
// ArtScale::Current() pixels a unit (taken when it is made), and At and Ref
// address those pixels.
#pragma once

#include <vector>

class FontFace;

struct PointF {
    float x = 0;
    float y = 0;
};
// A closed outline (the last point joins the first) or an open line.
using Path = std::vector<PointF>;

// Appends a cubic Bézier from `from` (not repeated) to `to` in `steps` lines.
void AppendBezier(Path& path, PointF from, PointF control1, PointF control2, PointF to, int steps = 16);

class Mask {
public:
    Mask() = default;
    Mask(int width, int height, float value = 0.0f);

    // In units (a text's pixels rounded to whole units).
    int Width() const { return (width + scale / 2) / scale; }
    int Height() const { return (height + scale / 2) / scale; }
    int PixelWidth() const { return width; }
    int PixelHeight() const { return height; }
    int PixelsPerUnit() const { return scale; }
    // Where the middle of a pixel row or column lies, in units less one half:
    // at one pixel a unit, the pixel's own number.
    float UnitOf(int pixel) const { return (pixel + 0.5f) / scale - 0.5f; }
    // 0 outside the mask.
    float At(int x, int y) const;
    float& Ref(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }

    static Mask RoundedRect(int width, int height, float left, float top, float right, float bottom, float radius);
    static Mask Ellipse(int width, int height, float cx, float cy, float rx, float ry);
    // Filled outlines, non-zero winding; edges sampled 8 times a pixel vertically.
    static Mask Polygons(int width, int height, const std::vector<Path>& outlines);
    // A line of the given width along the path, round at joins and ends.
    static Mask Stroke(int width, int height, const Path& path, float lineWidth, bool closed);
    // Adds such a line to this mask.
    void AddStroke(const Path& path, float lineWidth, bool closed);
    // The ink of one line of text, the size of its cell; `tracking` adds
    // units between letters. The face must be one of the current scale.
    // `room` units of empty margin on every side leave space for what is
    // made from the ink (a wider edge, a shifted shadow, a blur) and for
    // letters that reach past their cell.
    static Mask Text(const FontFace& face, const char* text, int tracking = 0, int room = 0);
    // Width of what Text makes, in units, without building it.
    static int TextWidth(const FontFace& face, const char* text, int tracking = 0);

    // Soft copies, the same size.
    Mask Blurred(int radius) const;
    Mask Dilated(float radius) const;
    Mask Shifted(int dx, int dy) const;

    // In place, pixel by pixel.
    void Intersect(const Mask& other);  // this * other
    void Subtract(const Mask& other);   // this * (1 - other)
    void Unite(const Mask& other);      // max(this, other)
    void Scale(float factor);

private:
    static Mask OfPixels(int pixelWidth, int pixelHeight, int scale);
    static int PixelTextWidth(const FontFace& face, const char* text, int trackingPixels);

    int width = 0;  // pixels
    int height = 0;
    int scale = 1;
    std::vector<float> values;
};
