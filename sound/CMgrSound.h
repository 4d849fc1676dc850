// SPDX-License-Identifier: GPL-3.0-or-later
// The game's sound effects and its one background music. Every sound file is
// read once and kept for the run, named by its file name at every call.
// Effects are queued into playback slots and started by the per-frame Update;
// without an audio device the manager stays silent and every call returns at
// once.
#pragma once

#include <string>
#include <vector>

#include "platform/AudioLibrary.h"

class CMgrSound {
public:
    static constexpr int kSlotCount = 48;
    // Slots below this one are never handed out for effects.
    static constexpr int kFirstEffectSlot = 16;
    // How many playbacks of one effect may sound at once.
    static constexpr int kPlaybacksPerSample = 4;

    // A queued or playing effect.
    struct Slot {
        int sampleIndex = -1;   // -1: the slot is free
        AudioHandle channel = 0;// 0: queued, not started yet
    };

    CMgrSound();
    // Test hook: runs over another audio library.
    explicit CMgrSound(AudioLibrary& library);

    void Init();
    void Shutdown();
    void LogDeviceInfo();
    void SetSoundVolume(int volume);
    void SetMusicVolume(int volume);

    int FindSample(const char* fileName) const;
    int LoadSample(const char* fileName);
    int PlaySample(int index);
    void Update();
    void FreeSample(int index);

    int FindMusic(const char* fileName) const;
    int LoadMusic(const char* fileName);
    // Starts the music; while the music is switched off it waits, paused.
    void PlayMusic(int index);
    // The player's switch for the music (the key M); the effects stay on.
    bool IsMusicOn() const { return musicOn; }
    void SetMusicOn(bool on);
    void FreeMusic(int index);

    bool IsSilent() const { return silent; }
    const Slot& GetSlot(int slot) const { return slots[slot]; }
    int GetCurrentMusic() const { return currentMusic; }
    int GetSoundVolume() const { return soundVolume; }
    int GetMusicVolume() const { return musicVolume; }

private:
    // One loaded file; the record stays (its handle 0 once freed) so that
    // indices handed out keep their meaning.
    struct Record {
        AudioHandle handle = 0;
        std::string fileName;
    };

    static int FindRecord(const std::vector<Record>& records, const char* fileName);
    std::vector<unsigned char> ReadWholeFile(const char* fileName);
    void StartOrRecycle(Slot& slot);
    void StartCurrentMusic();
    bool IsSample(int index) const { return index >= 0 && index < int(samples.size()); }
    bool IsMusic(int index) const { return index >= 0 && index < int(musics.size()); }

    AudioLibrary& library;
    bool silent = false;
    // Whether the device was opened and has yet to be closed.
    bool open = false;
    Slot slots[kSlotCount];
    std::vector<Record> samples;
    std::vector<Record> musics;
    int currentMusic = -1;
    int mixRate = 44100;
    int soundVolume = 100;
    // Half the effects' level and less: every effect is heard clearly over it.
    int musicVolume = 40;
    bool musicOn = true;
    // The current music was handed to the library (it may be paused since).
    bool musicStarted = false;
};

extern CMgrSound SoundMgr;
