// SPDX-License-Identifier: GPL-3.0-or-later
// One puzzle played through the real game in a real window: the logo, the
// picture page, the cut page, the build, the board, and Escape.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>
#include <string>
#include <thread>

#include "FullScreenGameTest.h"
#include "GameSession.h"
#include "app/CApp.h"
#include "platform/Letterbox.h"
#include "puzzle/CGame.h"
#include "core/CFile.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

class PlayThroughTest : public FullScreenGameTest {
protected:
    // The first thumbnail (the cut page replaces the thumbnails with the
    // preview), then Play: the pieces are built, then the board shows.
    void PlayTheFirstPicture()
    {
        ASSERT_TRUE(ClickUntil(108, 112, ChangedAround(*menu, 512, 272))) << "no cut page";
        ASSERT_TRUE(ClickUntil(352 + 20, 512 + 10, BoardShown())) << "no board";
    }
};

TEST_F(PlayThroughTest, FromTheLogoThroughTheMenusToTheBoardAndOut)
{
    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_TRUE(session.WaitForScreen([&](const Screenshot& shot) { return FrameAt(shot, 5, 5) == kWhite; }))
        << "no logo";
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_NO_FATAL_FAILURE(PlayTheFirstPicture());

    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
    std::string log = session.Log();
    EXPECT_NE(log.find("=== App was shutdown successfully"), std::string::npos) << log;
}

// The saved game without its last line, the play time; and the play time.
std::string WithoutTime(const std::string& text) { return text.substr(0, text.rfind("Time ")); }
float PlayTime(const std::string& text)
{
    const std::size_t at = text.rfind("Time ");
    return at == std::string::npos ? -1.0f : std::strtof(text.c_str() + at + 5, nullptr);
}

class ResumeTest : public PlayThroughTest, public ::testing::WithParamInterface<const char*> {};

// A puzzle left half done, by Escape, the window's close button or the end of
// the session (SIGTERM), comes
// back with the next run's LOAD GAME: the same groups at the same places, and
// the clock goes on from where it stood.
TEST_P(ResumeTest, APuzzleLeftHalfDoneComesBackWithLoadGame)
{
    const std::string wayOut = GetParam();
    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_NO_FATAL_FAILURE(PlayTheFirstPicture());
    EXPECT_FALSE(session.Folder().Exists("game.pvs"));
    if (wayOut == "Escape") {
        ASSERT_TRUE(session.PressKey("Escape", *window));
    } else if (wayOut == "CloseButton") {
        ASSERT_TRUE(session.RequestClose(*window));
    } else {
        ASSERT_TRUE(session.Signal(SIGTERM));  // the session ends
    }
    ASSERT_EQ(session.WaitForExit(), 0) << session.ErrorOutput() << session.Log();
    const std::string left = session.ReadFile("game.pvs");
    ASSERT_NE(left.find("NumberOfGroups"), std::string::npos) << session.Log();
    const float leftAt = PlayTime(left);
    EXPECT_GE(leftAt, 0.0f) << left;

    // The next run: LOAD GAME, then SAVE writes what was loaded.
    ASSERT_TRUE(session.Launch());
    window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    EXPECT_TRUE(ClickUntil(352 + 20, 480 + 10, BoardShown())) << "LOAD GAME showed no board";
    EXPECT_TRUE(ClickUntil(56 + 10, 0 + 10, [&](const Screenshot&) {
        return session.ReadFile("game.pvs") != left;
    })) << "SAVE wrote nothing";
    const std::string resumed = session.ReadFile("game.pvs");
    EXPECT_EQ(WithoutTime(resumed), WithoutTime(left));
    EXPECT_GE(PlayTime(resumed), leftAt);
    EXPECT_LT(PlayTime(resumed), leftAt + 120.0f) << "the clock went on from " << leftAt;
    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(WaysOut, ResumeTest, ::testing::Values("Escape", "CloseButton", "SessionEnd"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// The real game killed (SIGKILL) at random moments while the player clicks
// SAVE as fast as the game takes it: what is on the disk afterwards is always
// one whole saved game, never one cut short, and what a kill leaves behind
// does not stand in the next run's way. (A save is short beside the time
// between clicks; the many kills inside saves are the saved-game tests'.)
TEST_F(PlayThroughTest, KilledWhileSavingTheSavedGameIsAlwaysWhole)
{
    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_NO_FATAL_FAILURE(PlayTheFirstPicture());
    ASSERT_TRUE(ClickUntil(56 + 10, 0 + 10, [&](const Screenshot&) { return session.Folder().Exists("game.pvs"); }));
    // Saves of an untouched puzzle differ in their play time only.
    const std::string puzzle = WithoutTime(session.ReadFile("game.pvs"));
    ASSERT_NE(puzzle.find("NumberOfGroups"), std::string::npos);

    std::mt19937 random(7);
    constexpr int kKills = 4;
    for (int kill = 0; kill < kKills; ++kill) {
        const Point save = OnScreen(56 + 10, 0 + 10);
        ASSERT_TRUE(session.MoveMouse(save.x, save.y));
        Subprocess clicks;
        Subprocess::Options options;
        options.environment = {{"DISPLAY", session.Screen().Name()}};
        ASSERT_TRUE(clicks.Start({"xdotool", "click", "--repeat", "400", "--delay", "20", "1"}, options));
        // A random moment among the saves.
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 1500));
        ASSERT_TRUE(session.Signal(SIGKILL));
        EXPECT_EQ(session.WaitForExit(), 128 + SIGKILL);
        clicks.Stop();
        // Stopped between its press and its release, it would leave the button down.
        ASSERT_TRUE(Xdotool({"mouseup", "1"}));
        const std::string onDisk = session.ReadFile("game.pvs");
        ASSERT_EQ(WithoutTime(onDisk), puzzle) << "kill " << kill << " left " << onDisk.size() << " bytes";
        EXPECT_GE(PlayTime(onDisk), 0.0f);
        EXPECT_EQ(onDisk.substr(onDisk.size() - 2), "\r\n");

        // Back into the puzzle for the next round.
        ASSERT_TRUE(session.Launch());
        window = session.WaitForWindow("Pavendra");
        ASSERT_TRUE(window) << session.ErrorOutput();
        ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
        ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
        ASSERT_TRUE(ClickUntil(352 + 20, 480 + 10, BoardShown()))
            << "LOAD GAME showed no board after kill " << kill << ": " << session.Log();
    }
    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

// A piece carried onto LOAD and let go there is only dropped: the board is
// not taken back to the saved game. The next SAVE then holds the move.
TEST_F(PlayThroughTest, APieceLetGoOverLoadIsOnlyDropped)
{
    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_NO_FATAL_FAILURE(PlayTheFirstPicture());
    ASSERT_TRUE(ClickUntil(56 + 10, 0 + 10, [&](const Screenshot&) { return session.Folder().Exists("game.pvs"); }));
    const std::string saved = WithoutTime(session.ReadFile("game.pvs"));

    // A spot well inside a piece: nothing of the board's colour around it.
    std::optional<Screenshot> shot = session.TakeScreenshot();
    ASSERT_TRUE(shot);
    const std::optional<Point> spot = PieceSpot(*shot, 40, 120, 640, 520);
    ASSERT_TRUE(spot) << "no piece found on the board";
    const Point piece = *spot;

    const Point from = OnScreen(piece.x, piece.y), load = OnScreen(112 + 20, 0 + 12);
    ASSERT_TRUE(session.MoveMouse(from.x, from.y));
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    for (int step = 1; step <= 8; ++step)
        ASSERT_TRUE(session.MoveMouse(from.x + (load.x - from.x) * step / 8, from.y + (load.y - from.y) * step / 8));
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    EXPECT_TRUE(ClickUntil(56 + 10, 0 + 10, [&](const Screenshot&) {
        return WithoutTime(session.ReadFile("game.pvs")) != saved;
    })) << "the drop was taken for a click on LOAD: " << session.Log();
    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

// Taps: xdotool's key and click send the press and the release together,
// as touchpads and remote desktops do, so both arrive before one frame.
TEST_F(PlayThroughTest, TappingAKeyAndAThumbnailReachesTheCutPage)
{
    constexpr int kBackgroundX = 20, kBackgroundY = 300;
    const Colour menuColour = MenuBackgroundAt(kBackgroundX, kBackgroundY);

    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_TRUE(session.WaitForScreen([&](const Screenshot& shot) { return FrameAt(shot, 5, 5) == kWhite; }))
        << "no logo";

    ASSERT_TRUE(session.PressKey("a", *window));
    ASSERT_TRUE(session.WaitForScreen(
        [&](const Screenshot& shot) { return Near(FrameAt(shot, kBackgroundX, kBackgroundY), menuColour); }))
        << "a tapped key does not end the logo";
    std::optional<Screenshot> menu = session.TakeScreenshot();
    ASSERT_TRUE(menu);

    const Point thumbnail = OnScreen(108, 112);
    ASSERT_TRUE(session.Click(thumbnail.x, thumbnail.y));
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        int differing = 0;
        for (int dy = -40; dy <= 40; dy += 8)
            for (int dx = -40; dx <= 40; dx += 8)
                differing += !Near(FrameAt(shot, 512 + dx, 272 + dy), FrameAt(*menu, 512 + dx, 272 + dy));
        return differing > 40;
    })) << "a tapped thumbnail does not open the cut page";

    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

// The puzzle in play goes to its own file while it is played: killed
// (SIGKILL) after a few moves and half a minute of play, the next run's
// LOAD GAME brings back the puzzle as it was last saved.
TEST_F(PlayThroughTest, KilledDuringPlayTheNextLoadGameResumesTheLastSave)
{
    const std::string shelfFile = "puzzles/image0.pvs";
    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_NO_FATAL_FAILURE(PlayTheFirstPicture());

    // A few moves: pieces found on the board dragged 100 pixels to the right.
    const Colour board = MakeColour(CGame::kBoardColours[0][0], CGame::kBoardColours[0][1], CGame::kBoardColours[0][2]);
    for (int move = 0; move < 3; ++move) {
        std::optional<Screenshot> shot = session.TakeScreenshot();
        ASSERT_TRUE(shot);
        std::optional<Point> piece;
        for (int y = 80 + 60 * move; y < 520 && !piece; y += 12)
            for (int x = 40; x < 600 && !piece; x += 12)
                if (!Near(FrameAt(*shot, x, y), board, 30)) piece = Point{x, y};
        ASSERT_TRUE(piece) << "no piece on the board";
        const Point from = OnScreen(piece->x, piece->y);
        ASSERT_TRUE(session.MoveMouse(from.x, from.y));
        ASSERT_TRUE(Xdotool({"mousedown", "1"}));
        for (int step = 1; step <= 10; ++step) {
            const Point at = OnScreen(piece->x + 10 * step, piece->y);
            ASSERT_TRUE(session.MoveMouse(at.x, at.y));
        }
        ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    }
    EXPECT_FALSE(session.Folder().Exists("game.pvs"));
    ASSERT_TRUE(session.WaitForScreen([&](const Screenshot&) { return session.Folder().Exists(shelfFile); },
                                      CGame::kShelfSeconds + 30))
        << "nothing saved in play: " << session.Log();
    const std::string shelved = session.ReadFile(shelfFile);
    ASSERT_NE(shelved.find("NumberOfGroups"), std::string::npos);
    ASSERT_TRUE(session.Signal(SIGKILL));
    EXPECT_EQ(session.WaitForExit(), 128 + SIGKILL);

    ASSERT_TRUE(session.Launch());
    window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    ASSERT_TRUE(ClickUntil(352 + 20, 480 + 10, BoardShown())) << "LOAD GAME showed no board";
    // SAVE writes what LOAD GAME brought back.
    ASSERT_TRUE(ClickUntil(56 + 10, 0 + 10, [&](const Screenshot&) { return session.Folder().Exists("game.pvs"); }));
    EXPECT_EQ(WithoutTime(session.ReadFile("game.pvs")), WithoutTime(shelved));
    EXPECT_GE(PlayTime(session.ReadFile("game.pvs")), PlayTime(shelved));
    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

}  // namespace
