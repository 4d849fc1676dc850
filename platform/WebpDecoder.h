// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes a WebP held in memory through libwebp's own animation decoder, which
// reads still and animated WebP alike: the picture a still WebP shows and the
// first frame of an animation, on its whole canvas. A file whose chunks do not
// all lie whole inside it, or whose frame does not decode, is refused.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Surface.h"

class WebpDecoder {
public:
    // `maxPixels`: the canvas the header gave; a larger one is refused.
    // Transparent parts lie over `backdrop`.
    static bool Decode(const void* data, std::size_t size, long long maxPixels, Colour backdrop, Surface& out,
                       std::string& error);
};
