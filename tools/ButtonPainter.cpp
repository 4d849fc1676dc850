// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ButtonPainter.h"

#include <algorithm>

#include "resources/ResourceNames.h"

namespace {

struct LookColours {
    Rgb top, bottom, edge, label, labelShadow;
    float shadowOpacity;
};

LookColours ColoursOf(ButtonLook look)
{
    switch (look) {
    case ButtonLook::Hover:
        return {style::kHoverTop, style::kHoverBottom, style::kHoverEdge, style::kInk, style::kGoldPale, 0.55f};
    case ButtonLook::On:
        return {style::kOnTop, style::kOnBottom, style::kOnEdge, style::kWhite, style::kShadow, 0.6f};
    case ButtonLook::Normal:
    default:
        return {style::kButtonTop, style::kButtonBottom, style::kButtonEdge, style::kCream, style::kShadow, 0.7f};
    }
}

}  // namespace

Mask ButtonPainter::Body(Canvas& canvas, RectF shape, float radius, ButtonLook look) const
{
    LookColours colours = ColoursOf(look);
    Mask outer = ArtKit::Rounded(canvas, shape, radius);
    ArtKit::Shadow(canvas, outer, 0, 1, 1, 0.6f);
    if (look == ButtonLook::Hover) canvas.Paint(outer.Dilated(1.5f).Blurred(1), style::kGold, 0.55f);
    canvas.Paint(outer, colours.edge);
    Mask inner = ArtKit::Rounded(canvas, shape.Inset(1), radius - 1);
    canvas.PaintVertical(inner, shape.top, colours.top, shape.bottom, colours.bottom);
    ArtKit::Gloss(canvas, inner, shape.top, shape.top + shape.Height() * 0.55f, look == ButtonLook::Hover ? 0.3f : 0.16f);
    return inner;
}

void ButtonPainter::Labelled(Canvas& canvas, RectF shape, ButtonLook look, const char* label, int fontCell) const
{
    LookColours colours = ColoursOf(look);
    Body(canvas, shape, std::min(7.0f, shape.Height() / 2), look);
    // Letters spaced a little apart, unless the label is too long for that;
    // a smaller size only as the last resort.
    const float room = shape.Width() - 12;
    int tracking = 1;
    while (Mask::TextWidth(fonts.Sans(fontCell), label, tracking) > room && (tracking > 0 || fontCell > 9)) {
        if (tracking > 0)
            tracking = 0;
        else
            --fontCell;
    }
    const FontFace& face = fonts.Sans(fontCell);
    RectF box = shape;
    if (look == ButtonLook::On) {
        // A tick in front of the label says the option is on.
        float labelWidth = static_cast<float>(Mask::TextWidth(face, label, tracking));
        float tickWidth = shape.Height() * 0.42f, gap = 4;
        float start = (shape.left + shape.right - labelWidth - tickWidth - gap) / 2;
        float cy = (shape.top + shape.bottom) / 2;
        Path tick{{start, cy}, {start + tickWidth * 0.38f, cy + tickWidth * 0.4f}, {start + tickWidth, cy - tickWidth * 0.5f}};
        Mask tickMask = Mask::Stroke(canvas.Width(), canvas.Height(), tick, 2.4f, false);
        canvas.Paint(tickMask.Shifted(0, 1), colours.labelShadow, 0.5f);
        canvas.Paint(tickMask, colours.label);
        box.left = start + tickWidth + gap;
        box.right = box.left + labelWidth;
    }
    ArtKit::TextInBox(canvas, face, label, box, colours.label, tracking, 1.0f, 1, colours.labelShadow,
                      colours.shadowOpacity);
}

void ButtonPainter::Arrow(Canvas& canvas, RectF shape, ButtonLook look, bool pointsLeft) const
{
    LookColours colours = ColoursOf(look);
    Body(canvas, shape, 6, look);
    float cx = (shape.left + shape.right) / 2, cy = (shape.top + shape.bottom) / 2;
    float half = shape.Height() * 0.24f, depth = shape.Height() * 0.26f;
    float tip = pointsLeft ? cx - depth * 0.6f : cx + depth * 0.6f;
    float back = pointsLeft ? cx + depth * 0.55f : cx - depth * 0.55f;
    Path triangle{{tip, cy}, {back, cy - half}, {back, cy + half}};
    Mask arrow = Mask::Polygons(canvas.Width(), canvas.Height(), {triangle});
    canvas.Paint(arrow.Shifted(0, 1), colours.labelShadow, colours.shadowOpacity);
    canvas.Paint(arrow, colours.label);
}

void ButtonPainter::Swatch(Canvas& canvas, RectF shape, ButtonLook look, Rgb colour) const
{
    Mask body = Body(canvas, shape, 5, look);
    Mask sample = ArtKit::Rounded(canvas, shape.Inset(look == ButtonLook::Hover ? 3 : 4), 3);
    canvas.Paint(sample.Dilated(1), style::kShadow, 0.45f);
    canvas.Paint(sample, colour);
    ArtKit::Gloss(canvas, sample, shape.top, (shape.top + shape.bottom) / 2, 0.18f);
}

void ButtonPainter::Knob(Canvas& canvas, RectF shape, ButtonLook look) const
{
    Mask outer = ArtKit::Rounded(canvas, shape, 5);
    ArtKit::Shadow(canvas, outer, 0, 2, 1, 0.7f);
    if (look == ButtonLook::Hover) canvas.Paint(outer.Dilated(1.5f).Blurred(1), style::kGoldPale, 0.7f);
    canvas.Paint(outer, look == ButtonLook::Hover ? style::kHoverEdge : Mix(style::kGoldDeep, style::kShadow, 0.35f));
    Mask inner = ArtKit::Rounded(canvas, shape.Inset(1), 4);
    // Resting it is a deeper gold; under the cursor it lights up.
    Rgb top = look == ButtonLook::Hover ? style::kGoldPale : Mix(style::kGold, style::kGoldDeep, 0.35f);
    Rgb bottom = look == ButtonLook::Hover ? style::kGold : Mix(style::kGoldDeep, style::kShadow, 0.25f);
    canvas.PaintVertical(inner, shape.top, top, shape.bottom, bottom);
    ArtKit::Gloss(canvas, inner, shape.top, (shape.top + shape.bottom) / 2, 0.35f);
    // Three grip lines across the middle.
    float cx = (shape.left + shape.right) / 2, cy = (shape.top + shape.bottom) / 2;
    for (int i = -1; i <= 1; ++i) {
        float y = cy + i * 4.0f;
        Path grip{{cx - 3.5f, y}, {cx + 3.5f, y}};
        Mask line = Mask::Stroke(canvas.Width(), canvas.Height(), grip, 1.2f, false);
        canvas.Paint(line.Shifted(0, 1), style::kGoldPale, 0.6f);
        canvas.Paint(line, Mix(style::kGoldDeep, style::kShadow, 0.5f), 0.8f);
    }
}

void ButtonPainter::Cut(ArtSet& art, Canvas& scene, const std::string& name, int x, int y, int width, int height,
                        const Painter& paint, const char* toggleName)
{
    auto look = [&](ButtonLook which) {
        Canvas piece = scene.Crop(x, y, width, height);
        paint(piece, which);
        return piece;
    };
    const std::string base = std::string(res::kButtonFolder) + name;
    Canvas normal = look(ButtonLook::Normal);
    art.Add(base + res::kButtonNoActiveSuffix, normal.ToSurface());
    art.Add(base + res::kButtonActiveSuffix, look(ButtonLook::Hover).ToSurface());
    if (toggleName) art.Add(toggleName, look(ButtonLook::On).ToSurface());
    scene.Place(normal, x, y);
}
