// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PictureScaler.h"

#include "platform/AreaReducer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#pragma GCC diagnostic pop

namespace {

// Every pixel weighed from the source pixels around it, whichever way the
// picture changes size; empty when the filter could not get its memory.
Surface Filtered(const Surface& picture, int width, int height)
{
    Surface result(width, height);
    // Four bytes a pixel, red first; the unused top byte rides along as a
    // fourth colour channel that stays zero.
    const auto* from = reinterpret_cast<const unsigned char*>(picture.Pixels());
    auto* to = reinterpret_cast<unsigned char*>(result.Pixels());
    const int ok = stbir_resize_uint8_generic(from, picture.Width(), picture.Height(),
                                              picture.Width() * static_cast<int>(sizeof(Colour)), to, width, height,
                                              width * static_cast<int>(sizeof(Colour)), 4, STBIR_ALPHA_CHANNEL_NONE, 0,
                                              STBIR_EDGE_CLAMP, STBIR_FILTER_MITCHELL, STBIR_COLORSPACE_SRGB, nullptr);
    if (!ok) return {};
    Colour* pixel = result.Pixels();
    for (long long i = 0, n = static_cast<long long>(width) * height; i < n; ++i) pixel[i] &= 0xFFFFFF;
    return result;
}

Surface Nearest(const Surface& picture, int width, int height)
{
    Surface result(width, height);
    result.StretchBlit(0, 0, width, height, picture, 0, 0, picture.Width(), picture.Height());
    return result;
}

}  // namespace

Surface PictureScaler::Resize(const Surface& picture, int width, int height)
{
    if (picture.IsEmpty() || width <= 0 || height <= 0) return {};
    if (width >= picture.Width() && height >= picture.Height()) return Nearest(picture, width, height);
    Surface result = Filtered(picture, width, height);
    // Only its own memory can fail the filter: the nearest pixels still give a picture.
    return result.IsEmpty() ? Nearest(picture, width, height) : result;
}

Surface PictureScaler::ReduceByArea(const Surface& picture, int width, int height)
{
    if (picture.IsEmpty() || width <= 0 || height <= 0) return {};
    if (width > picture.Width() || height > picture.Height()) return Nearest(picture, width, height);
    return AreaReducer::Reduce(picture, width, height);
}

Surface PictureScaler::ResizeSmooth(const Surface& picture, int width, int height)
{
    if (picture.IsEmpty() || width <= 0 || height <= 0) return {};
    if (width == picture.Width() && height == picture.Height()) return Nearest(picture, width, height);
    Surface result = Filtered(picture, width, height);
    return result.IsEmpty() ? Nearest(picture, width, height) : result;
}
