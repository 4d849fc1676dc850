// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes BMP files: 1, 2, 4, 8, 16, 24 and 32 bits per pixel, with or without a
// colour table or bit masks, RLE4 and RLE8, rows stored bottom-up or top-down.
// A damaged or truncated file is reported, never read past.
#pragma once

#include <cstddef>
#include <functional>
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

    // The file's next `count` bytes into `buffer`; answers how many came
    // (fewer only at its end, or when it cannot be read).
    using ByteReader = std::function<std::size_t(unsigned char* buffer, std::size_t count)>;
    // Decodes a BMP file of `size` bytes read through `read`, as Decode does.
    // Plain 24-bit pictures (the game's own art) go straight into `out` a row
    // at a time, so a frame-sized picture never has the file and a second
    // copy of its pixels beside it; any other kind is read whole for Decode.
    // The whole file is read either way (an archive checks its entry at the end).
    static bool DecodeStream(const ByteReader& read, std::size_t size, Surface& out, std::string* reason = nullptr,
                             long long maxPixels = kMaxPixels);
};
