// SPDX-License-Identifier: GPL-3.0-or-later
// A picture that takes long to open, in the real game: the window goes on
// answering, a notice shows, Escape gives up on the picture without ending
// the game, and a close request or SIGTERM ends the game at once, even with
// its decoder stuck (a test hook stalls it where nothing can stop it). LOAD
// GAME of a puzzle of such a picture waits for it the same way.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "FullScreenGameTest.h"
#include "GameSession.h"

namespace {

constexpr Colour kBoxColour = MakeColour(22, 30, 52);
constexpr int kBackgroundX = 20, kBackgroundY = 300;

class OpeningPictureTest : public FullScreenGameTest {
protected:
    // Starts the game with a picture whose decoder stalls for a minute;
    // answers once the notice shows.
    void StartOpening()
    {
        const std::string picture = session.Folder() / "slow.png";
        ASSERT_EQ(std::system(("convert -size 300x200 xc:'rgb(40,190,120)' '" + picture + "'").c_str()), 0);
        session.SetEnvironment("PAVENDRA_TEST_DECODE_STALL", "60");
        ASSERT_TRUE(session.Launch(true, {picture}));
        window = session.WaitForWindow("Pavendra");
        ASSERT_TRUE(window) << session.ErrorOutput();
        ASSERT_TRUE(Xdotool({"windowfocus", *window}));
        // A picture given at start skips the logo: the notice comes by itself.
        ASSERT_TRUE(session.WaitForScreen([&](const Screenshot& shot) { return NoticeShown(shot); })) << session.Log();
        EXPECT_NE(session.Log().find("CPictureOpening: Still opening"), std::string::npos) << session.Log();
    }
    bool NoticeShown(const Screenshot& shot) const { return Near(FrameAt(shot, 150, 300), kBoxColour, 6); }

    std::optional<std::string> window;
};

TEST_F(OpeningPictureTest, EscapeGivesUpOnThePictureAndACloseRequestEndsTheGameAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(StartOpening());
    // Escape: the picture page again, no message, the game still running.
    ASSERT_TRUE(session.PressKeyUntil("Escape", *window, [&] {
        std::optional<Screenshot> shot = session.TakeScreenshot();
        return shot && !NoticeShown(*shot);
    })) << session.Log();
    EXPECT_TRUE(session.IsRunning());
    EXPECT_NE(session.Log().find("CPictureOpening: Stopped opening"), std::string::npos) << session.Log();
    EXPECT_EQ(session.Log().find("Message:"), std::string::npos) << session.Log();

    // The decoder given up on is still stuck: the close button ends the game anyway.
    ASSERT_TRUE(session.RequestClose(*window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
    EXPECT_NE(session.Log().find("ends without waiting for a picture's decoder"), std::string::npos) << session.Log();
    EXPECT_NE(session.Log().find("=== App was shutdown successfully"), std::string::npos) << session.Log();
}

TEST_F(OpeningPictureTest, SigtermEndsTheGameWhileThePictureIsStillOpening)
{
    ASSERT_NO_FATAL_FAILURE(StartOpening());
    ASSERT_TRUE(session.Signal(SIGTERM));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
    EXPECT_NE(session.Log().find("=== App was shutdown successfully"), std::string::npos) << session.Log();
}

TEST_F(OpeningPictureTest, LoadGameOfAPlayersPictureShowsTheNoticeAndEscapeLeavesTheMenu)
{
    const TempFolder& folder = session.Folder();
    const std::string picture = folder / "own.png";
    ASSERT_EQ(std::system(("convert -size 448x448 xc:'rgb(40,190,120)' '" + picture + "'").c_str()), 0);
    std::string saved = TempFolder::ReadFile(PAVENDRA_SOURCE_DIR "/fuzz/corpus/savedgame/singles-4x4.pvs");
    const std::size_t name = saved.find("pic.bmp");
    ASSERT_NE(name, std::string::npos);
    saved.replace(name, 7, picture);
    folder.Write("game.pvs", saved);
    session.SetEnvironment("PAVENDRA_TEST_DECODE_STALL", "60");
    const Colour menuColour = MenuBackgroundAt(kBackgroundX, kBackgroundY);

    ASSERT_TRUE(session.Launch());
    window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(Xdotool({"windowfocus", *window}));
    ASSERT_TRUE(Xdotool({"keydown", "a"}));
    const bool menuShown = session.WaitForScreen(
        [&](const Screenshot& shot) { return Near(FrameAt(shot, kBackgroundX, kBackgroundY), menuColour); });
    ASSERT_TRUE(Xdotool({"keyup", "a"}));
    ASSERT_TRUE(menuShown) << session.Log();

    EXPECT_TRUE(ClickUntil(352 + 20, 480 + 10, [&](const Screenshot& shot) { return NoticeShown(shot); }))
        << session.Log();
    ASSERT_TRUE(session.PressKeyUntil("Escape", *window, [&] {
        std::optional<Screenshot> shot = session.TakeScreenshot();
        return shot && !NoticeShown(*shot) && Near(FrameAt(*shot, kBackgroundX, kBackgroundY), menuColour);
    })) << session.Log();
    EXPECT_TRUE(session.IsRunning());
    EXPECT_NE(session.Log().find("CPictureOpening: Stopped opening " + picture), std::string::npos) << session.Log();
    EXPECT_EQ(session.Log().find("Message:"), std::string::npos) << session.Log();
    ASSERT_TRUE(session.RequestClose(*window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
    EXPECT_EQ(folder.Read("game.pvs"), saved) << "the saved game is left as it was";
}

}  // namespace
