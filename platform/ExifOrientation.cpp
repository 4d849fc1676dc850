// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExifOrientation.h"

#include <cstring>

namespace ExifOrientation {

namespace {

constexpr unsigned kOrientationTag = 0x0112;

}  // namespace

int FromExif(const unsigned char* data, std::size_t size)
{
    if (!data) return 1;
    if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
        data += 6;
        size -= 6;
    }
    if (size < 8) return 1;
    const bool little = data[0] == 'I' && data[1] == 'I';
    if (!little && !(data[0] == 'M' && data[1] == 'M')) return 1;
    auto u16 = [&](std::size_t at) -> unsigned {
        return little ? data[at] | data[at + 1] << 8 : data[at] << 8 | data[at + 1];
    };
    auto u32 = [&](std::size_t at) -> std::size_t {
        return little ? u16(at) | static_cast<std::size_t>(u16(at + 2)) << 16
                      : static_cast<std::size_t>(u16(at)) << 16 | u16(at + 2);
    };
    const std::size_t directory = u32(4);
    if (directory > size || size - directory < 2) return 1;
    const unsigned entries = u16(directory);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * static_cast<std::size_t>(i);
        if (entry + 12 > size) break;
        if (u16(entry) != kOrientationTag) continue;
        const unsigned value = u16(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

void Apply(const Surface& raw, int orientation, Surface& out)
{
    const int w = raw.Width(), h = raw.Height();
    out = SwapsSides(orientation) ? Surface(h, w) : Surface(w, h);
    for (int y = 0; y < out.Height(); ++y) {
        Colour* to = out.Row(y);
        for (int x = 0; x < out.Width(); ++x) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2: sx = w - 1 - x; break;
            case 3: sx = w - 1 - x; sy = h - 1 - y; break;
            case 4: sy = h - 1 - y; break;
            case 5: sx = y; sy = x; break;
            case 6: sx = y; sy = h - 1 - x; break;
            case 7: sx = w - 1 - y; sy = h - 1 - x; break;
            case 8: sx = w - 1 - y; sy = x; break;
            default: break;
            }
            to[x] = raw.Row(sy)[sx];
        }
    }
}

}  // namespace ExifOrientation
