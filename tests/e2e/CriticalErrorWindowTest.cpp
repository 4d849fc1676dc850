// SPDX-License-Identifier: GPL-3.0-or-later
// A critical error in the real game: the window goes, a message box captioned
// "Critical Error" waits for the player, and the game ends with -1 after the
// player dismisses it. The box is the desktop's dialog tool, asked before
// SDL's own box (which needs the X server's core fonts): a stand-in here,
// which notes what it was asked to show and waits until the test, as the
// player, dismisses it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "GameSession.h"
#include "resources/ResourceNames.h"
#include "support/ZipBuilder.h"

namespace {

bool WaitUntil(const std::function<bool()>& reached, double seconds = GameSession::kStartSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!reached() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return reached();
}

TEST(CriticalErrorWindowTest, ADamagedArchiveEntryShowsTheMessageBoxAndEndsWithMinusOne)
{
    GameSession session;
    const TempFolder& folder = session.Folder();
    // The box: its arguments one a line in "box"; the player's OK is the file
    // "dismissed" (a box nobody dismisses gives up after a minute).
    folder.Write("tools/zenity", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + (folder / "box.part") +
                                     "'\nmv '" + (folder / "box.part") + "' '" + (folder / "box") +
                                     "'\ni=0\nwhile [ ! -e '" + (folder / "dismissed") +
                                     "' ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i+1)); done\necho OK\n");
    std::filesystem::permissions(folder / "tools/zenity", std::filesystem::perms::owner_all);
    // The window icon is read from the archive right after the window opens;
    // an entry that cannot be opened is a critical error.
    ASSERT_TRUE(ZipBuilder().Add(res::kWindowIcon, "BM icon").Write(folder / "data.000"));
    ASSERT_TRUE(ZipBuilder::SetMethod(folder / "data.000", res::kWindowIcon, 99));
    ASSERT_TRUE(session.Launch());

    ASSERT_TRUE(WaitUntil([&] { return folder.Exists("box"); })) << session.ErrorOutput();
    const std::string message = "CFile: Couldn't open file data/icon.bmp in data.000 file!";
    const std::string box = folder.Read("box");
    EXPECT_NE(box.find("--error\n"), std::string::npos) << box;
    EXPECT_NE(box.find("--title=Critical Error\n"), std::string::npos) << box;
    EXPECT_NE(box.find(message), std::string::npos) << box;
    EXPECT_TRUE(session.IsRunning());  // waiting for the player
    EXPECT_NE(session.RunOnScreen({"xdotool", "search", "--name", "^Pavendra$"}).exitCode, 0) << "the window stayed";

    folder.Write("dismissed", "");
    EXPECT_EQ(session.WaitForExit(), 255) << session.ErrorOutput();
    std::string log = session.Log();
    std::string expectedEnd = "\r\n=== App was shutdown successfully\r\n" + message + "\r\n";
    ASSERT_GE(log.size(), expectedEnd.size()) << log;
    EXPECT_EQ(log.substr(log.size() - expectedEnd.size()), expectedEnd) << log;
    EXPECT_NE(session.ErrorOutput().find("Critical Error: " + message), std::string::npos);
}

// Where no dialog tool can show the box, SDL's own box is the last resort. The
// tests' screens have the X server's built-in fonts only, which that box
// cannot use, so on every machine it fails at once (a machine's core fonts
// would otherwise open it, and nobody would answer it): the game still ends
// with -1 and the message is on standard error.
TEST(CriticalErrorWindowTest, WhenNoBoxCanBeShownTheGameStillEndsWithMinusOne)
{
    GameSession session;
    const TempFolder& folder = session.Folder();
    for (const char* tool : {"zenity", "kdialog"}) {
        folder.Write(std::string("tools/") + tool, "#!/bin/sh\nexit 255\n");  // could not show its box
        std::filesystem::permissions(folder / (std::string("tools/") + tool), std::filesystem::perms::owner_all);
    }
    ASSERT_TRUE(session.Launch(false));  // no data archive: the logo cannot be loaded

    EXPECT_EQ(session.WaitForExit(), 255) << session.ErrorOutput();
    EXPECT_NE(session.ErrorOutput().find("Critical Error: CMgrImage: Couldn't open image data/logo.bmp!"),
              std::string::npos)
        << session.ErrorOutput();
}

}  // namespace
