// SPDX-License-Identifier: GPL-3.0-or-later
// "conf.pvd": the run counters and the player's choices, read at start-up,
// counted at the end of a run and written back with CR LF line ends.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <string>

#include "app/CApp.h"
#include "core/CError.h"
#include "core/CLog.h"
#include "platform/InputEvent.h"
#include "platform/MessageBox.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "screens/CMenu.h"
#include "sound/CMgrSound.h"
#include "support/HeadlessGame.h"
#include "support/TempFolder.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App.SetWriteFolder(folder.Path().c_str());
        Log.Restart();
    }
    void TearDown() override { App.SetWriteFolder(nullptr); }

    void ReadFrom(const std::string& text)
    {
        folder.Write("conf.pvd", text);
        App.ReadSettings();
    }

    TempFolder folder;
};

TEST_F(SettingsTest, OneKeyReadsAndTheNormalEndWritesBoth)
{
    ReadFrom("NumRunForUpdate 7\r\n");
    EXPECT_EQ(App.GetNumRunForUpdate(), 7);
    EXPECT_EQ(App.GetNumRunForWeb(), 0);
    App.UpdateRunCounters();
    App.WriteSettings();
    EXPECT_EQ(folder.Read("conf.pvd").rfind("NumRunForWeb 0\r\nNumRunForUpdate 8\r\n", 0), 0u);
}

TEST_F(SettingsTest, ReadsWhatItWrote)
{
    ReadFrom("NumRunForWeb 3\nNumRunForUpdate 41\n");
    App.WriteSettings();
    App.ReadSettings();
    EXPECT_EQ(App.GetNumRunForWeb(), 3);
    EXPECT_EQ(App.GetNumRunForUpdate(), 41);
}

TEST_F(SettingsTest, CommentsSpacingOrderAndRepeatsAreTolerated)
{
    ReadFrom("// settings of the game\r\nNumRunForUpdate 2\r\nNumRunForWeb 5\r\n");
    EXPECT_EQ(App.GetNumRunForWeb(), 5);
    EXPECT_EQ(App.GetNumRunForUpdate(), 2);

    ReadFrom("NumRunForWeb    12\nSomethingElse 99\n");
    EXPECT_EQ(App.GetNumRunForWeb(), 12);
    EXPECT_EQ(App.GetNumRunForUpdate(), 0);

    ReadFrom("NumRunForUpdate 1 NumRunForUpdate 9");
    EXPECT_EQ(App.GetNumRunForUpdate(), 9);
}

TEST_F(SettingsTest, MissingValuesNumbersAndFilesLeaveZero)
{
    ReadFrom("NumRunForWeb 4\nNumRunForUpdate");
    EXPECT_EQ(App.GetNumRunForWeb(), 4);
    EXPECT_EQ(App.GetNumRunForUpdate(), 0);

    ReadFrom("NumRunForWeb many\nNumRunForUpdate -3x\n");
    EXPECT_EQ(App.GetNumRunForWeb(), 0);
    EXPECT_EQ(App.GetNumRunForUpdate(), -3);

    std::remove((folder / "conf.pvd").c_str());
    App.ReadSettings();
    EXPECT_EQ(App.GetNumRunForWeb(), 0);
    EXPECT_EQ(App.GetNumRunForUpdate(), 0);
    EXPECT_FALSE(folder.Exists("debug.log")) << "a missing settings file is not worth a word";
}

TEST_F(SettingsTest, CountsBeyondACounterAreHeldAtItsLimits)
{
    ReadFrom("NumRunForWeb -99999999999\nNumRunForUpdate 99999999999\n");
    EXPECT_EQ(App.GetNumRunForWeb(), INT_MIN);
    EXPECT_EQ(App.GetNumRunForUpdate(), INT_MAX);
    App.UpdateRunCounters();
    EXPECT_EQ(App.GetNumRunForUpdate(), INT_MAX);
}

// Every combination of the choices a player makes comes back after a restart.
TEST_F(SettingsTest, ThePlayersChoicesSurviveARestart)
{
    const float styles[] = {CCutPreview::kSmoothNone, CCutPreview::kSmoothEasy, CCutPreview::kSmoothMedium,
                            CCutPreview::kSmoothHard};
    for (int colour = 0; colour < 4; ++colour) {
        for (float style : styles) {
            for (int flags = 0; flags < 4; ++flags) {
                const int* rgb = CGame::kBoardColours[colour];
                Game.SetBackgroundColor(rgb[0], rgb[1], rgb[2]);
                CutPreview.SetChosenSmoothType(style);
                CMenu::SetBorder(flags & 1);
                SoundMgr.SetMusicOn(flags & 2);
                App.WriteSettings();
                // What a fresh run starts with.
                Game.SetBackgroundColor(1, 2, 3);
                CutPreview.SetChosenSmoothType(CCutPreview::kSmoothEasy);
                CMenu::SetBorder(false);
                SoundMgr.SetMusicOn(true);
                App.ReadSettings();
                EXPECT_EQ(Game.backgroundColor[0], rgb[0]);
                EXPECT_EQ(Game.backgroundColor[2], rgb[2]);
                EXPECT_EQ(CutPreview.GetChosenSmoothType(), style);
                EXPECT_EQ(CMenu::IsBorder(), (flags & 1) != 0);
                EXPECT_EQ(SoundMgr.IsMusicOn(), (flags & 2) != 0);
            }
        }
    }
    // Older files, without the keys, leave the choices as they are.
    ReadFrom("NumRunForWeb 0\r\nNumRunForUpdate 8\r\nBoardColour 9\r\nEdgeStyle 0.5\r\n");
    EXPECT_EQ(CutPreview.GetChosenSmoothType(), CCutPreview::kSmoothHard);
    CMenu::SetBorder(false);
    SoundMgr.SetMusicOn(true);
    Game.SetBackgroundColor(CGame::kBoardColours[0][0], CGame::kBoardColours[0][1], CGame::kBoardColours[0][2]);
    CutPreview.SetChosenSmoothType(CCutPreview::kSmoothEasy);
}

// The window's keys come after every key older versions know: those read
// them as words they skip, each with its number. Sizes beyond any screen, or
// only half a size, leave the window to choose its first size.
TEST_F(SettingsTest, TheWindowIsRememberedAfterTheOlderKeys)
{
    App.SetDefaults();
    EXPECT_TRUE(App.GetFullScreenChoice());
    EXPECT_FALSE(App.GetWindowedSize().IsKnown());
    ReadFrom("NumRunForWeb 0\r\nNumRunForUpdate 8\r\nMusic 1\r\nFullScreen 0\r\nWindowWidth 1200\r\n"
             "WindowHeight 700\r\n");
    EXPECT_FALSE(App.GetFullScreenChoice());
    EXPECT_EQ(App.GetWindowedSize().width, 1200);
    EXPECT_EQ(App.GetWindowedSize().height, 700);
    App.WriteSettings();
    const std::string written = folder.Read("conf.pvd");
    EXPECT_NE(written.find("Music 1\r\nFullScreen 0\r\nWindowWidth 1200\r\nWindowHeight 700\r\n"),
              std::string::npos)
        << written;
    EXPECT_EQ(written.rfind("NumRunForWeb 0\r\nNumRunForUpdate 8\r\n", 0), 0u) << written;

    for (const char* damaged : {"WindowWidth 99999 WindowHeight 700", "WindowWidth -5 WindowHeight 700",
                                "WindowWidth 1200 WindowHeight many", "WindowWidth 1200"}) {
        App.SetDefaults();
        ReadFrom(damaged);
        EXPECT_FALSE(App.GetWindowedSize().IsKnown()) << damaged;
        App.WriteSettings();
        EXPECT_EQ(folder.Read("conf.pvd").find("Window"), std::string::npos) << damaged;
    }
    App.SetDefaults();
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsLoggedAndTheRunGoesOn)
{
    folder.Write("conf.pvd/inside", "a folder in the file's place");
    App.WriteSettings();
    EXPECT_NE(folder.Read("debug.log").find("Couldn't save config: "), std::string::npos);
}

// A whole run in a fresh folder creates the file; the next run counts on.
TEST(SettingsRunTest, EveryNormalEndCountsOneRun)
{
    std::string written;
    {
        HeadlessGame game;
        game.Start();
        game.RunFrames(2);
        game.Finish();
        written = game.WriteFolder().Read("conf.pvd");
    }
    EXPECT_EQ(written.rfind("NumRunForWeb 0\r\nNumRunForUpdate 1\r\n", 0), 0u) << written;
}

// Alt+Enter is the player's choice for the next runs too, and the window
// opens at the size it had; --windowed holds for one run and changes neither.
TEST(SettingsRunTest, FullScreenOrAWindowIsTheNextRunsChoice)
{
    std::string conf;  // carried from run to run
    auto run = [&](bool windowed, const std::function<void(HeadlessGame&)>& play) {
        HeadlessGame game;
        if (!conf.empty()) game.WriteFolder().Write("conf.pvd", conf);
        App.StartWindowed(windowed);
        game.Start();
        play(game);
        game.Finish();
        App.StartWindowed(false);
        conf = game.WriteFolder().Read("conf.pvd");
        return conf;
    };
    std::string written = run(false, [](HeadlessGame& game) {
        EXPECT_TRUE(game.Display().IsFullScreen());
        game.Queue(InputEvent::ToggleFullScreen());
        game.RunFrames(2);
        EXPECT_FALSE(game.Display().IsFullScreen());
        game.Display().SetWindowedSize({1111, 777});  // the player resized it
    });
    EXPECT_NE(written.find("FullScreen 0\r\nWindowWidth 1111\r\nWindowHeight 777\r\n"), std::string::npos)
        << written;
    written = run(false, [](HeadlessGame& game) {
        EXPECT_FALSE(game.Display().IsFullScreen());
        EXPECT_EQ(game.Display().WindowedSize().width, 1111);
        EXPECT_EQ(game.Display().WindowedSize().height, 777);
        game.Queue(InputEvent::ToggleFullScreen());
        game.RunFrames(2);
    });
    EXPECT_NE(written.find("FullScreen 1\r\n"), std::string::npos) << written;
    written = run(true, [](HeadlessGame& game) { EXPECT_FALSE(game.Display().IsFullScreen()); });
    EXPECT_NE(written.find("FullScreen 1\r\nWindowWidth 1111\r\n"), std::string::npos) << written;
}

}  // namespace
