// SPDX-License-Identifier: GPL-3.0-or-later
// The music loader over any bytes, as the sound manager hands "Sounds/music.trk"
// to the audio layer: the format check decides whether the bytes are a tracker
// module at all, and only then does the module decoder see them. Nothing the
// check refuses may load, everything that loads must play; nothing may crash.
#include <cstdint>

#include "AudioDevice.h"
#include "platform/TrackerFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHarness::BeginInput();
    MixerAudio& audio = SilentAudio();
    const TrackerFormat format = DetectTrackerFormat(data, size);
    const AudioHandle music = audio.LoadMusic(data, size);
    if (music == 0) {
        if (audio.GetErrorCode() != AUDIO_ERROR_FORMAT) FuzzHarness::Finding("a refused module is not a format error");
        return 0;
    }
    if (format == TrackerFormat::Unknown) FuzzHarness::Finding("music loaded that the format check refuses");
    if (!audio.PrepareMusic(music)) FuzzHarness::Finding("a loaded music cannot be prepared");
    // The game ends with a critical error when its music does not start.
    if (!audio.PlayMusic(music)) FuzzHarness::Finding("a loaded music does not play");
    audio.FreeMusic(music);
    return 0;
}
