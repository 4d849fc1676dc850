// SPDX-License-Identifier: GPL-3.0-or-later
// The art of the game screen: the top bar with Menu, Save and Load, the
// clock, the bottom bar with the option buttons and the board colours, and
// the frame of the small picture window.
#pragma once

#include "tools/ArtSet.h"
#include "tools/ButtonPainter.h"
#include "tools/FontBook.h"

class PanelArt {
public:
    explicit PanelArt(FontBook& fonts) : fonts(fonts), buttons(fonts) {}
    void Build(ArtSet& art);

private:
    // Each answers the bar's canvas with its buttons painted in, for the preview.
    Canvas TopBar(ArtSet& art);
    Canvas Timer(ArtSet& art);
    Canvas BottomBar(ArtSet& art);
    Canvas PreviewFrame(ArtSet& art);

    FontBook& fonts;
    ButtonPainter buttons;
};
