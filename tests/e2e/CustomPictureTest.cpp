// SPDX-License-Identifier: GPL-3.0-or-later
// The player's own picture through the real game in a real window, with a
// stand-in for the desktop's dialog tool that answers with a file of the
// test's: a file that is no picture brings the game's own message, which OK
// dismisses with the menu as it was; a PNG then opens on the cut page.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "FullScreenGameTest.h"
#include "GameSession.h"
#include "app/CApp.h"
#include "platform/Letterbox.h"

namespace {

// The picture page's Custom button, and a spot of the page clear of widgets.
constexpr int kCustomX = 372, kCustomY = 522;
constexpr Colour kPictureColour = MakeColour(40, 190, 120);
// The message box's own colours.
constexpr Colour kBoxColour = MakeColour(22, 30, 52);

class CustomPictureTest : public FullScreenGameTest {
protected:
    void SetUp() override
    {
        // The stand-in dialog prints whatever path the test put in "answer"
        // (the session puts its tools first on the game's PATH).
        const TempFolder& folder = session.Folder();
        folder.Write("tools/zenity", "#!/bin/sh\ncat '" + (folder / "answer") + "'\n");
        chmod((folder / "tools/zenity").c_str(), 0755);
    }

    // Spots of the picture page away from the Custom button.
    bool SameMenu(const Screenshot& a, const Screenshot& b) const
    {
        for (int y = 20; y < 480; y += 37)
            for (int x = 20; x < 780; x += 41)
                if (!Near(FrameAt(a, x, y), FrameAt(b, x, y), 8)) return false;
        return true;
    }

};

TEST_F(CustomPictureTest, ABadFileBringsTheGamesMessageAndAPngOpensOnTheCutPage)
{
    const TempFolder& folder = session.Folder();
    folder.Write("letter.png", "This is a letter, not a picture.\n");
    const std::string picture = folder / "own picture.png";
    ASSERT_EQ(std::system(("convert -size 300x200 xc:'rgb(40,190,120)' '" + picture + "'").c_str()), 0);

    ASSERT_TRUE(session.Launch());
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_TRUE(session.WaitForWindowSize(*window, kScreenWidth, kScreenHeight));
    ASSERT_TRUE(session.WaitForScreen([&](const Screenshot& shot) { return FrameAt(shot, 5, 5) == kWhite; }));
    ASSERT_TRUE(Xdotool({"windowfocus", *window}));
    ASSERT_TRUE(Xdotool({"keydown", "a"}));
    bool menuShown = session.WaitForScreen([&](const Screenshot& shot) { return FrameAt(shot, 5, 5) != kWhite; });
    ASSERT_TRUE(Xdotool({"keyup", "a"}));
    ASSERT_TRUE(menuShown);
    // The mouse where it will rest after the message, so the page looks the same.
    Point rest = OnScreen(20, 590);
    ASSERT_TRUE(session.MoveMouse(rest.x, rest.y));
    ASSERT_TRUE(session.WaitForScreen([](const Screenshot&) { return true; }));
    std::optional<Screenshot> before = session.TakeScreenshot();
    ASSERT_TRUE(before);

    // A file that is no picture: the message shows in the game's window.
    folder.Write("answer", folder / "letter.png");
    auto messageShown = [&](const Screenshot& shot) { return Near(FrameAt(shot, 150, 300), kBoxColour, 6); };
    ASSERT_TRUE(ClickUntil(kCustomX, kCustomY, messageShown)) << session.Log();
    EXPECT_NE(session.Log().find("This file is not a picture the game can open."), std::string::npos);

    // Its OK button: the one lighter block on the box's middle line.
    std::optional<Screenshot> shot = session.TakeScreenshot();
    ASSERT_TRUE(shot);
    int okY = -1;
    for (int y = 599; y > 300 && okY < 0; --y) {
        Colour c = FrameAt(*shot, 400, y);
        if (Near(c, MakeColour(52, 70, 118), 10) || Near(c, MakeColour(84, 110, 170), 10)) okY = y - 6;
    }
    ASSERT_GT(okY, 0) << "no OK button";
    auto messageGone = [&](const Screenshot& s) { return !messageShown(s); };
    ASSERT_TRUE(ClickUntil(400, okY, messageGone));
    ASSERT_TRUE(session.MoveMouse(rest.x, rest.y));
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& s) { return SameMenu(s, *before); }, 10))
        << "the menu changed";

    // The PNG: the cut page shows it in the middle of its preview.
    folder.Write("answer", picture + "\n");
    // (Most of the preview's spots: the cut lines cross some.)
    auto cutPage = [&](const Screenshot& s) {
        int matching = 0, spots = 0;
        for (int y = 140; y < 400; y += 23)
            for (int x = 300; x < 720; x += 29, ++spots) matching += Near(FrameAt(s, x, y), kPictureColour);
        return matching * 10 > spots * 7;
    };
    EXPECT_TRUE(ClickUntil(kCustomX, kCustomY, cutPage)) << session.Log();

    ASSERT_TRUE(session.PressKey("Escape", *window));
    EXPECT_EQ(session.WaitForExit(), 0) << session.ErrorOutput();
}

}  // namespace
