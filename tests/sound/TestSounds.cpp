// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSounds.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

void PutLittle(Bytes& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; i++) out.push_back(std::uint8_t(value >> (8 * i)));
}

void PutBig16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = std::uint8_t(value >> 8);
    at[1] = std::uint8_t(value);
}

void PutText(Bytes& out, const char* text)
{
    out.insert(out.end(), text, text + std::strlen(text));
}

// One cell of a MOD pattern.
void PutNote(std::uint8_t* cell, int sample, int period, int effect, int parameter)
{
    cell[0] = std::uint8_t((sample & 0xF0) | ((period >> 8) & 0x0F));
    cell[1] = std::uint8_t(period & 0xFF);
    cell[2] = std::uint8_t(((sample & 0x0F) << 4) | (effect & 0x0F));
    cell[3] = std::uint8_t(parameter);
}

} // namespace

Bytes MakeSineWav(int toneHz, int milliseconds, int rate)
{
    const std::uint32_t frames = std::uint32_t(rate) * std::uint32_t(milliseconds) / 1000;
    const std::uint32_t dataSize = frames * 2;
    Bytes out;
    PutText(out, "RIFF");
    PutLittle(out, 36 + dataSize, 4);
    PutText(out, "WAVEfmt ");
    PutLittle(out, 16, 4);           // size of the format chunk
    PutLittle(out, 1, 2);            // PCM
    PutLittle(out, 1, 2);            // mono
    PutLittle(out, std::uint32_t(rate), 4);
    PutLittle(out, std::uint32_t(rate) * 2, 4);
    PutLittle(out, 2, 2);            // bytes per frame
    PutLittle(out, 16, 2);           // bits per sample
    PutText(out, "data");
    PutLittle(out, dataSize, 4);
    for (std::uint32_t i = 0; i < frames; i++) {
        double value = 16000.0 * std::sin(2.0 * std::numbers::pi * toneHz * i / rate);
        PutLittle(out, std::uint32_t(std::int16_t(std::lround(value))) & 0xFFFF, 2);
    }
    return out;
}

Bytes MakeLoopingMod()
{
    constexpr std::size_t kSampleHeaders = 20;
    constexpr std::size_t kSongLength = 950;
    constexpr std::size_t kOrders = 952;
    constexpr std::size_t kSignature = 1080;
    constexpr std::size_t kPatterns = 1084;
    constexpr std::size_t kPatternSize = 64 * 4 * 4;
    constexpr std::size_t kWaveBytes = 32;

    Bytes out(kPatterns + kPatternSize + kWaveBytes, 0);
    std::memcpy(out.data(), "test song", 9);

    // Sample 1: one cycle of a sine, looped over its whole length, full volume.
    std::uint8_t* header = out.data() + kSampleHeaders;
    std::memcpy(header, "tone", 4);
    PutBig16(header + 22, kWaveBytes / 2);  // length in words
    header[25] = 64;                        // volume
    PutBig16(header + 26, 0);               // loop start
    PutBig16(header + 28, kWaveBytes / 2);  // loop length

    out[kSongLength] = 1;
    out[kSongLength + 1] = 127;
    out[kOrders] = 0;                       // the one order plays pattern 0
    std::memcpy(out.data() + kSignature, "M.K.", 4);

    // At the default speed a row lasts 0.12 s: row 0 starts C-3, row 1 ends
    // the pattern and with it the song.
    std::uint8_t* pattern = out.data() + kPatterns;
    PutNote(pattern, 1, 428, 0, 0);
    constexpr int kPatternBreak = 0xD;
    PutNote(pattern + 16 + 4, 0, 0, kPatternBreak, 0);

    std::uint8_t* wave = out.data() + kPatterns + kPatternSize;
    for (std::size_t i = 0; i < kWaveBytes; i++)
        wave[i] = std::uint8_t(std::int8_t(std::lround(100.0 * std::sin(2.0 * std::numbers::pi * double(i) / kWaveBytes))));
    return out;
}
