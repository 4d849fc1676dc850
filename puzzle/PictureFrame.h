// SPDX-License-Identifier: GPL-3.0-or-later
// The frame of the picture window, made to the shape of the picture it holds.
//
// The frame's art is drawn once, for a square picture of 224 units: rounded
// corners, a title strip with a caption between two pairs of grip lines, and
// a dark bed under the picture. A picture of another shape gets a frame of
// its own size, cut from that art: the corners and the caption stay as they
// are, columns where the title strip repeats itself (the grip lines, the
// plain strip beside the caption) go or repeat, and the rows of the bed are
// taken evenly from the art's, so the frame's side shading keeps its course.
// Only a picture narrower than the caption costs the caption its outer
// columns. All this at the art's own scale, pixel by pixel.
#pragma once

#include "platform/Surface.h"

namespace PictureFrame {

// Where the picture lies inside its frame, in units: the frame reaches this
// far past it on the left and right, above it (the title strip) and below.
inline constexpr int kSide = 4;
inline constexpr int kTop = 15;
inline constexpr int kBottom = 4;

// The art fitted to a frame of width x height units, at the art's scale.
Surface Fit(const Surface& art, int width, int height);

}  // namespace PictureFrame
