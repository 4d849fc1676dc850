// SPDX-License-Identifier: GPL-3.0-or-later
#include "Screenshot.h"

#include <cctype>
#include <cstddef>
#include <cstring>

namespace {

// Reads the next number of a PPM header, skipping white space and comments.
bool ReadNumber(const std::string& bytes, std::size_t& at, int& value)
{
    while (at < bytes.size()) {
        if (bytes[at] == '#') {
            while (at < bytes.size() && bytes[at] != '\n') ++at;
        } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
            ++at;
        } else {
            break;
        }
    }
    std::size_t start = at;
    value = 0;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && at - start < 6) {
        value = value * 10 + (bytes[at] - '0');
        ++at;
    }
    return at > start;
}

}  // namespace

std::optional<Screenshot> Screenshot::FromPpm(const std::string& bytes)
{
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::nullopt;
    std::size_t at = 2;
    int width = 0, height = 0, maxValue = 0;
    if (!ReadNumber(bytes, at, width) || !ReadNumber(bytes, at, height) || !ReadNumber(bytes, at, maxValue)) {
        return std::nullopt;
    }
    ++at;  // the single white-space character before the pixels
    if (maxValue != 255 || width <= 0 || height <= 0 ||
        bytes.size() < at + static_cast<std::size_t>(width) * height * 3) {
        return std::nullopt;
    }
    Screenshot shot;
    shot.pixels = Surface(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto* rgb = reinterpret_cast<const unsigned char*>(&bytes[at + (static_cast<std::size_t>(y) * width + x) * 3]);
            shot.pixels.SetPixel(x, y, MakeColour(rgb[0], rgb[1], rgb[2]));
        }
    }
    return shot;
}

bool Screenshot::SameRun(const Screenshot& other, int x, int y, int count) const
{
    if (x < 0 || y < 0 || count < 0 || x + count > Width() || x + count > other.Width() || y >= Height() ||
        y >= other.Height())
        return false;
    return std::memcmp(pixels.Row(y) + x, other.pixels.Row(y) + x, static_cast<std::size_t>(count) * sizeof(Colour)) ==
           0;
}

bool Screenshot::IsAll(int x, int y, int width, int height, Colour colour) const
{
    for (int row = y; row < y + height; ++row) {
        for (int col = x; col < x + width; ++col) {
            if (At(col, row) != colour) return false;
        }
    }
    return width > 0 && height > 0;
}
