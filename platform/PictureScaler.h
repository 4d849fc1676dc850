// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures brought to another size. Reducing a photograph by picking one
// source pixel per target pixel turns fine detail (fabric, brick, grass,
// stripes) into false patterns; here every reduced pixel is a weighted
// average of the source pixels it covers.
#pragma once

#include "platform/Surface.h"

class PictureScaler {
public:
    // The whole picture at width x height. Where it gets smaller on either
    // side, each pixel is filtered from the source pixels under it (a
    // Mitchell filter, in linear light so that averages keep their
    // brightness). Where it only grows or keeps its size, each pixel is the
    // source pixel under its centre: a same-size copy is exact. An empty
    // picture or size gives an empty surface.
    static Surface Resize(const Surface& picture, int width, int height);
    // The same filter where the picture grows too: a picture smaller than
    // the pixels it is shown on comes out smooth rather than in blocks. A
    // same-size copy is exact.
    static Surface ResizeSmooth(const Surface& picture, int width, int height);
    // A reduction in which each pixel is the average of the source area it
    // covers (a box filter, exact to a 256th of a pixel at its edges), made
    // in bands on the processor's cores: many times faster than the filter
    // above on a photo of tens of megapixels, and as good where the picture
    // shrinks by less than half. Growing sides take the pixel under the centre.
    static Surface ReduceByArea(const Surface& picture, int width, int height);
};
