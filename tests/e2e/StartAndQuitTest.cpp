// SPDX-License-Identifier: GPL-3.0-or-later
// The real game in a real window: it starts on the logo screen, fills the
// screen with its frame (letterboxed), switches to a plain window and back,
// and Escape ends it the normal way.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "GameSession.h"
#include "platform/Letterbox.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The logo screen's frame is white; on a 1280 x 720 screen the 800 x 600
// frame is scaled to 960 x 720 with black bars left and right. The logo's
// pictures sit in the middle, so the frame's edges are what is looked at.
bool ShowsWhiteLogoFrame(const Screenshot& shot)
{
    ScreenRect frame = Letterbox(800, 600, shot.Width(), shot.Height()).Target();
    constexpr int kInset = 4;  // clear of the blend at the frame's scaled edge
    bool edgesWhite = shot.IsAll(frame.x + kInset, frame.y + kInset, frame.width - 2 * kInset, 8, kWhite) &&
                      shot.IsAll(frame.x + kInset, frame.y + frame.height - 12, frame.width - 2 * kInset, 8, kWhite) &&
                      shot.IsAll(frame.x + kInset, frame.y + kInset, 8, frame.height - 2 * kInset, kWhite);
    bool barsBlack = frame.x < 8 || (shot.IsAll(0, 0, frame.x - 4, shot.Height(), kBlack) &&
                                     shot.IsAll(frame.x + frame.width + 4, 0, frame.x - 4, shot.Height(), kBlack));
    return edgesWhite && barsBlack;
}

TEST(StartAndQuitTest, TheLogoFrameIsWhiteAndEscapeEndsTheRun)
{
    GameSession session;
    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    EXPECT_TRUE(session.WaitForWindowSize(*window, 1280, 720));  // the whole screen
    EXPECT_TRUE(session.WaitForScreen(ShowsWhiteLogoFrame)) << session.ErrorOutput();

    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
    std::string log = session.Log();
    EXPECT_EQ(log.rfind(" ========== Debug Log File ========== \r\n\r\nVersion 1.0\r\nExe: ", 0), 0u) << log;
    EXPECT_TRUE(EndsWith(log, "\r\n=== App was shutdown successfully\r\n")) << log;
}

// The end of a session (SIGTERM at logout, SIGHUP when the terminal goes) is
// a normal end of the game; so is a settings file that cannot be written.
TEST(StartAndQuitTest, TheSessionEndingEndsTheGameTheNormalWay)
{
    for (int signal : {SIGTERM, SIGHUP}) {
        GameSession session;
        std::filesystem::create_directories(session.Folder() / "conf.pvd");  // can't be written
        ASSERT_TRUE(session.Launch());
        ASSERT_TRUE(session.WaitForWindow("Pavendra")) << session.ErrorOutput();
        ASSERT_TRUE(session.Signal(signal));
        EXPECT_EQ(session.WaitForExit(), 0) << signal << session.ErrorOutput();
        const std::string log = session.Log();
        EXPECT_NE(log.find("Couldn't save config: "), std::string::npos) << log;
        EXPECT_TRUE(EndsWith(log, "\r\n=== App was shutdown successfully\r\n")) << log;
    }
}

TEST(StartAndQuitTest, AltEnterSwitchesToAPlainWindowOfTheFramesSizeAndBack)
{
    GameSession session;
    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, 1280, 720));

    // A switch, not a state: pressed once (a second press would switch back).
    ASSERT_TRUE(session.PressKey("alt+Return", *window));
    EXPECT_TRUE(session.WaitForWindowSize(*window, 800, 600));
    // Unscaled now: the window shows the frame pixel for pixel.
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        std::optional<GameSession::Geometry> at = session.WindowGeometry(*window);
        return at && shot.IsAll(at->x, at->y, 800, 4, kWhite) && shot.IsAll(at->x, at->y + 596, 800, 4, kWhite);
    }));

    ASSERT_TRUE(session.PressKey("alt+Return", *window));
    EXPECT_TRUE(session.WaitForWindowSize(*window, 1280, 720));
    EXPECT_TRUE(session.IsRunning());  // Alt+Enter is no Escape

    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

TEST(StartAndQuitTest, WithoutADisplayTheGameSaysSoAndEndsWithoutHanging)
{
    TempFolder folder;
    std::filesystem::copy_file(PAVENDRA_BIN_DIR "/pavendra", folder / "pavendra");
    Subprocess game;
    Subprocess::Options options;
    options.environment = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, GameSession::StandInDialogTools(folder)};
    options.errorFile = folder / "stderr.txt";
    ASSERT_TRUE(game.Start({folder / "pavendra"}, options));
    EXPECT_EQ(game.WaitForExit(GameSession::kExitSeconds), 1);
    // Without a display no dialog tool can show the message.
    EXPECT_EQ(GameSession::UnaskedDialogs(folder), "");
    EXPECT_NE(folder.Read("stderr.txt").find("Error: Windows Creation Error"), std::string::npos)
        << folder.Read("stderr.txt");
    EXPECT_NE(folder.Read("debug.log").find("Windows Creation Error\r\n"), std::string::npos);
}

}  // namespace
