// SPDX-License-Identifier: GPL-3.0-or-later
// Writes pictures as BMP files of every kind the game may meet, so the
// decoder can be checked against files whose every byte the test knows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Surface.h"

enum class BmpCompression { None, Rle, Bitfields };

struct BmpOptions {
    int bitCount = 24;       // 1, 2, 4, 8, 16, 24 or 32
    bool topDown = false;    // rows stored top first, with a negative height
    BmpCompression compression = BmpCompression::None;  // Rle: RLE8 or RLE4 by bitCount
    int headerSize = 40;     // 12 (the old OS/2 header), 40, 108 or 124
    bool swappedMasks = false;  // 32-bit bit fields with red in the low byte
};

class BmpWriter {
public:
    // The picture as a BMP file. Paletted depths take their colour table from
    // the picture's colours in order of first appearance, so the picture may
    // hold no more colours than the depth allows.
    static std::vector<std::uint8_t> Write(const Surface& picture, const BmpOptions& options);
    // The colour a pixel comes back as: 16-bit files keep 5 or 6 bits a channel.
    static Colour RoundTrip(Colour colour, const BmpOptions& options);
};
