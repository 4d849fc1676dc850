// SPDX-License-Identifier: GPL-3.0-or-later
// The game in a window under a window manager (openbox) on a 1920 x 1080
// screen, as on a desktop: CUSTOM's file dialog (a stand-in that opens a
// window of its own and takes the focus) and the window back afterwards,
// raised, focused and showing the cut page; the first click after the focus
// went to another window acts; the play clock over a minimise, a focus loss
// and a pause; quick key combinations act once; the help card.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "FullScreenGameTest.h"
#include "GameSession.h"

namespace {

constexpr int kWideWidth = 1920, kWideHeight = 1080;
constexpr int kCustomX = 372, kCustomY = 522;
constexpr int kBackX = 398, kBackY = 556;
constexpr int kPlayX = 398, kPlayY = 524;
constexpr int kThumbnailX = 250, kThumbnailY = 233;  // the second picture of the middle row
constexpr int kArrangeX = 300, kArrangeY = 580;
constexpr Colour kPictureColour = MakeColour(40, 190, 120);
constexpr Colour kCardColour = MakeColour(22, 30, 52);
constexpr Colour kCoverColour = MakeColour(12, 16, 28);
// A time away that the clock must not count, on the wall clock.
constexpr auto kAway = std::chrono::seconds(3);

class WindowManagerTest : public FullScreenGameTest {
protected:
    WindowManagerTest() : FullScreenGameTest(kWideWidth, kWideHeight) {}

    void SetUp() override
    {
        // The stand-in dialog opens a window of its own (which takes the
        // focus, as a dialog does) and answers once the test says so.
        const TempFolder& folder = session.Folder();
        const std::string picture = folder / "own picture.png";
        ASSERT_EQ(std::system(("convert -size 300x200 xc:'rgb(40,190,120)' '" + picture + "'").c_str()), 0);
        folder.Write("tools/zenity", "#!/bin/sh\n"
                                     "display -title Chooser '" + picture + "' &\n"
                                     "shown=$!\n"
                                     "i=0\n"
                                     "while [ ! -e '" + (folder / "answer-now") + "' ] && [ $i -lt 600 ]; do\n"
                                     "  sleep 0.1; i=$((i + 1))\n"
                                     "done\n"
                                     "kill $shown\n"
                                     "echo '" + picture + "'\n");
        chmod((folder / "tools/zenity").c_str(), 0755);
        ASSERT_TRUE(session.StartWindowManager()) << session.ReadFile("wm-stderr.txt");
        ASSERT_TRUE(session.Launch(true, {"--windowed"}));
        std::optional<std::string> found = session.WaitForWindow("Pavendra");
        ASSERT_TRUE(found) << session.ErrorOutput();
        window = *found;
        ASSERT_TRUE(session.WaitForWindowSize(window, 1080, 810));
        std::optional<GameSession::Geometry> at = ClientArea();
        ASSERT_TRUE(at);
        InWindow(*at);
        // Past the logo with a key held until the menu shows.
        const Colour menuColour = MenuBackgroundAt(kBackgroundX, kBackgroundY);
        ASSERT_TRUE(Xdotool({"windowfocus", window}));
        ASSERT_TRUE(Xdotool({"keydown", "a"}));
        const bool menuShown = session.WaitForScreen(
            [&](const Screenshot& shot) { return Near(FrameAt(shot, kBackgroundX, kBackgroundY), menuColour); });
        ASSERT_TRUE(Xdotool({"keyup", "a"}));
        ASSERT_TRUE(menuShown) << "client area " << at->x << ", " << at->y << ", " << at->width << " x " << at->height;
    }
    void TearDown() override
    {
        if (other.IsRunning()) other.Stop();
    }

    // The window's client area on the screen. The window manager puts the
    // window into a frame of its own; xwininfo tells where the client lies.
    std::optional<GameSession::Geometry> ClientArea()
    {
        Subprocess::Result info = session.RunOnScreen({"xwininfo", "-id", window});
        if (info.exitCode != 0) return std::nullopt;
        GameSession::Geometry geometry;
        auto value = [&](const std::string& label) {
            const std::size_t at = info.output.find(label);
            return at == std::string::npos ? -1 : std::atoi(info.output.c_str() + at + label.size());
        };
        geometry.x = value("Absolute upper-left X:");
        geometry.y = value("Absolute upper-left Y:");
        geometry.width = value("Width:");
        geometry.height = value("Height:");
        if (geometry.x < 0 || geometry.y < 0 || geometry.width <= 0 || geometry.height <= 0) return std::nullopt;
        return geometry;
    }

    // Another program's window, in front of the game, with the focus.
    void FocusAnotherWindow()
    {
        if (!other.IsRunning()) {
            Subprocess::Options options;
            options.environment = {{"DISPLAY", session.Screen().Name()}};
            ASSERT_TRUE(other.Start({"display", "-title", "Other", "-geometry", "+1500+40",
                                     session.Folder() / "own picture.png"},
                                    options));
        }
        std::optional<std::string> id = session.WaitForWindow("Other");
        ASSERT_TRUE(id);
        ASSERT_TRUE(Xdotool({"windowactivate", "--sync", *id}));
        ASSERT_FALSE(GameIsActive());
    }
    // One click on a spot of the frame, as one call of xdotool, then a wait
    // until the screen shows that it was seen.
    bool ClickUntil(int frameX, int frameY, const std::function<bool(const Screenshot&)>& seen)
    {
        const Point at = OnScreen(frameX, frameY);
        return session.Click(at.x, at.y) && session.WaitForScreen(seen);
    }
    // Waits until two screenshots in a row show the same around a spot of the frame.
    std::optional<Screenshot> WaitForStill(int frameX, int frameY)
    {
        std::optional<Screenshot> last;
        const bool still = session.WaitForScreen([&](const Screenshot& shot) {
            const bool same = last && !ChangedAround(*last, frameX, frameY)(shot);
            last = shot;
            return same;
        });
        return still ? last : std::nullopt;
    }
    // The active window's number: the tools write it in decimal or in hex.
    unsigned long ActiveWindow()
    {
        return WindowNumber(session.RunOnScreen({"xdotool", "getactivewindow"}).output);
    }
    static unsigned long WindowNumber(const std::string& id) { return std::strtoul(id.c_str(), nullptr, 0); }
    bool GameIsActive() { return ActiveWindow() == WindowNumber(window); }
    bool WindowIsNormal()
    {
        return session.RunOnScreen({"xprop", "-id", window, "WM_STATE"}).output.find("Normal") != std::string::npos;
    }
    // Most spots of the cut page's preview show the player's picture.
    std::function<bool(const Screenshot&)> CutPageOfThePicture()
    {
        return [this](const Screenshot& shot) {
            int green = 0;
            for (int y = 260; y <= 380; y += 20)
                for (int x = 440; x <= 640; x += 25) green += Near(FrameAt(shot, x, y), kPictureColour, 30);
            return green > 35;
        };
    }
    int LogCount(const std::string& line) const
    {
        const std::string log = session.Log();
        int count = 0;
        for (std::size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
        return count;
    }
    bool WaitForLog(const std::string& line, int count)
    {
        return session.WaitForScreen([&](const Screenshot&) { return LogCount(line) >= count; });
    }
    // The free board, in spots: what a drop or ARRANGE changes.
    std::vector<Colour> Board(const Screenshot& shot) const
    {
        std::vector<Colour> spots;
        for (int y = 50; y < 540; y += 14)
            for (int x = 10; x < 790; x += 14) spots.push_back(FrameAt(shot, x, y));
        return spots;
    }
    static bool SameBoard(const std::vector<Colour>& a, const std::vector<Colour>& b)
    {
        int differing = 0;
        for (std::size_t i = 0; i < a.size(); ++i) differing += !Near(a[i], b[i], 12);
        return differing < 5;
    }
    bool WaitForBoard(const std::vector<Colour>& board)
    {
        return session.WaitForScreen([&](const Screenshot& shot) { return SameBoard(Board(shot), board); }, 20);
    }

    std::string window;
    Subprocess other;
};

// CUSTOM: the dialog opens in front of the game's window, which stays on the
// screen; when the dialog answers, the game's window is in front again with
// the focus and shows the cut page of the picture. Back on the picture page,
// with the focus gone to another window, the first click on a thumbnail acts.
TEST_F(WindowManagerTest, BackFromTheDialogInFrontAndTheFirstClickActs)
{
    const Point custom = OnScreen(kCustomX, kCustomY);
    ASSERT_TRUE(session.MoveMouse(custom.x, custom.y));
    ASSERT_TRUE(Xdotool({"click", "1"}));
    std::optional<std::string> chooser = session.WaitForWindow("Chooser");
    ASSERT_TRUE(chooser) << session.Log();
    EXPECT_TRUE(WindowIsNormal()) << "the game's window stays on the screen behind the dialog";
    ASSERT_TRUE(Xdotool({"windowactivate", "--sync", *chooser}));

    session.Folder().Write("answer-now", "");
    ASSERT_TRUE(session.WaitForScreen(CutPageOfThePicture())) << session.Log();
    EXPECT_TRUE(WindowIsNormal());
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot&) { return GameIsActive(); }, 10))
        << "the game's window has the focus again";

    // Back to the thumbnails, then the focus elsewhere: one click on a thumbnail.
    std::optional<Screenshot> cutPage = session.TakeScreenshot();
    ASSERT_TRUE(cutPage);
    ASSERT_TRUE(ClickUntil(kBackX, kBackY, ChangedAround(*cutPage, 512, 272)));
    const Point aside = OnScreen(kBackgroundX, kBackgroundY);
    ASSERT_TRUE(session.MoveMouse(aside.x, aside.y));
    std::optional<Screenshot> again = WaitForStill(512, 272);
    ASSERT_TRUE(again);
    ASSERT_NO_FATAL_FAILURE(FocusAnotherWindow());
    EXPECT_TRUE(ClickUntil(kThumbnailX, kThumbnailY, ChangedAround(*again, 512, 272)))
        << "the click that brought the window to the front chose the picture";
    EXPECT_TRUE(GameIsActive());
    EXPECT_EQ(session.UnaskedDialogs(session.Folder()), "");
    EXPECT_EQ(session.PressKeyUntilExit("Escape", window), 0);
}

// On the board: the clock does not count a minimise, a focus loss or a
// pause (whose card covers the board); Ctrl+Z and Ctrl+Shift+Z sent as fast
// as the keyboard goes act once each; F1 shows the help card, a key closes it.
TEST_F(WindowManagerTest, TheClockCountsOnlyPlayAndQuickKeysActOnce)
{
    std::optional<Screenshot> pictures = session.TakeScreenshot();
    ASSERT_TRUE(pictures);
    ASSERT_TRUE(ClickUntil(kThumbnailX, kThumbnailY, ChangedAround(*pictures, 512, 272)));
    ASSERT_TRUE(WaitForStill(512, 272));
    // PLAY: the pieces are cut, then the board stands still.
    const Point play = OnScreen(kPlayX, kPlayY);
    const auto playStart = std::chrono::steady_clock::now();  // the clock starts later
    ASSERT_TRUE(session.Click(play.x, play.y));
    ASSERT_TRUE(WaitForLog("--- Cut ", 1)) << session.Log();

    // An action (ARRANGE), taken back and done again with keys sent as fast
    // as xdotool sends them.
    const Point rest = OnScreen(780, 300);
    ASSERT_TRUE(session.MoveMouse(rest.x, rest.y));
    ASSERT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        int board = 0;
        for (Colour spot : Board(shot)) board += Near(spot, BoardColour(), 4);
        return board > 200;
    })) << "the board";
    std::optional<Screenshot> before = WaitForStill(400, 300);
    ASSERT_TRUE(before);
    ASSERT_TRUE(ClickUntil(kArrangeX, kArrangeY,
                           [&](const Screenshot& shot) { return !SameBoard(Board(shot), Board(*before)); }));
    ASSERT_TRUE(session.MoveMouse(rest.x, rest.y));
    std::optional<Screenshot> arranged = WaitForStill(400, 300);
    ASSERT_TRUE(arranged);
    ASSERT_TRUE(Xdotool({"key", "--delay", "0", "ctrl+z"}));
    EXPECT_TRUE(WaitForBoard(Board(*before))) << "Ctrl+Z took back ARRANGE";
    ASSERT_TRUE(Xdotool({"key", "--delay", "0", "ctrl+shift+z"}));
    EXPECT_TRUE(WaitForBoard(Board(*arranged))) << "Ctrl+Shift+Z did ARRANGE again";
    ASSERT_TRUE(Xdotool({"key", "--delay", "0", "ctrl+z", "ctrl+y"}));
    EXPECT_TRUE(WaitForBoard(Board(*arranged))) << "Ctrl+Z then Ctrl+Y";

    // Away three times, each for a few seconds of the wall clock.
    const std::string stopped = "--- Play clock stopped", goesOn = "--- Play clock goes on";
    ASSERT_TRUE(Xdotool({"windowminimize", "--sync", window}));
    ASSERT_TRUE(WaitForLog(stopped, 1)) << session.Log();
    std::this_thread::sleep_for(kAway);
    ASSERT_TRUE(Xdotool({"windowactivate", "--sync", window}));
    ASSERT_TRUE(WaitForLog(goesOn, 1)) << session.Log();

    ASSERT_NO_FATAL_FAILURE(FocusAnotherWindow());
    ASSERT_TRUE(WaitForLog(stopped, 2)) << session.Log();
    std::this_thread::sleep_for(kAway);
    ASSERT_TRUE(Xdotool({"windowactivate", "--sync", window}));
    ASSERT_TRUE(WaitForLog(goesOn, 2)) << session.Log();

    ASSERT_TRUE(session.PressKey("p", window));
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        for (Point spot : {Point{30, 300}, Point{400, 100}, Point{770, 500}, Point{20, 20}})
            if (!Near(FrameAt(shot, spot.x, spot.y), kCoverColour, 6)) return false;
        return true;
    })) << "the pause covers the board";
    std::this_thread::sleep_for(kAway);
    ASSERT_TRUE(session.PressKey("space", window));
    ASSERT_TRUE(WaitForLog("--- Play goes on after the pause", 1)) << session.Log();

    // The help card, and any key closes it.
    ASSERT_TRUE(session.PressKey("F1", window));
    auto cardShown = [&](const Screenshot& shot) {
        return Near(FrameAt(shot, 60, 300), kCardColour, 6) && Near(FrameAt(shot, 740, 300), kCardColour, 6);
    };
    EXPECT_TRUE(session.WaitForScreen(cardShown));
    ASSERT_TRUE(session.PressKey("space", window));
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& shot) { return !cardShown(shot); }));

    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - playStart).count();
    EXPECT_EQ(session.PressKeyUntilExit("Escape", window), 0);
    const std::string saved = session.ReadFile("game.pvs");
    const std::size_t at = saved.find("Time ");
    ASSERT_NE(at, std::string::npos) << saved;
    const double clock = std::atof(saved.c_str() + at + 5);
    const double away = 3 * std::chrono::duration<double>(kAway).count();
    EXPECT_LT(clock, wall - away + 1.0) << "the clock counted time away: " << clock << " s of " << wall;
    EXPECT_GT(clock, 0.0);
}

}  // namespace
