// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing helpers shared by all of the game's art: text, shadows, panels,
// wells, gloss, the night background and the jigsaw motif.
#pragma once

#include "platform/FontFace.h"
#include "tools/ArtStyle.h"
#include "tools/Canvas.h"

struct RectF {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;

    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
    RectF Inset(float by) const { return {left + by, top + by, right - by, bottom - by}; }
};

class ArtKit {
public:
    // One line of text with the top-left of its cell at (x, y).
    static void Text(Canvas& canvas, const FontFace& face, const char* text, int x, int y, Rgb colour,
                     int tracking = 0, float opacity = 1.0f);
    // Text whose ink is centred in the box, both ways.
    static void TextInBox(Canvas& canvas, const FontFace& face, const char* text, RectF box, Rgb colour,
                          int tracking = 0, float opacity = 1.0f, int shadowDy = 0, Rgb shadow = style::kShadow,
                          float shadowOpacity = 0.0f);
    // Text centred across at cx, its cell's top at y.
    static void TextCentred(Canvas& canvas, const FontFace& face, const char* text, float cx, int y, Rgb colour,
                            int tracking = 0, float opacity = 1.0f);

    static Mask Rounded(const Canvas& canvas, RectF r, float radius);
    // The blurred shape, moved, painted dark.
    static void Shadow(Canvas& canvas, const Mask& shape, int dx, int dy, int blur, float opacity,
                       Rgb colour = style::kShadow);
    // White light on the top part of a shape, fading downwards from `top` to `bottom`.
    static void Gloss(Canvas& canvas, const Mask& shape, float top, float bottom, float strength);
    // A raised plate: soft shadow, light rim, vertical gradient.
    static void Panel(Canvas& canvas, RectF r, float radius, Rgb top = style::kPanelTop,
                      Rgb bottom = style::kPanelBottom);
    // A sunken well: dark, shaded at the top, lit along the lower rim.
    static void Well(Canvas& canvas, RectF r, float radius, Rgb fill = style::kWell);

    // The night-blue backdrop of the menus with a glow behind the middle.
    static void NightBackground(Canvas& canvas);
    // Faint embossed jigsaw cuts over the area, cells of `cell` pixels.
    static void JigsawLattice(Canvas& canvas, RectF area, float cell, float opacity, unsigned seed);
    // The outline of one square jigsaw piece; tabs: top, right, bottom,
    // left, each +1 (knob out), -1 (hole) or 0 (straight edge).
    static Path JigsawPiece(float x, float y, float size, const int tabs[4]);
    // One edge from a to b, the knob on the left of the direction of travel
    // (outward for a clockwise outline on the screen) when tab is +1.
    static void JigsawEdge(Path& path, PointF a, PointF b, int tab);
    // A glossy jigsaw piece (outline as JigsawPiece) lit from above, with a
    // soft shadow of the given opacity under it.
    struct PieceColours {
        Rgb top, bottom;
    };
    static void GlossyPiece(Canvas& canvas, float x, float y, float size, const int tabs[4], PieceColours colours,
                            float shadow);
};
