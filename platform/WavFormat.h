// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a block of bytes is a sound the audio layer may hand to the mixer:
// a RIFF WAVE file whose chunks all lie inside it, with a format and a data
// chunk, and whose sound, converted to the output's rate in 16-bit stereo,
// fits a budget. The mixer's own reader believes the sizes a header claims
// and allocates them, so a damaged 100-byte file could ask for gigabytes.
#pragma once

#include <cstddef>

// A sound effect decodes to at most this many bytes: minutes of sound.
constexpr std::size_t kLargestDecodedSound = 32u << 20;

bool IsPlausibleWav(const void* data, std::size_t length, int outputRate,
                    std::size_t budget = kLargestDecodedSound);
