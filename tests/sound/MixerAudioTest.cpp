// SPDX-License-Identifier: GPL-3.0-or-later
// The audio layer against the real mixer on SDL's disk driver.
#include <cstring>
#include <string>

#include "SoundTest.h"
#include "platform/MixerAudio.h"

namespace {

class MixerAudioTest : public SoundTest {
protected:
    MixerAudio& audio = MixerAudio::System();

    void OpenDevice() { ASSERT_TRUE(audio.Init(44100)) << "disk audio driver did not open"; }

    AudioHandle LoadTone(int toneHz, int milliseconds)
    {
        Bytes wav = MakeSineWav(toneHz, milliseconds);
        return audio.LoadSample(wav.data(), wav.size(), 4);
    }

    static constexpr std::size_t kBytesPerSecond = 44100 * 4;
};

} // namespace

TEST_F(MixerAudioTest, RejectsDataThatIsNoSoundAndUnknownHandles)
{
    EXPECT_EQ(LoadTone(440, 50), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_NOT_OPEN);
    OpenDevice();
    EXPECT_FALSE(audio.Init(44100));
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_ALREADY);
    Bytes junk(500, 0x5A);
    EXPECT_EQ(audio.LoadSample(junk.data(), junk.size(), 4), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_FORMAT);
    EXPECT_EQ(audio.LoadSample(junk.data(), 0, 4), 0u);
    Bytes wav = MakeSineWav(440, 50);
    wav.resize(30); // cut inside the header
    EXPECT_EQ(audio.LoadSample(wav.data(), wav.size(), 4), 0u);
    // A data chunk claiming gigabytes, and a short sound at 1 Hz that would
    // swell to gigabytes at the output's rate, are refused before decoding.
    Bytes claims = MakeSineWav(440, 50);
    const std::size_t data = std::string(claims.begin(), claims.end()).find("data");
    ASSERT_NE(data, std::string::npos);
    claims[data + 7] = 0x7F;
    EXPECT_EQ(audio.LoadSample(claims.data(), claims.size(), 4), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_FORMAT);
    Bytes slow = MakeSineWav(440, 1000 * 1000, 1);  // 1000 samples at 1 Hz: 17 minutes
    EXPECT_EQ(audio.LoadSample(slow.data(), slow.size(), 4), 0u);

    EXPECT_EQ(audio.PlaySample(12345), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_HANDLE);
    EXPECT_FALSE(audio.ChannelIsActive(0));
    EXPECT_FALSE(audio.ChannelIsActive(0xDEAD0001));
}

TEST_F(MixerAudioTest, FreeingASampleEndsItsPlaybacks)
{
    OpenDevice();
    AudioHandle longOne = LoadTone(440, 3000);
    AudioHandle playing = audio.PlaySample(longOne);
    audio.FreeSample(longOne);
    EXPECT_FALSE(audio.ChannelIsActive(playing));
    EXPECT_EQ(audio.PlaySample(longOne), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_HANDLE);
}

TEST_F(MixerAudioTest, AnEffectIsHeardAndMutedByTheEffectVolume)
{
    OpenDevice();
    AudioHandle sample = LoadTone(440, 150);
    std::size_t start = OutputSize();
    AudioHandle channel = audio.PlaySample(sample);
    ASSERT_TRUE(WaitUntil([&] { return !audio.ChannelIsActive(channel); }));
    ASSERT_TRUE(WaitUntil([&] { return OutputSize() > start + kBytesPerSecond / 5; }));
    EXPECT_GT(OutputPeak(start, OutputSize()), 4000);

    audio.SetEffectVolume(0);
    std::size_t muted = OutputSize();
    channel = audio.PlaySample(sample);
    ASSERT_TRUE(WaitUntil([&] { return !audio.ChannelIsActive(channel); }));
    ASSERT_TRUE(WaitUntil([&] { return OutputSize() > muted + kBytesPerSecond / 5; }));
    EXPECT_EQ(OutputPeak(muted, OutputSize()), 0);
}

TEST_F(MixerAudioTest, AModuleIsHeardAndKeepsLooping)
{
    OpenDevice();
    Bytes mod = MakeLoopingMod();
    AudioHandle music = audio.LoadMusic(mod.data(), mod.size());
    ASSERT_NE(music, 0u) << "error " << audio.GetErrorCode();
    mod.assign(mod.size(), 0); // the layer keeps its own copy
    EXPECT_TRUE(audio.PrepareMusic(music));
    std::size_t start = OutputSize();
    ASSERT_TRUE(audio.PlayMusic(music));
    // Listen well past the end of the song's third pass.
    const auto songBytes = std::size_t(kModSongSeconds * kBytesPerSecond);
    ASSERT_TRUE(WaitUntil([&] { return OutputSize() > start + 4 * songBytes; }));
    EXPECT_GT(OutputPeak(start, start + songBytes), 1000);
    EXPECT_GT(OutputPeak(start + 3 * songBytes, start + 4 * songBytes), 1000) << "the music stopped after its end";

    audio.FreeMusic(music);
    EXPECT_FALSE(audio.PlayMusic(music));
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_HANDLE);
}

TEST_F(MixerAudioTest, OnlyTrackerModulesLoadAsMusic)
{
    OpenDevice();
    Bytes wav = MakeSineWav(440, 100);
    EXPECT_EQ(audio.LoadMusic(wav.data(), wav.size()), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_FORMAT);
    // A module mark on data that is no module.
    Bytes fake(2000, 0xFF);
    std::memcpy(fake.data(), "Extended Module: ", 17);
    EXPECT_EQ(audio.LoadMusic(fake.data(), fake.size()), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_FORMAT);
}

TEST_F(MixerAudioTest, FreeClosesTheDeviceAndItOpensAgain)
{
    OpenDevice();
    AudioHandle sample = LoadTone(440, 3000);
    audio.PlaySample(sample);
    audio.Free();
    AudioDeviceInfo info;
    EXPECT_FALSE(audio.GetInfo(info));
    EXPECT_EQ(audio.PlaySample(sample), 0u);
    OpenDevice();
    EXPECT_NE(LoadTone(440, 50), 0u);
}
