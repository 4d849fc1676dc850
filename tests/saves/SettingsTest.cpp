// SPDX-License-Identifier: GPL-3.0-or-later
// "conf.pvd": the run counters and the player's choices, read at start-up,
// counted at the end of a run and written back with CR LF line ends.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "app/CApp.h"
#include "app/CError.h"
#include "app/CLog.h"
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

}  // namespace
