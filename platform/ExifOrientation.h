// SPDX-License-Identifier: GPL-3.0-or-later
// The orientation a camera records with a photograph (1 = upright, 2..8 =
// mirrored and/or turned, as numbered by Exif), and turning a decoded picture
// upright by it.
#pragma once

#include <cstddef>

#include "platform/Surface.h"

namespace ExifOrientation {

// Reads the orientation from an Exif block: a TIFF structure, with or without
// the "Exif\0\0" that JPEG and WebP put before it. 1 when there is none, the
// block is damaged or the value makes no sense.
int FromExif(const unsigned char* data, std::size_t size);

// Orientations 5 to 8 turn the picture by a quarter: width and height swap.
inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// The upright form of a picture as decoded.
void Apply(const Surface& raw, int orientation, Surface& out);

}  // namespace ExifOrientation
