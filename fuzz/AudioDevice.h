// SPDX-License-Identifier: GPL-3.0-or-later
// The audio layer on SDL's silent output device, for the sound fuzz programs.
// The layer keeps a record of everything loaded until it is closed, so the
// device is closed and opened again every few thousand inputs.
#pragma once

#include <cstdlib>

#include "FuzzHarness.h"
#include "platform/MixerAudio.h"

inline MixerAudio& SilentAudio()
{
    static MixerAudio audio;
    static int uses = 0;
    constexpr int kUsesPerOpening = 4096;
    if (uses++ % kUsesPerOpening == 0) {
        if (uses > 1) audio.Free();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!audio.Init(44100)) FuzzHarness::Finding("the silent audio device does not open");
    }
    return audio;
}
