// SPDX-License-Identifier: GPL-3.0-or-later
// The art of the menu pages: the picture page, the cut page (which the
// calculation page shares), their buttons, the slider, the calculation
// caption and the progress bar.
#pragma once

#include <vector>

#include "tools/ArtSet.h"
#include "tools/ButtonPainter.h"
#include "tools/FontBook.h"

class MenuArt {
public:
    // The puzzle pictures as shipped: the picture page frames each thumbnail.
    MenuArt(FontBook& fonts, const std::vector<Surface>& pictures) : fonts(fonts), buttons(fonts), pictures(pictures) {}
    void Build(ArtSet& art);

private:
    void PicturePage(ArtSet& art);
    void CutPage(ArtSet& art);
    void CalculatePage(ArtSet& art, const Canvas& plainBackground, const Canvas& cutScreen);
    // The backdrop shared by the cut and calculation pages.
    Canvas CutBackdrop();
    // The plate behind a stack of menu buttons.
    void ButtonPlate(Canvas& canvas, int top, int count);
    // The small emblem of the game: its name with a jigsaw piece.
    void Emblem(Canvas& canvas, int x, int y);
    // The panel down the left of the cut and calculation pages, in canvas
    // coordinates of a canvas whose origin is at (originX, originY) on screen.
    void LeftPanel(Canvas& canvas, int originX, int originY);
    void PieceCountBox(Canvas& canvas, int originX, int originY);

    FontBook& fonts;
    ButtonPainter buttons;
    const std::vector<Surface>& pictures;
};
