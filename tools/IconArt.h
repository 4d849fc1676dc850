// SPDX-License-Identifier: GPL-3.0-or-later
// The game's icon: a gold jigsaw piece on the night blue of the menus. The
// window icon is the whole square at 64 pixels; the desktop's icons are the
// same picture on a plate with rounded, see-through corners, drawn afresh at
// every size the desktop asks for.
#pragma once

#include <array>
#include <vector>

#include "tools/Canvas.h"

class IconArt {
public:
    static constexpr int kWindowSize = 64;
    // The sizes of the desktop's icon theme folders ("16x16" ... "256x256").
    static constexpr std::array<int, 7> kDesktopSizes = {16, 24, 32, 48, 64, 128, 256};

    // The opaque square of the window icon at any size.
    static Canvas Square(int size);
    // The desktop icon: 8-bit red, green, blue and alpha, row by row.
    static std::vector<unsigned char> Desktop(int size);
};
