// SPDX-License-Identifier: GPL-3.0-or-later
// The audio operations the sound manager is written against: one output
// device, effects decoded into memory and played on channels, one tracker
// music, global volumes. MixerAudio is the real one; tests may put their own
// in its place.
#pragma once

#include <cstddef>
#include <cstdint>

// Handles are never 0; 0 is the answer for "failed".
using AudioHandle = std::uint32_t;

// The operation set a manager built against this interface expects.
constexpr int kAudioLibraryVersion = 2;

// What the device reports about itself.
struct AudioDeviceInfo {
    std::uint32_t flags = 0;
    int hardwareMemory = 0;   // bytes of sample memory on the device
    int freeHardwareSlots = 0;// sample slots the device can still mix
    int minRate = 0;          // lowest output rate, Hz
    int maxRate = 0;          // highest output rate, Hz
    int directXVersion = 0;   // 0: none
    const char* driver = nullptr; // the driver's name, null when there is none
};

// Bits of AudioDeviceInfo::flags.
constexpr std::uint32_t kAudioAnyRate = 0x10;     // every sample rate plays
constexpr std::uint32_t kAudioEmulated = 0x20;    // no DirectSound drivers
constexpr std::uint32_t kAudioCertified = 0x40;   // the driver is certified

// Codes of GetErrorCode.
enum AudioError : int {
    AUDIO_OK = 0,
    AUDIO_ERROR_MEMORY = 1,     // out of memory
    AUDIO_ERROR_DRIVER = 3,     // no audio driver or device could be opened
    AUDIO_ERROR_HANDLE = 5,     // an unknown or freed handle
    AUDIO_ERROR_NOT_OPEN = 8,   // the device is not open
    AUDIO_ERROR_ALREADY = 14,   // the device is already open
    AUDIO_ERROR_FORMAT = 41,    // the data is not a sound or module we can decode
    AUDIO_ERROR_PLAYBACK = 42,  // the mixer refused to start a playback
};

class AudioLibrary {
public:
    virtual ~AudioLibrary() = default;

    virtual int GetVersion() = 0;
    // Opens the default output device at the given rate. False when there is
    // no device: the caller then runs without sound.
    virtual bool Init(int frequency) = 0;
    virtual bool GetInfo(AudioDeviceInfo& info) = 0;
    // Global volumes, 0 to 100.
    virtual void SetEffectVolume(int volume) = 0;
    virtual void SetMusicVolume(int volume) = 0;

    // Decodes a WAVE sound from memory (the bytes are copied); a damaged one,
    // or one that would decode to more than minutes of sound, is a format
    // error. At most
    // maxPlaybacks playbacks of it sound at once; one more takes over the
    // playback that started first.
    virtual AudioHandle LoadSample(const void* data, std::size_t length, int maxPlaybacks) = 0;
    // Starts one playback and returns its channel.
    virtual AudioHandle PlaySample(AudioHandle sample) = 0;
    // Whether the playback on that channel still sounds. A channel that was
    // taken over by a newer playback has ended.
    virtual bool ChannelIsActive(AudioHandle channel) = 0;
    virtual void FreeSample(AudioHandle sample) = 0;

    // Loads a tracker module (XM, MOD, S3M, IT) from memory (the bytes are
    // copied). It loops forever when played.
    virtual AudioHandle LoadMusic(const void* data, std::size_t length) = 0;
    // Gets the start of the music ready so that playing it does not stutter.
    virtual bool PrepareMusic(AudioHandle music) = 0;
    virtual bool PlayMusic(AudioHandle music) = 0;
    // Holds the music where it is, and lets it go on from there.
    virtual void PauseMusic() = 0;
    virtual void ResumeMusic() = 0;
    virtual void FreeMusic(AudioHandle music) = 0;

    // Silences every channel and the music.
    virtual void Stop() = 0;
    // Releases everything still loaded and closes the device.
    virtual void Free() = 0;
    // The code of the last failure, AUDIO_OK after a success.
    virtual int GetErrorCode() = 0;
};
