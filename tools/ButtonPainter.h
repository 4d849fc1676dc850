// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the game's buttons, and cuts each button's pictures out of the
// scene it sits on, so that the opaque button blends into its background.
#pragma once

#include <functional>
#include <string>

#include "tools/ArtKit.h"
#include "tools/ArtSet.h"
#include "tools/FontBook.h"

enum class ButtonLook { Normal, Hover, On };

class ButtonPainter {
public:
    explicit ButtonPainter(FontBook& fonts) : fonts(fonts) {}

    // A rounded button filling `shape`, with a label in capitals.
    void Labelled(Canvas& canvas, RectF shape, ButtonLook look, const char* label, int fontCell) const;
    // A rounded square button with a triangle pointing left or right.
    void Arrow(Canvas& canvas, RectF shape, ButtonLook look, bool pointsLeft) const;
    // A board colour sample.
    void Swatch(Canvas& canvas, RectF shape, ButtonLook look, Rgb colour) const;
    // The slider's knob.
    void Knob(Canvas& canvas, RectF shape, ButtonLook look) const;

    using Painter = std::function<void(Canvas&, ButtonLook)>;
    // Adds "data/<name>_Button_Active.bmp" and "_NoActive.bmp", both
    // width x height, cut from the scene at (x, y) with the button painted
    // on; `toggleName`, when given, gets the switched-on look. The plain look
    // is painted into the scene too.
    static void Cut(ArtSet& art, Canvas& scene, const std::string& name, int x, int y, int width, int height,
                    const Painter& paint, const char* toggleName = nullptr);

private:
    // The body every button shares: shadow, glow, rim, gradient, gloss.
    Mask Body(Canvas& canvas, RectF shape, float radius, ButtonLook look) const;

    FontBook& fonts;
};
