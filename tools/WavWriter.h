// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes audio as a WAV file: 16-bit PCM, interleaved channels.
#pragma once

#include <vector>

class WavWriter {
public:
    // samples holds frames of `channels` values each, nominally within -1..1;
    // values beyond are clamped. Answers the whole file.
    static std::vector<unsigned char> Encode(const std::vector<float>& samples, int channels, int sampleRate);
};
