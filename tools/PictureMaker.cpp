// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/PictureMaker.h"

#include <algorithm>
#include <cmath>

#include "platform/JpegDecoder.h"

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>

bool PictureMaker::Make(const std::string& jpegPath, int longerSide, Surface& out, std::string& error)
{
    JpegDecoder decoder;
    Surface full;
    bool decoded = decoder.Init() && decoder.ReadHeader(jpegPath.c_str()) && decoder.ReadImage(full);
    if (!decoded) {
        error = jpegPath + ": " + decoder.ErrorMessage();
        return false;
    }
    int width = full.Width(), height = full.Height();
    double scale = static_cast<double>(longerSide) / std::max(width, height);
    int outWidth = width >= height ? longerSide : std::max(1, static_cast<int>(std::lround(width * scale)));
    int outHeight = height >= width ? longerSide : std::max(1, static_cast<int>(std::lround(height * scale)));

    // Four bytes a pixel, red first; the unused top byte rides along as a
    // fourth channel and stays zero.
    Surface reduced(outWidth, outHeight);
    int ok = stbir_resize_uint8_srgb(reinterpret_cast<const unsigned char*>(full.Pixels()), width, height, width * 4,
                                     reinterpret_cast<unsigned char*>(reduced.Pixels()), outWidth, outHeight,
                                     outWidth * 4, 4, STBIR_ALPHA_CHANNEL_NONE, 0);
    if (!ok) {
        error = jpegPath + ": resampling failed";
        return false;
    }
    for (int y = 0; y < outHeight; ++y)
        for (Colour* p = reduced.Row(y); p != reduced.Row(y) + outWidth; ++p) *p &= 0xFFFFFF;
    LiftBlack(reduced);
    out = std::move(reduced);
    return true;
}

void PictureMaker::LiftBlack(Surface& surface)
{
    for (int y = 0; y < surface.Height(); ++y)
        for (Colour* p = surface.Row(y); p != surface.Row(y) + surface.Width(); ++p)
            if ((*p & 0xFFFFFF) == kBlack) *p = MakeColour(1, 1, 1);
}
