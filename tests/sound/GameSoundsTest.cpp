// SPDX-License-Identifier: GPL-3.0-or-later
// The game's own sounds and music, as the build packed them into "data.000",
// decode through the audio layer and are heard.
#include <vector>

#include "SoundTest.h"
#include "app/CApp.h"
#include "platform/MixerAudio.h"
#include "core/CFile.h"
#include "resources/ResourceNames.h"

namespace {

class GameSoundsTest : public SoundTest {
protected:
    MixerAudio& audio = MixerAudio::System();

    // Reads one entry of the built archive through the game's own file code.
    Bytes ReadFromArchive(const char* name)
    {
        App.SetProgramFolder(PAVENDRA_BIN_DIR "/");
        CFile archive(FileRoot::Program);
        Bytes bytes;
        if (archive.OpenArchive("data.000") && archive.Open(name, FILE_READ)) {
            bytes.resize(archive.GetSize());
            archive.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
            archive.Close();
        }
        archive.CloseArchive();
        App.SetProgramFolder((folder + "/").c_str());
        return bytes;
    }

    static constexpr std::size_t kBytesPerSecond = 44100 * 4;
};

}  // namespace

TEST_F(GameSoundsTest, EveryEffectDecodesAndIsHeard)
{
    ASSERT_TRUE(audio.Init(44100));
    for (const char* name : {res::kSoundButton, res::kSoundPieceConnection, res::kSoundLevelDone}) {
        Bytes wav = ReadFromArchive(name);
        ASSERT_FALSE(wav.empty()) << name << " is not in the archive";
        AudioHandle sample = audio.LoadSample(wav.data(), wav.size(), 4);
        ASSERT_NE(sample, 0u) << name << ": error " << audio.GetErrorCode();
        std::size_t start = OutputSize();
        AudioHandle channel = audio.PlaySample(sample);
        ASSERT_NE(channel, 0u) << name;
        ASSERT_TRUE(WaitUntil([&] { return !audio.ChannelIsActive(channel); })) << name;
        ASSERT_TRUE(WaitUntil([&] { return OutputSize() > start + kBytesPerSecond / 10; })) << name;
        EXPECT_GT(OutputPeak(start, OutputSize()), 1000) << name << " is silent";
        audio.FreeSample(sample);
    }
}

TEST_F(GameSoundsTest, TheMusicDecodesAsATrackerModuleAndIsHeard)
{
    ASSERT_TRUE(audio.Init(44100));
    Bytes module = ReadFromArchive(res::kMusic);
    ASSERT_FALSE(module.empty()) << "the music is not in the archive";
    AudioHandle music = audio.LoadMusic(module.data(), module.size());
    ASSERT_NE(music, 0u) << "error " << audio.GetErrorCode();
    std::size_t start = OutputSize();
    ASSERT_TRUE(audio.PlayMusic(music));
    ASSERT_TRUE(WaitUntil([&] { return OutputSize() > start + 2 * kBytesPerSecond; }));
    EXPECT_GT(OutputPeak(start, start + 2 * kBytesPerSecond), 1000) << "the music is silent";
    audio.FreeMusic(music);
}
