// SPDX-License-Identifier: GPL-3.0-or-later
// A picture: a drawing surface and its size. Whoever embeds a CImage owns it.
#pragma once

#include "platform/Surface.h"

struct CImage {
    Surface surface;
    float width = 0;
    float height = 0;

    // Drops the pixels; the image is empty until a loader fills it again.
    void Release()
    {
        surface = Surface();
        width = 0;
        height = 0;
    }
};
