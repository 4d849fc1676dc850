// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/IconArt.h"

#include <algorithm>
#include <cmath>

#include "tools/ArtKit.h"
#include "tools/ArtStyle.h"

namespace {

unsigned char Byte(float value) { return static_cast<unsigned char>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

Canvas IconArt::Square(int size)
{
    // Laid out on the 64-pixel window icon, scaled to the size asked for.
    const float scale = size / static_cast<float>(kWindowSize);
    Canvas icon(size, size);
    Mask all(size, size, 1.0f);
    icon.PaintVertical(all, 0, style::kNightGlow, static_cast<float>(size), style::kNightBottom);
    const int tabs[4] = {1, 1, -1, -1};
    ArtKit::GlossyPiece(icon, 16 * scale, 18 * scale, 30 * scale, tabs, {Hex(0xFFD27A), Hex(0xD98A22)}, 0.5f);
    return icon;
}

std::vector<unsigned char> IconArt::Desktop(int size)
{
    Canvas icon = Square(size);
    // A plate a little inside the square, so that it sits among other icons
    // at the same weight, with a fine light rim that keeps it apart from a
    // dark panel.
    const float inset = size / 32.0f;
    const float radius = size * 0.19f;
    const float rim = std::max(1.0f, size / 48.0f);
    Mask plate = Mask::RoundedRect(size, size, inset, inset, size - inset, size - inset, radius);
    Mask edge = plate;
    edge.Subtract(Mask::RoundedRect(size, size, inset + rim, inset + rim, size - inset - rim, size - inset - rim,
                                    radius - rim));
    icon.Paint(edge, style::kPanelEdge, 0.7f);

    std::vector<unsigned char> rgba(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Rgb colour = icon.At(x, y);
            unsigned char* pixel = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
            pixel[0] = Byte(colour.r);
            pixel[1] = Byte(colour.g);
            pixel[2] = Byte(colour.b);
            pixel[3] = Byte(plate.At(x, y) * 255.0f);
        }
    return rgba;
}
