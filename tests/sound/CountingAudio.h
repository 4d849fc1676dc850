// SPDX-License-Identifier: GPL-3.0-or-later
// An audio library that plays nothing and counts every call made to it: for
// the rules about when the sound manager must leave the library alone.
#pragma once

#include "platform/AudioLibrary.h"

class CountingAudio final : public AudioLibrary {
public:
    int calls = 0;
    int version = kAudioLibraryVersion;
    bool deviceOpens = false;

    int GetVersion() override { ++calls; return version; }
    bool Init(int) override { ++calls; return deviceOpens; }
    bool GetInfo(AudioDeviceInfo&) override { ++calls; return true; }
    void SetEffectVolume(int) override { ++calls; }
    void SetMusicVolume(int) override { ++calls; }
    AudioHandle LoadSample(const void*, std::size_t, int) override { ++calls; return 1; }
    AudioHandle PlaySample(AudioHandle) override { ++calls; return 1; }
    bool ChannelIsActive(AudioHandle) override { ++calls; return false; }
    void FreeSample(AudioHandle) override { ++calls; }
    AudioHandle LoadMusic(const void*, std::size_t) override { ++calls; return 1; }
    bool PrepareMusic(AudioHandle) override { ++calls; return true; }
    bool PlayMusic(AudioHandle) override { ++calls; return true; }
    void PauseMusic() override { ++calls; }
    void ResumeMusic() override { ++calls; }
    void FreeMusic(AudioHandle) override { ++calls; }
    void Stop() override { ++calls; }
    void Free() override { ++calls; }
    int GetErrorCode() override { ++calls; return 0; }
};
