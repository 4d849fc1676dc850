// The run counters in "conf.pvd": read at start-up, counted at the end of a
// run and written back with CR LF line ends.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "app/CApp.h"
#include "app/CError.h"
#include "app/CLog.h"
#include "platform/MessageBox.h"
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
    EXPECT_EQ(folder.Read("conf.pvd"), "NumRunForWeb 0\r\nNumRunForUpdate 8\r\n");
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

TEST_F(SettingsTest, AFolderThatCannotBeWrittenIsACriticalError)
{
    const std::string missing = folder.Path() + "no such folder/";
    EXPECT_EXIT(
        {
            MessageBox::SendToStandardError(true);
            App.SetWriteFolder(missing.c_str());
            App.WriteSettings();
        },
        ::testing::ExitedWithCode(255), "Couldn't save config!");
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
    EXPECT_EQ(written, "NumRunForWeb 0\r\nNumRunForUpdate 1\r\n");
}

}  // namespace
