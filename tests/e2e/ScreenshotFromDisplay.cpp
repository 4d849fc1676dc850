// SPDX-License-Identifier: GPL-3.0-or-later
// A screenshot read straight from the X server: a few milliseconds where a
// screenshot tool takes a tenth of a second, so that tests which must see the
// screen between two seconds of the game's clock can, even on a busy machine.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "Screenshot.h"

namespace {

// The shift that brings the top bits of a channel's mask to bits 0..7.
int ChannelShift(unsigned long mask)
{
    int shift = 0;
    while (mask > 0xFF) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

std::optional<Screenshot> Screenshot::FromDisplay(const std::string& displayName)
{
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(displayName.c_str()), XCloseDisplay);
    if (!display) return std::nullopt;
    const Window root = DefaultRootWindow(display.get());
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display.get(), root, &attributes)) return std::nullopt;
    // XDestroyImage is a macro: it needs a function around it.
    std::unique_ptr<XImage, void (*)(XImage*)> image(
        XGetImage(display.get(), root, 0, 0, static_cast<unsigned>(attributes.width),
                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap),
        [](XImage* grabbed) { XDestroyImage(grabbed); });
    if (!image || image->red_mask == 0 || image->green_mask == 0 || image->blue_mask == 0) return std::nullopt;
    const int redShift = ChannelShift(image->red_mask), greenShift = ChannelShift(image->green_mask),
              blueShift = ChannelShift(image->blue_mask);
    Screenshot shot;
    shot.pixels = Surface(image->width, image->height);
    auto colourOf = [&](unsigned long pixel) {
        return MakeColour(static_cast<int>((pixel & image->red_mask) >> redShift),
                          static_cast<int>((pixel & image->green_mask) >> greenShift),
                          static_cast<int>((pixel & image->blue_mask) >> blueShift));
    };
    // The usual 32-bit pixels in this machine's byte order are read row by
    // row: a shot stays quick in a debug build too.
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                        std::endian::native == std::endian::little;
    for (int y = 0; y < image->height; ++y) {
        Colour* row = shot.pixels.Row(y);
        const char* data = image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
        for (int x = 0; x < image->width; ++x) {
            std::uint32_t pixel = 0;
            if (direct)
                std::memcpy(&pixel, data + static_cast<std::ptrdiff_t>(x) * 4, sizeof pixel);
            row[x] = colourOf(direct ? pixel : XGetPixel(image.get(), x, y));
        }
    }
    return shot;
}
