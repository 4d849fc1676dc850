// SPDX-License-Identifier: GPL-3.0-or-later
// Sound files made on the spot for the tests: a WAV holding a sine tone and a
// small four-channel MOD whose one short pattern plays a sustained note.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// 16-bit mono PCM at the given rate.
Bytes MakeSineWav(int toneHz, int milliseconds, int rate = 22050);

// Plays a looped tone on channel 1 for two rows, then breaks back to the
// start: the whole song lasts ModSongSeconds.
Bytes MakeLoopingMod();
constexpr double kModSongSeconds = 0.24;
