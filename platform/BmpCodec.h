// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes BMP files: 1, 2, 4, 8, 16, 24 and 32 bits per pixel, with or without a
// colour table or bit masks, RLE4 and RLE8, rows stored bottom-up or top-down.
// A damaged or truncated file is reported, never read past.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Surface.h"

class BmpCodec {
public:
    // Largest picture accepted, so that a damaged header cannot ask for
    // gigabytes: 64 megapixels and 32768 pixels a side.
    static constexpr long long kMaxPixels = 64LL << 20;
    static constexpr int kMaxSide = 32768;

    // Decodes a whole BMP file held in memory into `out`, top row first
    // whatever the row order of the file, so the height is always positive.
    // On failure `out` is left as it was and `reason` (when given) says what
    // is wrong with the file.
    static bool Decode(const void* data, std::size_t size, Surface& out, std::string* reason = nullptr,
                       long long maxPixels = kMaxPixels);
};
