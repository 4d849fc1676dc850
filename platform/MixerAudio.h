// SPDX-License-Identifier: GPL-3.0-or-later
// The game's audio over SDL_mixer: effects on a growing pool of mixing
// channels, at most a few playbacks of each effect at once, and one looping
// tracker music.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/AudioLibrary.h"

struct Mix_Chunk;
struct _Mix_Music;

class MixerAudio final : public AudioLibrary {
public:
    // The one instance that owns the process's audio device.
    static MixerAudio& System();

    MixerAudio() = default;
    MixerAudio(const MixerAudio&) = delete;
    MixerAudio& operator=(const MixerAudio&) = delete;

    int GetVersion() override;
    bool Init(int frequency) override;
    bool GetInfo(AudioDeviceInfo& info) override;
    void SetEffectVolume(int volume) override;
    void SetMusicVolume(int volume) override;
    AudioHandle LoadSample(const void* data, std::size_t length, int maxPlaybacks) override;
    AudioHandle PlaySample(AudioHandle sample) override;
    bool ChannelIsActive(AudioHandle channel) override;
    void FreeSample(AudioHandle sample) override;
    AudioHandle LoadMusic(const void* data, std::size_t length) override;
    bool PrepareMusic(AudioHandle music) override;
    bool PlayMusic(AudioHandle music) override;
    void PauseMusic() override;
    void ResumeMusic() override;
    void FreeMusic(AudioHandle music) override;
    void Stop() override;
    void Free() override;
    int GetErrorCode() override;

private:
    struct Sample {
        Mix_Chunk* chunk = nullptr;
        int maxPlaybacks = 1;
    };
    // One mixing channel. Its handle changes with every playback started on
    // it, so a handle of an earlier playback never passes for a newer one.
    struct Channel {
        AudioHandle sample = 0;
        AudioHandle handle = 0;
        std::uint16_t generation = 0;
        std::uint64_t startOrder = 0;
    };
    struct Music {
        _Mix_Music* music = nullptr;
        // The decoder may read the module while it plays: the bytes live as
        // long as the music.
        std::unique_ptr<std::uint8_t[]> bytes;
    };

    bool Succeed();
    bool Fail(int code);
    Sample* FindSample(AudioHandle sample);
    Music* FindMusic(AudioHandle music);
    int ChannelForNewPlayback(AudioHandle sample, int maxPlaybacks);
    int FindIdleChannel();
    void GrowChannels();
    void FreeEverything();

    bool open = false;
    int lastError = AUDIO_OK;
    std::vector<Sample> samples;
    std::vector<Channel> channels;
    std::vector<Music> musics;
    std::uint64_t playbacksStarted = 0;
};
