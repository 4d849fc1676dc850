// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/CMgrSound.h"

#include <algorithm>

#include "core/CError.h"
#include "core/CLog.h"
#include "platform/MixerAudio.h"
#include "core/CFile.h"

CMgrSound SoundMgr;

CMgrSound::CMgrSound() : library(MixerAudio::System()) {}

CMgrSound::CMgrSound(AudioLibrary& audioLibrary) : library(audioLibrary) {}

void CMgrSound::Init()
{
    if (library.GetVersion() != kAudioLibraryVersion)
        Error.CriticalError("CMgrSound: Wrong BASS DLL version! You should be using BASS version 2.0\n");
    silent = false;
    if (!library.Init(mixRate)) {
        // No device is no fault: the game plays on without sound.
        silent = true;
        Log.Write("BASS in silent mode\n");
        return;
    }
    open = true;
    Log.Write("BASS uses default device\n");
    LogDeviceInfo();
    SetSoundVolume(soundVolume);
    SetMusicVolume(musicVolume);
}

// Also runs when a critical error ends the game, perhaps before Init or after
// an earlier Shutdown: only a device that is open is touched.
void CMgrSound::Shutdown()
{
    if (!open) return;
    library.Stop();
    for (int index = 0; index < int(samples.size()); index++) FreeSample(index);
    for (int index = 0; index < int(musics.size()); index++) FreeMusic(index);
    library.Free();
    open = false;
    samples.clear();
    musics.clear();
    std::fill(std::begin(slots), std::end(slots), Slot{});
}

void CMgrSound::LogDeviceInfo()
{
    AudioDeviceInfo info;
    library.GetInfo(info);
    if (info.flags & kAudioEmulated)
        Log.Write("BASS: The device's drivers do not have DirectSound support\n");
    else
        Log.Write("BASS: The device's drivers have DirectSound support\n");
    if (info.driver)
        Log.Write("BASS: driver file %s\n", info.driver);
    else
        Log.Write("BASS: No sound driver found\n");
    Log.Write("BASS: Available DirectX %i\n", info.directXVersion);
    Log.Write("BASS: RAM: %i Free Slots: %i\n", info.hardwareMemory, info.freeHardwareSlots);
    Log.Write("BASS: MinRate: %i MaxRate: %i\n", info.minRate, info.maxRate);
    if (info.flags & kAudioAnyRate) Log.Write("BASS: Supports all sample rates\n");
    if (info.flags & kAudioCertified) Log.Write("BASS: The device driver has been certified\n");
}

void CMgrSound::SetSoundVolume(int volume)
{
    if (silent) return;
    soundVolume = std::clamp(volume, 0, 100);
    library.SetEffectVolume(soundVolume);
}

void CMgrSound::SetMusicVolume(int volume)
{
    musicVolume = std::clamp(volume, 0, 100);
    if (!silent) library.SetMusicVolume(musicVolume);
}

int CMgrSound::FindRecord(const std::vector<Record>& records, const char* fileName)
{
    for (int index = 0; index < int(records.size()); index++)
        if (records[std::size_t(index)].fileName == fileName) return index;
    return -1;
}

int CMgrSound::FindSample(const char* fileName) const
{
    return FindRecord(samples, fileName);
}

int CMgrSound::FindMusic(const char* fileName) const
{
    return FindRecord(musics, fileName);
}

std::vector<unsigned char> CMgrSound::ReadWholeFile(const char* fileName)
{
    Log.Write("Load %s\n", fileName);
    if (!DataFile.Open(fileName, FILE_READ)) Error.CriticalError("CMgrSound: Couldn't open file %s!\n", fileName);
    std::vector<unsigned char> bytes(DataFile.GetSize());
    // A damaged entry of the archive reads as nothing (and is logged); a
    // loose file may deliver less than it announced, and the decoder judges
    // what did arrive.
    const std::uint32_t got = bytes.empty() ? 0 : DataFile.Read(bytes.data(), std::uint32_t(bytes.size()));
    DataFile.Close();
    if (got == 0 && !bytes.empty()) Error.CriticalError("CMgrSound: File %s is damaged!\n", fileName);
    bytes.resize(got);
    return bytes;
}

int CMgrSound::LoadSample(const char* fileName)
{
    if (silent) return -1;
    int known = FindSample(fileName);
    if (known >= 0) return known;
    std::vector<unsigned char> bytes = ReadWholeFile(fileName);
    AudioHandle handle = library.LoadSample(bytes.data(), bytes.size(), kPlaybacksPerSample);
    if (handle == 0) Error.CriticalError("CMgrSound:LoadSample error %i\n", library.GetErrorCode());
    samples.push_back(Record{handle, fileName});
    return int(samples.size()) - 1;
}

int CMgrSound::PlaySample(int index)
{
    if (silent || !IsSample(index)) return -1;
    for (int slot = kFirstEffectSlot; slot < kSlotCount; slot++) {
        if (slots[slot].sampleIndex != -1) continue;
        slots[slot] = Slot{index, 0};
        return slot;
    }
    return -1; // every effect slot is busy: this one is dropped
}

void CMgrSound::Update()
{
    if (silent) return;
    for (Slot& slot : slots)
        if (slot.sampleIndex != -1) StartOrRecycle(slot);
}

void CMgrSound::StartOrRecycle(Slot& slot)
{
    if (slot.channel == 0) {
        slot.channel = library.PlaySample(samples[std::size_t(slot.sampleIndex)].handle);
        if (slot.channel == 0) Error.CriticalError("CMgrSound:Update BASS play error %i\n", library.GetErrorCode());
    } else if (!library.ChannelIsActive(slot.channel)) {
        slot = Slot{};
    }
}

void CMgrSound::FreeSample(int index)
{
    if (silent || !IsSample(index)) return;
    Record& record = samples[std::size_t(index)];
    if (record.handle != 0) library.FreeSample(record.handle);
    record.handle = 0;
}

int CMgrSound::LoadMusic(const char* fileName)
{
    if (silent) return -1;
    int known = FindMusic(fileName);
    if (known >= 0) return known;
    std::vector<unsigned char> bytes = ReadWholeFile(fileName);
    AudioHandle handle = library.LoadMusic(bytes.data(), bytes.size());
    if (handle == 0) Error.CriticalError("CMgrSound:LoadMusic error %i\n", library.GetErrorCode());
    library.PrepareMusic(handle);
    musics.push_back(Record{handle, fileName});
    return int(musics.size()) - 1;
}

void CMgrSound::PlayMusic(int index)
{
    if (silent || (index != -1 && !IsMusic(index))) return;
    currentMusic = index;
    musicStarted = false;
    if (index == -1 || !musicOn) return;  // switched off: it starts when switched on
    StartCurrentMusic();
}

void CMgrSound::StartCurrentMusic()
{
    AudioHandle handle = musics[std::size_t(currentMusic)].handle;
    if (handle == 0) return;
    if (!library.PlayMusic(handle)) Error.CriticalError("CMgrSound:PlayMusic error %i\n", library.GetErrorCode());
    musicStarted = true;
}

// Kept also without a device, so that the choice is remembered either way.
void CMgrSound::SetMusicOn(bool on)
{
    if (on == musicOn) return;
    musicOn = on;
    if (silent || !open || !IsMusic(currentMusic)) return;
    if (!on) {
        if (musicStarted) library.PauseMusic();
    } else if (musicStarted) {
        library.ResumeMusic();
    } else {
        StartCurrentMusic();
    }
}

void CMgrSound::FreeMusic(int index)
{
    if (silent || !IsMusic(index)) return;
    if (currentMusic == index) {
        currentMusic = -1;
        musicStarted = false;
    }
    Record& record = musics[std::size_t(index)];
    if (record.handle != 0) library.FreeMusic(record.handle);
    record = Record{};
}
