// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "ArchiveReader.h"
#include "resources/ResourceNames.h"

namespace {

std::uint32_t U32(const Bytes& b, std::size_t at)
{
    return at + 4 <= b.size() ? b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24 : 0;
}
std::uint16_t U16(const Bytes& b, std::size_t at)
{
    return at + 2 <= b.size() ? static_cast<std::uint16_t>(b[at] | b[at + 1] << 8) : 0;
}
bool TagAt(const Bytes& b, std::size_t at, const char* tag) { return at + 4 <= b.size() && std::memcmp(&b[at], tag, 4) == 0; }

struct Wav {
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<std::int16_t> samples;
};

// Walks the RIFF chunks; false when the file is not a WAV with fmt and data.
bool ParseWav(const Bytes& file, Wav& wav)
{
    if (!TagAt(file, 0, "RIFF") || !TagAt(file, 8, "WAVE")) return false;
    bool haveFormat = false, haveData = false;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        std::uint32_t size = U32(file, at + 4);
        if (at + 8 + size > file.size()) return false;
        if (TagAt(file, at, "fmt ")) {
            wav.format = U16(file, at + 8);
            wav.channels = U16(file, at + 10);
            wav.rate = static_cast<int>(U32(file, at + 12));
            wav.bits = U16(file, at + 22);
            haveFormat = true;
        } else if (TagAt(file, at, "data")) {
            wav.samples.resize(size / 2);
            std::memcpy(wav.samples.data(), &file[at + 8], wav.samples.size() * 2);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    return haveFormat && haveData;
}

struct SoundCase {
    const char* name;
    double minSeconds, maxSeconds;
};

TEST(ArchiveSounds, EffectsAreAudible16BitPcmWithoutClippingOrClicks)
{
    const SoundCase cases[] = {{res::kSoundButton, 0.02, 0.2},
                               {res::kSoundPieceConnection, 0.08, 0.6},
                               {res::kSoundLevelDone, 1.0, 4.0}};
    for (const SoundCase& sound : cases) {
        const Bytes* file = BuiltArchive().Find(sound.name);
        ASSERT_NE(file, nullptr) << sound.name;
        Wav wav;
        ASSERT_TRUE(ParseWav(*file, wav)) << sound.name;
        EXPECT_EQ(wav.format, 1) << sound.name << ": not PCM";
        EXPECT_EQ(wav.bits, 16) << sound.name;
        EXPECT_EQ(wav.rate, 44100) << sound.name;
        ASSERT_GE(wav.channels, 1);
        ASSERT_FALSE(wav.samples.empty()) << sound.name;
        double seconds = static_cast<double>(wav.samples.size()) / wav.channels / wav.rate;
        EXPECT_GE(seconds, sound.minSeconds) << sound.name;
        EXPECT_LE(seconds, sound.maxSeconds) << sound.name;

        int peak = 0;
        double energy = 0;
        for (std::int16_t s : wav.samples) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
            energy += static_cast<double>(s) * s;
        }
        EXPECT_GE(peak, 3000) << sound.name << " is next to silent";
        EXPECT_LT(peak, 32000) << sound.name << " clips";
        EXPECT_GT(std::sqrt(energy / wav.samples.size()), 100.0) << sound.name;
        // Starts and ends at rest, so it neither clicks on nor off.
        for (int c = 0; c < wav.channels; ++c) {
            EXPECT_LT(std::abs(wav.samples[c]), 300) << sound.name;
            EXPECT_LT(std::abs(wav.samples[wav.samples.size() - wav.channels + c]), 300) << sound.name;
        }
    }
}

// The music is an Impulse Tracker module. Its pattern data are read far
// enough to see that it plays notes, on samples that hold sound, for over a
// minute, and that its last pattern is not a silent one, so the loop
// back to the start has no gap.
class ItModule {
public:
    explicit ItModule(const Bytes& file) : file(file) {}

    bool HasSignature() const { return TagAt(file, 0, "IMPM"); }
    int Speed() const { return file.size() > 0x32 ? file[0x32] : 0; }
    int Tempo() const { return file.size() > 0x33 ? file[0x33] : 0; }
    std::vector<int> Orders() const
    {
        std::vector<int> orders;
        for (int i = 0; i < U16(file, 0x20) && 0xC0u + i < file.size(); ++i) orders.push_back(file[0xC0 + i]);
        return orders;
    }
    int PatternCount() const { return U16(file, 0x26); }
    std::uint32_t PatternOffset(int pattern) const
    {
        return U32(file, 0xC0 + U16(file, 0x20) + 4u * U16(file, 0x22) + 4u * U16(file, 0x24) + 4u * pattern);
    }
    int PatternRows(int pattern) const
    {
        std::uint32_t at = PatternOffset(pattern);
        return at ? U16(file, at + 2) : 64;
    }
    // Notes struck in the pattern (note values 0..119).
    int PatternNotes(int pattern) const
    {
        std::uint32_t at = PatternOffset(pattern);
        if (!at || at + 8 > file.size()) return 0;
        std::size_t end = std::min<std::size_t>(file.size(), at + 8 + U16(file, at));
        int notes = 0, row = 0, rows = U16(file, at + 2);
        unsigned char masks[64] = {};
        for (std::size_t p = at + 8; p < end && row < rows;) {
            unsigned char channelVariable = file[p++];
            if (channelVariable == 0) {
                ++row;
                continue;
            }
            int channel = (channelVariable - 1) & 63;
            if (channelVariable & 0x80) masks[channel] = p < end ? file[p++] : 0;
            unsigned char mask = masks[channel];
            if (mask & 1) notes += p < end && file[p++] < 120;
            if (mask & 2) ++p;
            if (mask & 4) ++p;
            if (mask & 8) p += 2;
        }
        return notes;
    }
    // Samples whose data are not all zero.
    int AudibleSamples() const
    {
        int audible = 0;
        std::uint32_t table = 0xC0 + U16(file, 0x20) + 4u * U16(file, 0x22);
        for (int i = 0; i < U16(file, 0x24); ++i) {
            std::uint32_t header = U32(file, table + 4u * i);
            if (!TagAt(file, header, "IMPS")) continue;
            std::uint32_t length = U32(file, header + 0x30), data = U32(file, header + 0x48);
            bool sixteenBit = file.size() > header + 0x12 && (file[header + 0x12] & 2);
            std::size_t bytes = static_cast<std::size_t>(length) * (sixteenBit ? 2 : 1);
            if (data + bytes > file.size()) continue;
            audible += std::any_of(file.begin() + data, file.begin() + data + bytes, [](unsigned char b) { return b != 0; });
        }
        return audible;
    }

private:
    const Bytes& file;
};

TEST(ArchiveSounds, MusicIsATrackerModuleThatPlaysForOverAMinuteAndLoopsWithoutAGap)
{
    const Bytes* file = BuiltArchive().Find(res::kMusic);
    ASSERT_NE(file, nullptr);
    ItModule module(*file);
    ASSERT_TRUE(module.HasSignature());
    ASSERT_GT(module.Tempo(), 0);
    ASSERT_GT(module.Speed(), 0);

    // The order list up to its end mark: 254 is a marker to skip, 255 the end.
    std::vector<int> played;
    for (int order : module.Orders()) {
        if (order == 255) break;
        if (order == 254) continue;
        ASSERT_LT(order, module.PatternCount());
        played.push_back(order);
    }
    ASSERT_FALSE(played.empty());
    double seconds = 0;
    for (int pattern : played) seconds += module.PatternRows(pattern) * module.Speed() * 2.5 / module.Tempo();
    EXPECT_GE(seconds, 60.0);
    EXPECT_GT(module.PatternNotes(played.front()), 0) << "the music starts with silence";
    EXPECT_GT(module.PatternNotes(played.back()), 0) << "a silent pattern before every repeat";
    EXPECT_GE(module.AudibleSamples(), 2);
}

}  // namespace
