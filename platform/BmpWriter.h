// SPDX-License-Identifier: GPL-3.0-or-later
// Writes surfaces as BMP files: uncompressed, 24 bits per pixel, rows stored
// bottom-up with a plain 40-byte info header, the variant every BMP reader
// takes. The game's archive builder stores all its pictures this way.
#pragma once

#include <vector>

#include "platform/Surface.h"

class BmpWriter {
public:
    // The whole file in memory; empty when the surface is empty or the
    // encoder fails.
    static std::vector<unsigned char> Encode(const Surface& surface);
};
