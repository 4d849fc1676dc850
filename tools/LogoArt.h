// SPDX-License-Identifier: GPL-3.0-or-later
// The logo screen's two pictures (the game's name, the studio's mark), both
// on the white of that screen, and the window icon.
#pragma once

#include "tools/ArtSet.h"
#include "tools/Canvas.h"
#include "tools/FontBook.h"

class LogoArt {
public:
    explicit LogoArt(FontBook& fonts) : fonts(fonts) {}
    void Build(ArtSet& art);

private:
    Canvas Logo();
    Canvas StudioMark();
    Canvas Icon();

    FontBook& fonts;
};
