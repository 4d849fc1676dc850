// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes a TIFF held in memory through libtiff: its first picture, as red,
// green and blue over a backdrop colour. The library's errors and warnings
// come through handlers of this decoder's own; any error refuses the picture,
// so that a file cut short or damaged never comes out with rows made up. The
// library allocates no single block beyond the memory budget, whatever sizes
// the file gives its strips and tiles. The library mirrors the picture by its
// orientation tag itself; the quarter turns are left to the caller.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Surface.h"

class TiffDecoder {
public:
    // `maxPixels`: the size the header gave; a larger picture is refused.
    static bool Decode(const void* data, std::size_t size, long long maxPixels, Colour backdrop, Surface& out,
                       std::string& error);
};
