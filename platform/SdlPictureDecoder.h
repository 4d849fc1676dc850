// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes PNG, BMP and TGA pictures held in
// memory, through the SDL picture library. Transparent parts are laid over a
// backdrop colour, so the picture comes out opaque. Fails with the library's
// own words, never ends the program.
#pragma once

#include <cstddef>
#include <string>

#include "platform/PictureHeader.h"
#include "platform/Surface.h"

class SdlPictureDecoder {
public:
    // True for the formats this decoder reads.
    static bool Reads(PictureFormat format);
    // Sets SDL's allocator cap once; on the frame thread before any decoding
    // thread starts, so that no thread changes it while another allocates.
    static void Prepare();
    static bool Decode(const void* data, std::size_t size, PictureFormat format, Colour backdrop, Surface& out,
                       std::string& error);
};
