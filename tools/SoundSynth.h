// SPDX-License-Identifier: GPL-3.0-or-later
// The game's three sound effects, synthesised: stereo frames at kSampleRate,
// peaks below full scale, a short fade at each end so nothing clicks.
#pragma once

#include <vector>

class SoundSynth {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;

    // A soft, short tick for the cursor entering a button.
    static std::vector<float> HoverClick();
    // A crisp cardboard snap with a woody knock: two pieces joining.
    static std::vector<float> PieceSnap();
    // A short brass fanfare with a sparkle on top: the puzzle is solved.
    static std::vector<float> Fanfare();
};
