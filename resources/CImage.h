// SPDX-License-Identifier: GPL-3.0-or-later
// A picture: a drawing surface and its size. Whoever embeds a CImage owns it.
#pragma once

#include "platform/Surface.h"

#include <string>

struct CImage {
    Surface surface;
    float width = 0;
    float height = 0;
    // For the game's own art: its name and the drawing scale it was loaded
    // for. Drawn while the frame has another scale, it is loaded again for
    // that one (CMgrImage), so every screen's art follows the window.
    std::string artName;
    int artScale = 0;
    // The box it was fitted into (LoadBmpScaled), 0 when at its own size.
    float artFitWidth = 0;
    float artFitHeight = 0;

    // Drops the pixels; the image is empty until a loader fills it again.
    void Release()
    {
        surface = Surface();
        width = 0;
        height = 0;
        artName.clear();
        artScale = 0;
        artFitWidth = artFitHeight = 0;
    }
};
