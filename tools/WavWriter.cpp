// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

void PutU32(std::vector<unsigned char>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutU16(std::vector<unsigned char>& out, std::uint16_t value)
{
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void PutTag(std::vector<unsigned char>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(tag[i]));
}

}  // namespace

std::vector<unsigned char> WavWriter::Encode(const std::vector<float>& samples, int channels, int sampleRate)
{
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * 2);
    std::vector<unsigned char> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    PutU32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);  // PCM
    PutU16(out, static_cast<std::uint16_t>(channels));
    PutU32(out, static_cast<std::uint32_t>(sampleRate));
    PutU32(out, static_cast<std::uint32_t>(sampleRate) * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, 16);
    PutTag(out, "data");
    PutU32(out, dataBytes);
    for (float sample : samples) {
        long value = std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
        PutU16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
    return out;
}
