// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WavFormat.h"

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t Little32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t Little16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kSmallestFormat = 16;

}  // namespace

bool IsPlausibleWav(const void* data, std::size_t length, int outputRate, std::size_t budget)
{
    if (!data || length < 12 || outputRate <= 0) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) return false;

    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    bool haveFormat = false;
    std::uint64_t dataBytes = 0;
    bool haveData = false;
    // Every chunk, padded to an even length, must lie inside the file.
    for (std::size_t at = 12; at < length;) {
        if (length - at < kChunkHeader) return false;
        const std::uint64_t size = Little32(bytes + at + 4);
        const std::size_t body = at + kChunkHeader;
        if (size > length - body) return false;
        if (std::memcmp(bytes + at, "fmt ", 4) == 0) {
            if (size < kSmallestFormat) return false;
            channels = Little16(bytes + body + 2);
            rate = Little32(bytes + body + 4);
            haveFormat = true;
        } else if (std::memcmp(bytes + at, "data", 4) == 0) {
            dataBytes += size;
            haveData = true;
        }
        at = body + static_cast<std::size_t>(size) + (size & 1);
    }
    if (!haveFormat || !haveData || channels == 0 || rate == 0) return false;

    // No format the mixer reads packs more than two samples into a byte
    // (4-bit ADPCM); each frame comes out as two 16-bit samples at the
    // output's rate.
    const std::uint64_t frames = dataBytes * 2 / channels;
    const std::uint64_t converted = frames * static_cast<std::uint64_t>(outputRate) / rate * 4;
    return converted <= budget;
}
