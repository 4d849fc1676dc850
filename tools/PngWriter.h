// SPDX-License-Identifier: GPL-3.0-or-later
// PNG files of the content tool: the desktop's icons and the art drawn for
// large screens.
#pragma once

#include <vector>

#include "platform/Surface.h"

class PngWriter {
public:
    // A PNG of 8-bit red, green, blue and alpha pixels, row by row; empty when
    // it cannot be made.
    static std::vector<unsigned char> EncodeRgba(const std::vector<unsigned char>& rgba, int width, int height);
    // An opaque PNG of the surface's pixels, packed as tightly as the writer can.
    static std::vector<unsigned char> EncodeRgb(const Surface& surface);
};
