// SPDX-License-Identifier: GPL-3.0-or-later
// A critical error in the real game: the window goes, a message box captioned
// "Critical Error" waits for the player, and the game ends with -1 after the
// player dismisses it.
#include <gtest/gtest.h>

#include <string>

#include "GameSession.h"
#include "resources/ResourceNames.h"
#include "support/ZipBuilder.h"

namespace {

TEST(CriticalErrorWindowTest, ADamagedArchiveEntryShowsTheMessageBoxAndEndsWithMinusOne)
{
    GameSession session;
    // The window icon is read from the archive right after the window opens;
    // an entry that cannot be opened is a critical error.
    ASSERT_TRUE(ZipBuilder().Add(res::kWindowIcon, "BM icon").Write(session.Folder() / "data.000"));
    ASSERT_TRUE(ZipBuilder::SetMethod(session.Folder() / "data.000", res::kWindowIcon, 99));
    ASSERT_TRUE(session.Launch());

    std::optional<std::string> box = session.WaitForWindow("Critical Error");
    ASSERT_TRUE(box) << session.ErrorOutput();
    EXPECT_TRUE(session.IsRunning());  // waiting for the player
    EXPECT_EQ(session.PressKeyUntilExit("Return", *box), 255) << session.ErrorOutput();
    const std::string message = "CFile: Couldn't open file data/icon.bmp in data.000 file!";
    std::string log = session.Log();
    std::string expectedEnd = "\r\n=== App was shutdown successfully\r\n" + message + "\r\n";
    ASSERT_GE(log.size(), expectedEnd.size()) << log;
    EXPECT_EQ(log.substr(log.size() - expectedEnd.size()), expectedEnd) << log;
    EXPECT_NE(session.ErrorOutput().find("Critical Error: " + message), std::string::npos);
}

}  // namespace
