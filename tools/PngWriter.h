// SPDX-License-Identifier: GPL-3.0-or-later
// PNG files of the content tool (the desktop's icons).
#pragma once

#include <vector>

class PngWriter {
public:
    // A PNG of 8-bit red, green, blue and alpha pixels, row by row; empty when
    // it cannot be made.
    static std::vector<unsigned char> EncodeRgba(const std::vector<unsigned char>& rgba, int width, int height);
};
