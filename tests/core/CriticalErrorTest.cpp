// SPDX-License-Identifier: GPL-3.0-or-later
// A critical error shuts the game down, logs its message after the shutdown
// line, shows it (standard error here: no test waits for a dialog) and ends
// the process with -1.
#include <gtest/gtest.h>

#include <string>

#include "app/CApp.h"
#include "core/CError.h"
#include "core/CLog.h"
#include "support/HeadlessGame.h"
#include "support/TempFolder.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(CriticalErrorTest, BeforeTheWindowExistsItStillEndsWithMinusOne)
{
    TempFolder folder;
    EXPECT_EXIT(
        {
            App.SetWriteFolder(folder.Path().c_str());
            Log.Restart();
            Error.CriticalError("CGame: Couldn't save game!\n");
        },
        ::testing::ExitedWithCode(255), "Critical Error: CGame: Couldn't save game!");
    std::string log = folder.Read("debug.log");
    EXPECT_TRUE(EndsWith(log, "\r\n=== App was shutdown successfully\r\nCGame: Couldn't save game!\r\n")) << log;
}

TEST(CriticalErrorTest, DuringPlayTheLogEndsWithTheShutdownLineAndThenTheMessage)
{
    HeadlessGame game;
    EXPECT_EXIT(
        {
            game.Start();
            game.RunFrames(2);
            Error.CriticalError("Can't load file: %s", "C:/my 100%s picture.jpg");
        },
        ::testing::ExitedWithCode(255), "Critical Error: Can't load file: C:/my 100%s picture.jpg");
    std::string log = game.LogText();
    EXPECT_TRUE(EndsWith(log, "\r\n=== App was shutdown successfully\r\nCan't load file: C:/my 100%s picture.jpg")) << log;
    EXPECT_EQ(log.find("shutdown successfully"), log.rfind("shutdown successfully"));  // shut down once
}

}  // namespace
