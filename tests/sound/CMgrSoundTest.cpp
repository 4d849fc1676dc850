// SPDX-License-Identifier: GPL-3.0-or-later
// The sound manager against the real mixer on SDL's disk driver; the rules
// about leaving the library alone are checked with a counting stand-in.
#include <string>
#include <vector>

#include "CountingAudio.h"
#include "SoundTest.h"
#include "platform/MixerAudio.h"
#include "sound/CMgrSound.h"

using testing::ExitedWithCode;

namespace {

class CMgrSoundTest : public SoundTest {
protected:
    void TearDown() override
    {
        sound.Shutdown();
        SoundTest::TearDown();
    }

    void InitWithDevice()
    {
        sound.Init();
        ASSERT_FALSE(sound.IsSilent()) << "disk audio driver did not open";
    }

    // A frame of the game, as far as sound goes.
    void Frame() { sound.Update(); }

    bool ChannelPlays(int slot) { return MixerAudio::System().ChannelIsActive(sound.GetSlot(slot).channel); }

    CMgrSound sound;
};

// Death tests run first, before any test has started audio threads.
using CMgrSoundDeathTest = CMgrSoundTest;

} // namespace

TEST_F(CMgrSoundTest, OpeningTheDeviceWritesTheDeviceLines)
{
    StartLogCapture();
    InitWithDevice();
    std::string log = LoggedText();
    const char* expected =
        "BASS uses default device\n"
        "BASS: The device's drivers do not have DirectSound support\n"
        "BASS: driver file disk\n"
        "BASS: Available DirectX 0\n"
        "BASS: RAM: 0 Free Slots: 16\n"
        "BASS: MinRate: 44100 MaxRate: 44100\n"
        "BASS: Supports all sample rates\n";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    EXPECT_EQ(log.find("certified"), std::string::npos);
    EXPECT_EQ(sound.GetSoundVolume(), 100);
    EXPECT_LT(sound.GetMusicVolume(), sound.GetSoundVolume()) << "the effects are heard over the music";
}

TEST_F(CMgrSoundTest, WithoutADeviceTheGameRunsSilent)
{
    UseNoAudioDevice();
    StartLogCapture();
    sound.Init();
    EXPECT_TRUE(sound.IsSilent());
    EXPECT_NE(LoggedText().find("BASS in silent mode\n"), std::string::npos);
    // No file is needed, and none is read.
    EXPECT_EQ(sound.LoadSample("Sounds/Button.wav"), -1);
    EXPECT_EQ(sound.PlaySample(-1), -1);
    EXPECT_EQ(sound.LoadMusic("Sounds/music.trk"), -1);
    sound.PlayMusic(-1);
    sound.Update();
    sound.Shutdown();
}

TEST(CMgrSoundSilent, MakesNoLibraryCallAfterTheDeviceFailedToOpen)
{
    CountingAudio library;
    CMgrSound sound(library);
    sound.Init();
    ASSERT_TRUE(sound.IsSilent());
    const int callsOfInit = library.calls;
    EXPECT_EQ(callsOfInit, 2) << "the version check and the attempt to open";

    EXPECT_EQ(sound.LoadSample("Sounds/Button.wav"), -1);
    EXPECT_EQ(sound.PlaySample(-1), -1);
    EXPECT_EQ(sound.PlaySample(0), -1);
    EXPECT_EQ(sound.LoadMusic("Sounds/music.trk"), -1);
    sound.PlayMusic(-1);
    sound.PlayMusic(0);
    sound.SetSoundVolume(50);
    sound.SetMusicVolume(50);
    sound.Update();
    sound.FreeSample(0);
    sound.FreeMusic(0);
    sound.Shutdown();
    EXPECT_EQ(library.calls, callsOfInit);
}

TEST(CMgrSoundShutdown, LeavesALibraryThatWasNeverOpenedAlone)
{
    CountingAudio library;
    CMgrSound sound(library);
    sound.Shutdown();   // a critical error before start-up reached the sound
    EXPECT_EQ(library.calls, 0);
}

TEST(CMgrSoundVersionDeathTest, AnotherLibraryVersionEndsTheGame)
{
    EXPECT_EXIT(
        {
            CountingAudio library;
            library.version = 3;
            CMgrSound sound(library);
            sound.Init();
        },
        ExitedWithCode(255), "CMgrSound: Wrong BASS DLL version! You should be using BASS version 2.0");
}

TEST_F(CMgrSoundTest, EachFileIsReadOnceAndKnownByItsName)
{
    InitWithDevice();
    WriteSoundFile("Sounds/Button.wav", MakeSineWav(440, 50));
    WriteSoundFile("Sounds/LevelDone.wav", MakeSineWav(660, 50));
    StartLogCapture();
    EXPECT_EQ(sound.LoadSample("Sounds/Button.wav"), 0);
    RemoveSoundFile("Sounds/Button.wav");
    EXPECT_EQ(sound.LoadSample("Sounds/Button.wav"), 0) << "a second request must not read the file again";
    EXPECT_EQ(sound.LoadSample("Sounds/LevelDone.wav"), 1);
    EXPECT_EQ(sound.FindSample("Sounds/LevelDone.wav"), 1);
    EXPECT_EQ(sound.FindSample("Sounds/leveldone.wav"), -1);
    std::string log = LoggedText();
    ASSERT_NE(log.find("Load Sounds/Button.wav\n"), std::string::npos);
    EXPECT_EQ(log.find("Load Sounds/Button.wav\n"), log.rfind("Load Sounds/Button.wav\n"));
    EXPECT_NE(log.find("Load Sounds/LevelDone.wav\n"), std::string::npos);

    WriteSoundFile("Sounds/music.trk", MakeLoopingMod());
    EXPECT_EQ(sound.LoadMusic("Sounds/music.trk"), 0);
    RemoveSoundFile("Sounds/music.trk");
    EXPECT_EQ(sound.LoadMusic("Sounds/music.trk"), 0);
    EXPECT_EQ(sound.FindMusic("Sounds/music.trk"), 0);
}

TEST_F(CMgrSoundTest, AQueuedEffectStartsInTheNextFrame)
{
    InitWithDevice();
    WriteSoundFile("Sounds/Button.wav", MakeSineWav(440, 2000));
    int sample = sound.LoadSample("Sounds/Button.wav");
    Frame();                                   // frame N
    int slot = sound.PlaySample(sample);
    EXPECT_EQ(slot, CMgrSound::kFirstEffectSlot);
    EXPECT_EQ(sound.GetSlot(slot).sampleIndex, sample);
    EXPECT_EQ(sound.GetSlot(slot).channel, 0u) << "queued, not started";
    Frame();                                   // frame N + 1
    ASSERT_NE(sound.GetSlot(slot).channel, 0u);
    EXPECT_TRUE(ChannelPlays(slot));
    Frame();
    EXPECT_EQ(sound.GetSlot(slot).sampleIndex, sample) << "still playing, still held";
}

TEST_F(CMgrSoundTest, TheThirtyThirdEffectIsDroppedWhileTheOthersGoOn)
{
    InitWithDevice();
    // Eight sounds, four playbacks each: every one of the 32 can really sound.
    std::vector<int> samples;
    for (int i = 0; i < 8; i++) {
        std::string name = "Sounds/effect" + std::to_string(i) + ".wav";
        WriteSoundFile(name, MakeSineWav(300 + 40 * i, 5000));
        samples.push_back(sound.LoadSample(name.c_str()));
    }
    for (int request = 0; request < 32; request++)
        EXPECT_EQ(sound.PlaySample(samples[std::size_t(request / 4)]), CMgrSound::kFirstEffectSlot + request);
    EXPECT_EQ(sound.PlaySample(samples[0]), -1);
    for (int slot = 0; slot < CMgrSound::kFirstEffectSlot; slot++)
        EXPECT_EQ(sound.GetSlot(slot).sampleIndex, -1) << "slot " << slot << " is not for effects";

    Frame();
    for (int slot = CMgrSound::kFirstEffectSlot; slot < CMgrSound::kSlotCount; slot++)
        EXPECT_TRUE(ChannelPlays(slot)) << "slot " << slot;
    Frame();
    for (int slot = CMgrSound::kFirstEffectSlot; slot < CMgrSound::kSlotCount; slot++)
        EXPECT_NE(sound.GetSlot(slot).sampleIndex, -1) << "slot " << slot;
    EXPECT_EQ(sound.PlaySample(samples[1]), -1);
}

TEST_F(CMgrSoundTest, AFifthPlaybackOfOneSoundReplacesTheOldest)
{
    InitWithDevice();
    WriteSoundFile("Sounds/PieceConnection.wav", MakeSineWav(440, 5000));
    int sample = sound.LoadSample("Sounds/PieceConnection.wav");
    for (int i = 0; i < 5; i++) sound.PlaySample(sample);
    Frame();
    EXPECT_FALSE(ChannelPlays(16));
    for (int slot = 17; slot <= 20; slot++) EXPECT_TRUE(ChannelPlays(slot)) << slot;
    Frame();
    EXPECT_EQ(sound.GetSlot(16).sampleIndex, -1) << "the replaced playback's slot is free again";
    for (int slot = 17; slot <= 20; slot++) EXPECT_EQ(sound.GetSlot(slot).sampleIndex, sample);
}

TEST_F(CMgrSoundTest, ASlotIsFreeInTheFirstFrameAfterItsSoundEnded)
{
    InitWithDevice();
    WriteSoundFile("Sounds/Button.wav", MakeSineWav(440, 30));
    int slot = sound.PlaySample(sound.LoadSample("Sounds/Button.wav"));
    Frame();
    AudioHandle channel = sound.GetSlot(slot).channel;
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(WaitUntil([&] { return !MixerAudio::System().ChannelIsActive(channel); }));
    EXPECT_EQ(sound.GetSlot(slot).sampleIndex, 0) << "held until the next frame";
    Frame();
    EXPECT_EQ(sound.GetSlot(slot).sampleIndex, -1);
    EXPECT_EQ(sound.GetSlot(slot).channel, 0u);
    EXPECT_EQ(sound.PlaySample(0), slot) << "the lowest free slot is handed out again";
}

TEST_F(CMgrSoundTest, AnUnknownSampleIndexIsNotQueued)
{
    InitWithDevice();
    EXPECT_EQ(sound.PlaySample(-1), -1);
    EXPECT_EQ(sound.PlaySample(0), -1);
    sound.PlayMusic(3);
    EXPECT_EQ(sound.GetCurrentMusic(), -1);
    Frame();
}

// The player's music switch: off holds the music silent at once, on lets it
// go on; switched off before the music starts, it starts silent.
TEST_F(CMgrSoundTest, TheMusicSwitchSilencesAndRestoresTheMusicAtOnce)
{
    InitWithDevice();
    WriteSoundFile("Sounds/music.trk", MakeLoopingMod());
    const int music = sound.LoadMusic("Sounds/music.trk");
    constexpr std::size_t kBytesPerSecond = 44100 * 4;
    auto peakOverAFifth = [&] {
        const std::size_t start = OutputSize();
        EXPECT_TRUE(WaitUntil([&] { return OutputSize() > start + kBytesPerSecond / 5; }));
        return OutputPeak(start, OutputSize());
    };
    sound.SetMusicOn(false);
    sound.PlayMusic(music);
    EXPECT_FALSE(sound.IsMusicOn());
    EXPECT_EQ(peakOverAFifth(), 0);
    sound.SetMusicOn(true);
    EXPECT_GT(peakOverAFifth(), 0);
    sound.SetMusicOn(false);
    peakOverAFifth();  // what was mixed before the switch
    EXPECT_EQ(peakOverAFifth(), 0);
}

TEST_F(CMgrSoundTest, ShutdownReleasesEverythingAndClosesTheLibrary)
{
    InitWithDevice();
    WriteSoundFile("Sounds/music.trk", MakeLoopingMod());
    WriteSoundFile("Sounds/Button.wav", MakeSineWav(440, 2000));
    int music = sound.LoadMusic("Sounds/music.trk");
    sound.PlayMusic(music);
    EXPECT_EQ(sound.GetCurrentMusic(), music);
    sound.PlaySample(sound.LoadSample("Sounds/Button.wav"));
    Frame();

    sound.Shutdown();
    AudioDeviceInfo info;
    EXPECT_FALSE(MixerAudio::System().GetInfo(info)) << "the device is still open";
    EXPECT_EQ(sound.GetCurrentMusic(), -1);
    EXPECT_EQ(sound.FindSample("Sounds/Button.wav"), -1);
    EXPECT_EQ(sound.GetSlot(16).sampleIndex, -1);
    sound.Shutdown(); // a second shutdown changes nothing
}

TEST_F(CMgrSoundDeathTest, AMissingFileEndsTheGame)
{
    EXPECT_EXIT(
        {
            InitWithDevice();
            sound.LoadSample("Sounds/Missing.wav");
        },
        ExitedWithCode(255), "CMgrSound: Couldn't open file Sounds/Missing.wav!");
    EXPECT_EXIT(
        {
            InitWithDevice();
            sound.LoadMusic("Sounds/music.trk");
        },
        ExitedWithCode(255), "CMgrSound: Couldn't open file Sounds/music.trk!");
}

TEST_F(CMgrSoundDeathTest, AFileThatDoesNotDecodeEndsTheGameWithTheErrorCode)
{
    Bytes junk(300, 0x42);
    WriteSoundFile("Sounds/Button.wav", junk);
    WriteSoundFile("Sounds/music.trk", MakeSineWav(440, 100));
    WriteSoundFile("Sounds/Empty.wav", Bytes{});
    EXPECT_EXIT(
        {
            InitWithDevice();
            sound.LoadSample("Sounds/Button.wav");
        },
        ExitedWithCode(255), "CMgrSound:LoadSample error 41");
    EXPECT_EXIT(
        {
            InitWithDevice();
            sound.LoadSample("Sounds/Empty.wav");
        },
        ExitedWithCode(255), "CMgrSound:LoadSample error 41");
    EXPECT_EXIT(
        {
            InitWithDevice();
            sound.LoadMusic("Sounds/music.trk");
        },
        ExitedWithCode(255), "CMgrSound:LoadMusic error 41");
}
