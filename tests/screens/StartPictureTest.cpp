// SPDX-License-Identifier: GPL-3.0-or-later
// A picture given to open at start (the command line, the desktop's "Open
// with") goes straight to its cut page: the logo does not hold it back.
#include "ScreensFixture.h"

#include "app/CApp.h"

using namespace screens_test;

namespace {

class StartPictureTest : public ScreensTest {};

TEST_F(StartPictureTest, APictureToOpenSkipsTheLogo)
{
    App.OpenPictureAtStart(SquareJpeg());
    ASSERT_TRUE(game.RunUntil([] { return CMenu::GetPage() == MENU_CUT && App.GetState() == STATE_MENU; }, 5));
    EXPECT_STREQ(Game.GetImageName(), SquareJpeg().c_str());
}

TEST_F(StartPictureTest, WithoutAPictureTheLogoStays)
{
    game.RunFrames(5);
    EXPECT_EQ(App.GetState(), STATE_LOGO);
}

}  // namespace
