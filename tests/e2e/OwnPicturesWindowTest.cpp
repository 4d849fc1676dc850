// SPDX-License-Identifier: GPL-3.0-or-later
// The player's own pictures kept across runs, as a player finds them: two
// pictures played from the command line one run after the other; in the next
// run the first is on the picture page's second page, and its thumbnail
// opens its cut page, where CONTINUE resumes it.
#include <gtest/gtest.h>

#include <string>

#include "FullScreenGameTest.h"
#include "screens/CMenu.h"

namespace {

// PLAY (and CONTINUE in its place) on the cut page, MENU on the board.
constexpr int kPlayX = 352 + 48, kPlayY = 512 + 12;
constexpr int kMenuX = 12, kMenuY = 10;

class OwnPicturesWindowTest : public FullScreenGameTest {
protected:
    std::string MakePicture(const std::string& name, const char* colour)
    {
        const std::string picture = session.Folder() / name;
        Subprocess::Result made = Subprocess::Run({"convert", "-size", "600x400", colour, picture}, {}, 30);
        EXPECT_EQ(made.exitCode, 0) << "ImageMagick could not make the picture";
        return picture;
    }

    // Most of the cut page's picture in the colour.
    std::function<bool(const Screenshot&)> CutPageOf(Colour colour)
    {
        return [this, colour](const Screenshot& shot) {
            int matching = 0, samples = 0;
            for (int y = 180; y <= 360; y += 12)
                for (int x = 320; x <= 700; x += 12, ++samples) matching += Near(FrameAt(shot, x, y), colour);
            return matching > samples * 3 / 4;
        };
    }

    // The game started with the picture: its cut page, PLAY, the board, MENU, quit.
    void PlayAndLeave(const std::string& picture, Colour colour)
    {
        ASSERT_TRUE(session.Launch(true, {picture}));
        const std::optional<std::string> window = session.WaitForWindow("Pavendra");
        ASSERT_TRUE(window) << session.ErrorOutput();
        ASSERT_TRUE(session.WaitForScreen(CutPageOf(colour))) << "no cut page\n" << session.Log();
        ASSERT_TRUE(ClickUntil(kPlayX, kPlayY, BoardShown())) << "no board\n" << session.Log();
        const Colour menuColour = MenuBackgroundAt(kBackgroundX, kBackgroundY);
        ASSERT_TRUE(ClickUntil(kMenuX, kMenuY, [&](const Screenshot& shot) {
            return Near(FrameAt(shot, kBackgroundX, kBackgroundY), menuColour);
        })) << "no menu\n" << session.Log();
        EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
    }
};

TEST_F(OwnPicturesWindowTest, TheFirstOfTwoPicturesIsFoundOnThePicturePagesAndContinued)
{
    const Colour red = MakeColour(0xB2, 0x22, 0x22), blue = MakeColour(0x1E, 0x5A, 0xC8);
    const std::string first = MakePicture("first picture.png", "xc:#B22222");
    const std::string second = MakePicture("second.png", "xc:#1E5AC8");
    ASSERT_NO_FATAL_FAILURE(PlayAndLeave(first, red));
    ASSERT_NO_FATAL_FAILURE(PlayAndLeave(second, blue));

    ASSERT_TRUE(session.Launch());
    const std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    // Page Down: the second page holds the newest first, then the first picture.
    const int thumbHeight = 85;  // 600 x 400 in the 128 box
    const Point newest = {static_cast<int>(CMenu::ThumbnailLeft(0, 128)) + 40,
                          static_cast<int>(CMenu::ThumbnailTop(0, thumbHeight)) + 30};
    const Point older = {static_cast<int>(CMenu::ThumbnailLeft(1, 128)) + 40,
                         static_cast<int>(CMenu::ThumbnailTop(1, thumbHeight)) + 30};
    EXPECT_TRUE(session.PressKeyUntil("Next", *window, [&] {
        std::optional<Screenshot> shot = session.TakeScreenshot();
        return shot && Near(FrameAt(*shot, newest.x, newest.y), blue) && Near(FrameAt(*shot, older.x, older.y), red);
    })) << "the two pictures are not on the second page\n" << session.Log();
    // Its thumbnail: the cut page of the first picture, with CONTINUE.
    ASSERT_TRUE(ClickUntil(older.x, older.y, CutPageOf(red))) << session.Log();
    ASSERT_TRUE(ClickUntil(kPlayX, kPlayY, BoardShown())) << session.Log();
    EXPECT_NE(session.Log().find("Picture " + first + " was decoded ahead"), std::string::npos)
        << "not resumed from its kept puzzle\n" << session.Log();
    EXPECT_EQ(session.Log().find("A new cut replaces"), std::string::npos) << session.Log();
    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

}  // namespace
