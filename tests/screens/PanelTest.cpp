// SPDX-License-Identifier: GPL-3.0-or-later
// The in-game panel: its clock text, its toggles, the board colours, and the
// way back to the menu. The panel is driven here as the board drives it, once
// per frame of play.
#include "ScreensFixture.h"

#include "app/CApp.h"

using namespace screens_test;

namespace {

class PanelTest : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        ToMenu();
        StartSquarePuzzle();
    }

    // A click at (x, y): a panel frame with the left button pressed there, one
    // with it released there, and one with the cursor gone.
    void ClickPanel(int x, int y)
    {
        SetCursor(x, y);
        InputMgr.SetLeftButton(true);
        Menu.UpdateGamePanel();
        InputMgr.SetLeftButton(false);
        Menu.UpdateGamePanel();
        SetCursor(400, 300);
        Menu.UpdateGamePanel();
    }
};

TEST(ClockTextTest, MinutesAndSecondsBelowTenGetALeadingZero)
{
    EXPECT_EQ(CMenu::FormatClock(0, 0), "00 : 00");
    EXPECT_EQ(CMenu::FormatClock(9, 59), "09 : 59");
    EXPECT_EQ(CMenu::FormatClock(10, 0), "10 : 00");
    EXPECT_EQ(CMenu::FormatClock(7, 5), "07 : 05");
    EXPECT_EQ(CMenu::FormatClock(125, 40), "125 : 40");
}

TEST_F(PanelTest, PictureShowsAndHidesTheSmallPictureBackAtItsPlace)
{
    ClickPanel(128 + 10, 569 + 10);
    EXPECT_TRUE(CMenu::IsShowPicture());
    EXPECT_TRUE(CMenu::GetPictureToggle().IsToggled());
    EXPECT_FLOAT_EQ(Game.GetPreviewPos().x, 560);
    EXPECT_FLOAT_EQ(Game.GetPreviewPos().y, 20);
    Game.SetPreviewPos(300, 300);  // dragged elsewhere
    ClickPanel(128 + 10, 569 + 10);
    EXPECT_FALSE(CMenu::IsShowPicture());
    EXPECT_FALSE(CMenu::GetPictureToggle().IsToggled());
    EXPECT_FLOAT_EQ(Game.GetPreviewPos().x, 560);
}

TEST_F(PanelTest, BorderTogglesTheEdgeFilterAndLoadClearsBothMarks)
{
    ClickPanel(56 + 10, 0 + 10);  // Save
    ClickPanel(8 + 10, 569 + 10);
    EXPECT_TRUE(CMenu::borderOnly);
    EXPECT_TRUE(CMenu::GetBorderButton().IsToggled());
    ClickPanel(128 + 10, 569 + 10);
    ClickPanel(112 + 10, 0 + 10);  // Load
    EXPECT_FALSE(CMenu::borderOnly);
    EXPECT_FALSE(CMenu::showPicture);
    EXPECT_FALSE(CMenu::GetBorderButton().IsToggled());
    EXPECT_FALSE(CMenu::GetPictureToggle().IsToggled());
    EXPECT_EQ(App.GetState(), STATE_GAME);
}

TEST_F(PanelTest, TheFourColourButtonsSetTheBoardColours)
{
    const int x[] = {672, 700, 728, 756};
    for (int i = 3; i >= 0; --i) {
        ClickPanel(x[i] + 6, 569 + 6);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(Game.backgroundColor[c], CGame::kBoardColours[i][c]) << i;
    }
}

// LOAD with no saved game keeps the board as it is and says so where
// "GAME SAVED!" shows; so does a damaged one.
TEST_F(PanelTest, LoadWithNoSavedGameKeepsEveryPieceWhereItWas)
{
    ClickPanel(8 + 10, 569 + 10);  // Border on
    Game.ArrangePieces();
    const std::vector<CGroup> before = Game.GetGroups();
    for (const char* damage : {"", "NumberOfGroups -1"}) {
        if (*damage) game.WriteFolder().Write("game.pvs", damage);
        ClickPanel(112 + 10, 0 + 10);  // Load
        ASSERT_EQ(Game.GetGroups().size(), before.size());
        for (std::size_t g = 0; g < before.size(); ++g) {
            EXPECT_EQ(Game.GetGroups()[g].x, before[g].x);
            EXPECT_EQ(Game.GetGroups()[g].y, before[g].y);
        }
        EXPECT_TRUE(CMenu::GetBorderButton().IsToggled()) << "nothing was loaded";
        EXPECT_TRUE(Game.IsSavedBannerShown());
        EXPECT_STREQ(Game.GetBannerText(), *damage ? "SAVED GAME IS DAMAGED" : "NO SAVED GAME");
        EXPECT_EQ(App.GetState(), STATE_GAME);
    }
}

TEST_F(PanelTest, MenuEndsTheGameAndReturnsToThePicturePage)
{
    ClickPanel(8 + 10, 569 + 10);  // Border on
    CMenu::SetPage(MENU_CALCULATE);
    ClickPanel(0 + 10, 0 + 10);
    EXPECT_EQ(App.GetState(), STATE_MENU);
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
    EXPECT_FALSE(CMenu::GetBorderButton().IsToggled());
    EXPECT_EQ(Game.GetPieceCount(), 0);
    EXPECT_TRUE(game.WriteFolder().Exists("game.pvs")) << "the puzzle left is saved";
    game.RunFrames(2);  // the menu draws and works again
    EXPECT_EQ(App.GetState(), STATE_MENU);
    EXPECT_FALSE(App.IsQuitPosted());
}

TEST_F(PanelTest, SaveWithNoPuzzleInPlayClaimsNothing)
{
    Game.ClearGroups();
    Game.FreePieces();
    ClickPanel(56 + 10, 0 + 10);  // Save
    EXPECT_FALSE(Game.IsSavedBannerShown()) << "no banner when nothing was saved";
    EXPECT_FALSE(game.WriteFolder().Exists("game.pvs"));
}

TEST_F(PanelTest, TheClockIsDrawnOverItsBackground)
{
    Surface& back = App.GetBackDC();
    back.Fill(kBlack);
    Menu.UpdateGamePanel();
    bool drewText = false;  // the font writes white
    for (int y = 5; y < 25 && !drewText; ++y)
        for (int x = 712; x < 790 && !drewText; ++x) drewText = back.GetPixel(x, y) == kWhite;
    EXPECT_TRUE(drewText);
}

}  // namespace
