// SPDX-License-Identifier: GPL-3.0-or-later
// The sound loader over any bytes, as the sound manager hands an effect such
// as "Sounds/Button.wav" to the audio layer: it decodes or is refused with a
// format error, and a decoded effect plays and is freed.
#include <cstdint>

#include "AudioDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHarness::BeginInput();
    MixerAudio& audio = SilentAudio();
    constexpr int kPlaybacks = 4;
    const AudioHandle sample = audio.LoadSample(data, size, kPlaybacks);
    if (sample == 0) {
        if (audio.GetErrorCode() != AUDIO_ERROR_FORMAT) FuzzHarness::Finding("a refused sound is not a format error");
        return 0;
    }
    const AudioHandle channel = audio.PlaySample(sample);
    if (channel == 0) FuzzHarness::Finding("a decoded sound does not play");
    audio.FreeSample(sample);
    if (audio.ChannelIsActive(channel)) FuzzHarness::Finding("a freed sound still plays");
    return 0;
}
