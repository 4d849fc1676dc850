// SPDX-License-Identifier: GPL-3.0-or-later
// A screenshot of the whole virtual screen, read from a binary PPM file or
// straight from the X server.
#pragma once

#include <optional>
#include <string>

#include "platform/Surface.h"

class Screenshot {
public:
    // A P6 file with 8-bit channels.
    static std::optional<Screenshot> FromPpm(const std::string& bytes);
    // The root window of the X display named (":99").
    static std::optional<Screenshot> FromDisplay(const std::string& displayName);

    int Width() const { return pixels.Width(); }
    int Height() const { return pixels.Height(); }
    // A game colour (red in the low byte); kInvalidColour outside.
    Colour At(int x, int y) const { return pixels.GetPixel(x, y); }
    // Whether the run of `count` pixels from (x, y) on one row is the same in
    // both shots: quick enough for a whole screen in a debug build.
    bool SameRun(const Screenshot& other, int x, int y, int count) const;
    // Every pixel of the rectangle has the colour.
    bool IsAll(int x, int y, int width, int height, Colour colour) const;

private:
    Surface pixels;
};
