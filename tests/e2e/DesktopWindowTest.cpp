// SPDX-License-Identifier: GPL-3.0-or-later
// The game in a desktop window on a 1920 x 1080 screen: a good share of the
// screen at first, resizable with the frame letterboxed in it, clicks mapped
// into the frame at every size, Alt+Enter to full screen and back to the same
// window, and the window remembered for the next run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FullScreenGameTest.h"
#include "GameSession.h"

namespace {

constexpr int kWideWidth = 1920, kWideHeight = 1080;
// A spot of the picture page clear of every widget, left of the thumbnails.
constexpr int kBackgroundX = 20, kBackgroundY = 300;

class DesktopWindowTest : public FullScreenGameTest {
protected:
    DesktopWindowTest() : FullScreenGameTest(kWideWidth, kWideHeight) {}

    // Waits for the window's size and letterboxes the frame into it.
    void ExpectWindow(const std::string& window, int width, int height)
    {
        ASSERT_TRUE(session.WaitForWindowSize(window, width, height)) << width << " x " << height;
        std::optional<GameSession::Geometry> at = session.WindowGeometry(window);
        ASSERT_TRUE(at);
        InWindow(*at);
    }

    // Colours of the frame around a spot, for telling pages apart at any size.
    std::vector<Colour> Around(const Screenshot& shot, int frameX, int frameY) const
    {
        std::vector<Colour> colours;
        for (int dy = -40; dy <= 40; dy += 8)
            for (int dx = -40; dx <= 40; dx += 8) colours.push_back(FrameAt(shot, frameX + dx, frameY + dy));
        return colours;
    }
    static int Matching(const std::vector<Colour>& a, const std::vector<Colour>& b)
    {
        int same = 0;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) same += Near(a[i], b[i], 40);
        return same;
    }
};

TEST_F(DesktopWindowTest, AResizableWindowMapsClicksAndIsRememberedForTheNextRun)
{
    ASSERT_TRUE(session.Launch(true, {"--windowed"}));
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    // Three quarters of the screen's height, in the frame's shape.
    ASSERT_NO_FATAL_FAILURE(ExpectWindow(*window, 1080, 810));

    const Colour menuColour = MenuBackgroundAt(kBackgroundX, kBackgroundY);
    ASSERT_TRUE(Xdotool({"windowfocus", *window}));
    ASSERT_TRUE(Xdotool({"keydown", "a"}));
    bool menuShown = session.WaitForScreen(
        [&](const Screenshot& shot) { return Near(FrameAt(shot, kBackgroundX, kBackgroundY), menuColour); });
    ASSERT_TRUE(Xdotool({"keyup", "a"}));
    ASSERT_TRUE(menuShown) << session.ErrorOutput();
    std::optional<Screenshot> pictures = session.TakeScreenshot();
    ASSERT_TRUE(pictures);
    const std::vector<Colour> picturePage = Around(*pictures, 512, 272);

    // The first thumbnail opens the cut page: the preview replaces the thumbnails.
    ASSERT_TRUE(ClickUntil(108, 112, [&](const Screenshot& shot) {
        return Matching(Around(shot, 512, 272), picturePage) < static_cast<int>(picturePage.size()) / 3;
    })) << "no cut page";

    // A wide, low window: the frame stands in the middle with black beside it.
    ASSERT_TRUE(Xdotool({"windowsize", *window, "1400", "700"}));
    ASSERT_NO_FATAL_FAILURE(ExpectWindow(*window, 1400, 700));
    ASSERT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        return shot.IsAll(origin.x + 10, origin.y + 10, 200, 680, kBlack) &&
               Near(FrameAt(shot, kBackgroundX, kBackgroundY), menuColour);
    })) << "no letterbox";
    // Back, found at its place in the frame of the new size: the thumbnails again.
    ASSERT_TRUE(ClickUntil(352 + 20, 544 + 10, [&](const Screenshot& shot) {
        return Matching(Around(shot, 512, 272), picturePage) > static_cast<int>(picturePage.size()) * 2 / 3;
    })) << "Back was not hit";

    // Full screen and back to the window the player made.
    ASSERT_TRUE(session.PressKey("alt+Return", *window));
    EXPECT_TRUE(session.WaitForWindowSize(*window, kWideWidth, kWideHeight));
    ASSERT_TRUE(session.PressKey("alt+Return", *window));
    ASSERT_NO_FATAL_FAILURE(ExpectWindow(*window, 1400, 700));
    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
    const std::string settings = session.ReadFile("conf.pvd");
    EXPECT_NE(settings.find("FullScreen 0\r\nWindowWidth 1400\r\nWindowHeight 700\r\n"), std::string::npos)
        << settings;

    // The next run, without --windowed: the same window.
    ASSERT_TRUE(session.Launch());
    window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_NO_FATAL_FAILURE(ExpectWindow(*window, 1400, 700));
    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

}  // namespace
