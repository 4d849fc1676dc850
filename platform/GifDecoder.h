// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes the first frame of a GIF held in memory, through giflib: the
// picture a still GIF shows and an animation starts with. Nothing after that
// frame is read. Transparent pixels show a backdrop colour, so the picture
// comes out opaque. Fails with the library's own words, never ends the program.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/Surface.h"

class GifDecoder {
public:
    // maxPixels: what the caller reckoned memory for; a larger frame is refused.
    // Decoding stops at the next row once `stop` is set.
    static bool Decode(const void* data, std::size_t size, long long maxPixels, Colour backdrop, Surface& out,
                       std::string& error, const std::atomic<bool>* stop = nullptr);
};
