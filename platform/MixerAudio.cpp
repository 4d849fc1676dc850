// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MixerAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/TrackerFormat.h"
#include "platform/WavFormat.h"

namespace {

constexpr int kFirstChannelCount = 16;
constexpr int kMaxChannels = 0xFFFF;   // a channel's index fits the low 16 bits of its handle
constexpr int kBufferFrames = 1024;    // about 23 ms at 44100 Hz

int ToMixerVolume(int percent)
{
    return std::clamp(percent, 0, 100) * MIX_MAX_VOLUME / 100;
}

AudioHandle ChannelHandle(int index, std::uint16_t generation)
{
    return (AudioHandle{generation} << 16) | AudioHandle(index + 1);
}

int ChannelIndex(AudioHandle handle)
{
    return int(handle & 0xFFFF) - 1;
}

SDL_RWops* ReadOnlyMemory(const void* data, std::size_t length)
{
    if (!data || length == 0 || length > std::size_t(INT_MAX)) return nullptr;
    return SDL_RWFromConstMem(data, int(length));
}

} // namespace

MixerAudio& MixerAudio::System()
{
    static MixerAudio system;
    return system;
}

int MixerAudio::GetVersion()
{
    return kAudioLibraryVersion;
}

bool MixerAudio::Init(int frequency)
{
    if (open) return Fail(AUDIO_ERROR_ALREADY);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(AUDIO_ERROR_DRIVER);
    if (Mix_OpenAudio(frequency, MIX_DEFAULT_FORMAT, MIX_DEFAULT_CHANNELS, kBufferFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Fail(AUDIO_ERROR_DRIVER);
    }
    // Tracker modules are the one music kind the game plays; without their
    // decoder loading the music fails later with a format error.
    Mix_Init(MIX_INIT_MOD);
    channels.assign(std::size_t(Mix_AllocateChannels(kFirstChannelCount)), Channel{});
    Mix_MasterVolume(MIX_MAX_VOLUME);
    Mix_VolumeMusic(MIX_MAX_VOLUME);
    open = true;
    return Succeed();
}

bool MixerAudio::GetInfo(AudioDeviceInfo& info)
{
    if (!open) return Fail(AUDIO_ERROR_NOT_OPEN);
    int rate = 0;
    Uint16 format = 0;
    int outputChannels = 0;
    Mix_QuerySpec(&rate, &format, &outputChannels);
    info = AudioDeviceInfo{};
    // Everything is mixed in software and converted to the output rate when
    // it is loaded, whatever rate the file has.
    info.flags = kAudioAnyRate | kAudioEmulated;
    info.freeHardwareSlots = int(channels.size()) - Mix_Playing(-1);
    info.minRate = rate;
    info.maxRate = rate;
    info.driver = SDL_GetCurrentAudioDriver();
    return Succeed();
}

void MixerAudio::SetEffectVolume(int volume)
{
    if (!open) {
        Fail(AUDIO_ERROR_NOT_OPEN);
        return;
    }
    Mix_MasterVolume(ToMixerVolume(volume));
    Succeed();
}

void MixerAudio::SetMusicVolume(int volume)
{
    if (!open) {
        Fail(AUDIO_ERROR_NOT_OPEN);
        return;
    }
    Mix_VolumeMusic(ToMixerVolume(volume));
    Succeed();
}

AudioHandle MixerAudio::LoadSample(const void* data, std::size_t length, int maxPlaybacks)
{
    if (!open) return Fail(AUDIO_ERROR_NOT_OPEN);
    // Only whole WAVE files of a sensible size reach the mixer's reader.
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    if (!IsPlausibleWav(data, length, rate)) return Fail(AUDIO_ERROR_FORMAT);
    SDL_RWops* source = ReadOnlyMemory(data, length);
    if (!source) return Fail(AUDIO_ERROR_FORMAT);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 1);
    if (!chunk) return Fail(AUDIO_ERROR_FORMAT);
    // The mixer refuses to start a sound that is not a whole number of the
    // device's frames: a file whose blocks do not match its channels can
    // convert to a broken last frame, which is dropped. A sound left with no
    // frame at all would load and then never play.
    const Uint32 frame = Uint32(SDL_AUDIO_BITSIZE(format) / 8) * Uint32(std::max(channels, 1));
    if (frame > 0) chunk->alen -= chunk->alen % frame;
    if (chunk->alen == 0) {
        Mix_FreeChunk(chunk);
        return Fail(AUDIO_ERROR_FORMAT);
    }
    samples.push_back(Sample{chunk, std::max(maxPlaybacks, 1)});
    Succeed();
    return AudioHandle(samples.size());
}

AudioHandle MixerAudio::PlaySample(AudioHandle sampleHandle)
{
    Sample* sample = FindSample(sampleHandle);
    if (!sample) return Fail(AUDIO_ERROR_HANDLE);
    int index = ChannelForNewPlayback(sampleHandle, sample->maxPlaybacks);
    if (index < 0) return Fail(AUDIO_ERROR_PLAYBACK);
    if (Mix_PlayChannel(index, sample->chunk, 0) != index) return Fail(AUDIO_ERROR_PLAYBACK);
    Channel& channel = channels[std::size_t(index)];
    channel.sample = sampleHandle;
    channel.generation++;
    channel.handle = ChannelHandle(index, channel.generation);
    channel.startOrder = ++playbacksStarted;
    Succeed();
    return channel.handle;
}

bool MixerAudio::ChannelIsActive(AudioHandle handle)
{
    int index = ChannelIndex(handle);
    if (!open || index < 0 || index >= int(channels.size()) || channels[std::size_t(index)].handle != handle)
        return Fail(AUDIO_ERROR_HANDLE);
    Succeed();
    return Mix_Playing(index) != 0;
}

void MixerAudio::FreeSample(AudioHandle sampleHandle)
{
    Sample* sample = FindSample(sampleHandle);
    if (!sample) {
        Fail(AUDIO_ERROR_HANDLE);
        return;
    }
    for (std::size_t index = 0; index < channels.size(); index++) {
        if (channels[index].sample != sampleHandle) continue;
        Mix_HaltChannel(int(index));
        channels[index].sample = 0;
    }
    Mix_FreeChunk(sample->chunk);
    sample->chunk = nullptr;
    Succeed();
}

AudioHandle MixerAudio::LoadMusic(const void* data, std::size_t length)
{
    if (!open) return Fail(AUDIO_ERROR_NOT_OPEN);
    if (DetectTrackerFormat(data, length) == TrackerFormat::Unknown) return Fail(AUDIO_ERROR_FORMAT);
    Music music;
    music.bytes = std::make_unique<std::uint8_t[]>(length);
    std::memcpy(music.bytes.get(), data, length);
    SDL_RWops* source = ReadOnlyMemory(music.bytes.get(), length);
    if (!source) return Fail(AUDIO_ERROR_FORMAT);
    music.music = Mix_LoadMUSType_RW(source, MUS_MOD, 1);
    if (!music.music) return Fail(AUDIO_ERROR_FORMAT);
    musics.push_back(std::move(music));
    Succeed();
    return AudioHandle(musics.size());
}

bool MixerAudio::PrepareMusic(AudioHandle music)
{
    // The module decoder renders on demand from the start; there is nothing
    // to buffer ahead.
    return FindMusic(music) ? Succeed() : Fail(AUDIO_ERROR_HANDLE);
}

bool MixerAudio::PlayMusic(AudioHandle handle)
{
    Music* music = FindMusic(handle);
    if (!music) return Fail(AUDIO_ERROR_HANDLE);
    constexpr int kLoopForever = -1;
    if (Mix_PlayMusic(music->music, kLoopForever) != 0) return Fail(AUDIO_ERROR_PLAYBACK);
    return Succeed();
}

void MixerAudio::PauseMusic()
{
    if (!open) {
        Fail(AUDIO_ERROR_NOT_OPEN);
        return;
    }
    Mix_PauseMusic();
    Succeed();
}

void MixerAudio::ResumeMusic()
{
    if (!open) {
        Fail(AUDIO_ERROR_NOT_OPEN);
        return;
    }
    Mix_ResumeMusic();
    Succeed();
}

void MixerAudio::FreeMusic(AudioHandle handle)
{
    Music* music = FindMusic(handle);
    if (!music) {
        Fail(AUDIO_ERROR_HANDLE);
        return;
    }
    Mix_FreeMusic(music->music); // stops it first when it is playing
    *music = Music{};
    Succeed();
}

void MixerAudio::Stop()
{
    if (!open) {
        Fail(AUDIO_ERROR_NOT_OPEN);
        return;
    }
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Succeed();
}

void MixerAudio::Free()
{
    if (!open) {
        Fail(AUDIO_ERROR_NOT_OPEN);
        return;
    }
    FreeEverything();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open = false;
    Succeed();
}

int MixerAudio::GetErrorCode()
{
    return lastError;
}

bool MixerAudio::Succeed()
{
    lastError = AUDIO_OK;
    return true;
}

bool MixerAudio::Fail(int code)
{
    lastError = code;
    return false;
}

MixerAudio::Sample* MixerAudio::FindSample(AudioHandle handle)
{
    if (!open || handle == 0 || handle > samples.size()) return nullptr;
    Sample& sample = samples[handle - 1];
    return sample.chunk ? &sample : nullptr;
}

MixerAudio::Music* MixerAudio::FindMusic(AudioHandle handle)
{
    if (!open || handle == 0 || handle > musics.size()) return nullptr;
    Music& music = musics[handle - 1];
    return music.music ? &music : nullptr;
}

// A sample already sounding on all the channels it may use gives up the
// playback that started first (the one nearest its end); otherwise any idle
// channel will do.
int MixerAudio::ChannelForNewPlayback(AudioHandle sample, int maxPlaybacks)
{
    int playing = 0;
    int oldest = -1;
    for (std::size_t index = 0; index < channels.size(); index++) {
        if (channels[index].sample != sample || !Mix_Playing(int(index))) continue;
        playing++;
        if (oldest < 0 || channels[index].startOrder < channels[std::size_t(oldest)].startOrder) oldest = int(index);
    }
    if (playing >= maxPlaybacks) {
        Mix_HaltChannel(oldest);
        return oldest;
    }
    return FindIdleChannel();
}

int MixerAudio::FindIdleChannel()
{
    for (std::size_t index = 0; index < channels.size(); index++)
        if (!Mix_Playing(int(index))) return int(index);
    GrowChannels();
    for (std::size_t index = 0; index < channels.size(); index++)
        if (!Mix_Playing(int(index))) return int(index);
    return -1;
}

void MixerAudio::GrowChannels()
{
    int wanted = std::min(int(channels.size()) * 2, kMaxChannels);
    channels.resize(std::size_t(Mix_AllocateChannels(wanted)));
}

void MixerAudio::FreeEverything()
{
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (Sample& sample : samples)
        if (sample.chunk) Mix_FreeChunk(sample.chunk);
    for (Music& music : musics)
        if (music.music) Mix_FreeMusic(music.music);
    samples.clear();
    musics.clear();
    channels.clear();
    playbacksStarted = 0;
}
