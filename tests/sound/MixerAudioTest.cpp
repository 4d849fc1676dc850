// The audio layer against the real mixer on SDL's disk driver.
#include <cstring>
#include <set>

#include "SoundTest.h"
#include "platform/MixerAudio.h"

namespace {

class MixerAudioTest : public SoundTest {
protected:
    MixerAudio& audio = MixerAudio::System();

    void OpenDevice() { ASSERT_TRUE(audio.Init(44100)) << "disk audio driver did not open"; }

    AudioHandle LoadTone(int toneHz, int milliseconds, int maxPlaybacks = 4)
    {
        Bytes wav = MakeSineWav(toneHz, milliseconds);
        return audio.LoadSample(wav.data(), wav.size(), maxPlaybacks);
    }

    static constexpr std::size_t kBytesPerSecond = 44100 * 4;
};

} // namespace

TEST_F(MixerAudioTest, OffersVersionTwoAndDescribesTheOpenDevice)
{
    EXPECT_EQ(audio.GetVersion(), 2);
    OpenDevice();
    AudioDeviceInfo info;
    ASSERT_TRUE(audio.GetInfo(info));
    EXPECT_STREQ(info.driver, "disk");
    EXPECT_EQ(info.minRate, 44100);
    EXPECT_EQ(info.maxRate, 44100);
    EXPECT_TRUE(info.flags & kAudioAnyRate);
    EXPECT_GT(info.freeHardwareSlots, 0);

    EXPECT_FALSE(audio.Init(44100));
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_ALREADY);
}

TEST_F(MixerAudioTest, WithoutADeviceInitFailsAndNothingLoads)
{
    UseNoAudioDevice();
    EXPECT_FALSE(audio.Init(44100));
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_DRIVER);
    AudioDeviceInfo info;
    EXPECT_FALSE(audio.GetInfo(info));
    EXPECT_EQ(LoadTone(440, 50), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_NOT_OPEN);
}

TEST_F(MixerAudioTest, RejectsDataThatIsNoSound)
{
    OpenDevice();
    Bytes junk(500, 0x5A);
    EXPECT_EQ(audio.LoadSample(junk.data(), junk.size(), 4), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_FORMAT);
    EXPECT_EQ(audio.LoadSample(junk.data(), 0, 4), 0u);
    Bytes wav = MakeSineWav(440, 50);
    wav.resize(30); // cut inside the header
    EXPECT_EQ(audio.LoadSample(wav.data(), wav.size(), 4), 0u);

    EXPECT_EQ(audio.PlaySample(12345), 0u);
    EXPECT_EQ(audio.GetErrorCode(), AUDIO_ERROR_HANDLE);
    EXPECT_FALSE(audio.ChannelIsActive(0));
    EXPECT_FALSE(audio.ChannelIsActive(0xDEAD0001));
}

TEST_F(MixerAudioTest, AFifthPlaybackTakesOverTheOldestOfFour)
{
    OpenDevice();
    AudioHandle sample = LoadTone(440, 3000);
    ASSERT_NE(sample, 0u);
    AudioHandle first[4];
    for (AudioHandle& channel : first) {
        channel = audio.PlaySample(sample);
        ASSERT_NE(channel, 0u);
    }
    AudioHandle fifth = audio.PlaySample(sample);
    ASSERT_NE(fifth, 0u);
    EXPECT_FALSE(audio.ChannelIsActive(first[0])) << "the oldest playback should have been overridden";
    for (int i = 1; i < 4; i++) EXPECT_TRUE(audio.ChannelIsActive(first[i])) << i;
    EXPECT_TRUE(audio.ChannelIsActive(fifth));
    // All handles stay distinct even where a channel was reused.
    std::set<AudioHandle> handles(std::begin(first), std::end(first));
    handles.insert(fifth);
    EXPECT_EQ(handles.size(), 5u);
}

TEST_F(MixerAudioTest, ManySamplesPlayAtOnceBeyondTheFirstChannels)
{
    OpenDevice();
    std::vector<AudioHandle> channels;
    for (int tone = 0; tone < 10; tone++) {
        AudioHandle sample = LoadTone(300 + 50 * tone, 3000);
        ASSERT_NE(sample, 0u);
        for (int i = 0; i < 4; i++) channels.push_back(audio.PlaySample(sample));
    }
    for (AudioHandle channel : channels) EXPECT_TRUE(audio.ChannelIsActive(channel));
}

TEST_F(MixerAudioTest, APlaybackEndsWithItsSoundAndAFreedSampleIsGone)
{
    OpenDevice();
    AudioHandle sample = LoadTone(440, 30);
    AudioHandle channel = audio.PlaySample(sample);
    ASSERT_NE(channel, 0u);
    EXPECT_TRUE(WaitUntil([&] { return !audio.ChannelIsActive(channel); }));

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
