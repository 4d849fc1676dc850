// SPDX-License-Identifier: GPL-3.0-or-later
// The application object driven in-process: start-up, the frame step by
// state, resizing, full screen, the window's title and icon, and the ways a
// run ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/CApp.h"
#include "core/CMgrInput.h"
#include "core/CTimer.h"
#include "puzzle/CGame.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "screens/CMenu.h"
#include "support/HeadlessGame.h"
#include "support/TempFolder.h"
#include "support/ZipBuilder.h"

namespace {

constexpr Colour kBoardColour = MakeColour(127, 154, 168);

// A 1 x 1 bitmap: enough of a picture for a window icon.
std::string TinyBitmap()
{
    std::string bmp("BM", 2);
    bmp.resize(58, '\0');
    bmp[10] = 54;  // pixels start after the two headers
    bmp[14] = 40;  // info header size
    bmp[18] = 1;   // width
    bmp[22] = 1;   // height
    bmp[26] = 1;   // planes
    bmp[28] = 24;  // bits per pixel
    return bmp;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(AppFrameTest, EachStateStartsItsFrameInItsColour)
{
    HeadlessGame game;
    game.Start();
    ASSERT_EQ(App.GetState(), STATE_LOGO);
    ASSERT_EQ(game.RunFrames(1), 1);
    EXPECT_EQ(game.Frame().Width(), 800);
    EXPECT_EQ(game.Frame().Height(), 600);
    EXPECT_EQ(game.Frame().GetPixel(0, 0), kWhite);
    EXPECT_EQ(game.Frame().GetPixel(799, 599), kWhite);

    // The menu's page loads its background when it is first drawn, over the black.
    App.SetState(STATE_MENU);
    game.RunFrames(1);
    CImage background;
    ImageMgr.LoadImage(background, res::kMenuBackground);
    EXPECT_EQ(game.Frame().GetPixel(400, 300), background.surface.GetPixel(400, 300));

    App.SetState(STATE_GAME);
    game.RunFrames(1);
    EXPECT_EQ(game.Frame().GetPixel(400, 300), kBoardColour);

    // The board colour takes the low byte of each component.
    Game.backgroundColor[0] = 0x1FF;
    game.RunFrames(1);
    EXPECT_EQ(game.Frame().GetPixel(10, 10), MakeColour(0xFF, 154, 168));
    Game.backgroundColor[0] = 127;

    App.SetState(2);  // unused: a black frame, no screen
    game.RunFrames(1);
    EXPECT_EQ(game.Frame().GetPixel(400, 300), kBlack);
}

TEST(AppFrameTest, OnePresentPerFrameAndTheTitleIsSet)
{
    HeadlessGame game;
    game.Start();
    EXPECT_EQ(game.RunFrames(5), 5);
    EXPECT_EQ(game.Display().PresentCount(), 5);
    EXPECT_EQ(App.GetFrameCount(), 5);
    EXPECT_EQ(game.Display().Title(), "Pavendra");
    EXPECT_TRUE(game.Display().IsFullScreen());  // the game starts on the whole screen
}

TEST(AppFrameTest, FrameTimeComesFromTheFrameClock)
{
    HeadlessGame game;
    game.SetFrameStep(0.125);
    game.Start();
    game.RunFrames(2);
    EXPECT_FLOAT_EQ(Timer.GetDelta(), 0.125f);
    game.Clock().Advance(2.0);  // a pause, say a dragged window
    game.RunFrames(1);
    EXPECT_FLOAT_EQ(Timer.GetDelta(), 2.125f);
}

TEST(AppFrameTest, ResizeRebuildsTheBackBufferAtTheClientSizeOnTheNextFrame)
{
    HeadlessGame game;
    game.Start();
    game.RunFrames(1);
    App.SetState(STATE_GAME);
    App.GetBackDC().SetPixel(5, 5, MakeColour(1, 2, 3));
    game.Display().SetScreenSize(1920, 1080);
    game.RunFrames(1);
    // The game keeps its 800 x 600 client area whatever the window's size; the
    // outer size is that client area plus a window's frame.
    EXPECT_EQ(App.GetBackDC().Width(), 800);
    EXPECT_EQ(App.GetBackDC().Height(), 600);
    EXPECT_EQ(App.GetWidth(), 805);
    EXPECT_EQ(App.GetHeight(), 635);
    EXPECT_EQ(game.Frame().GetPixel(5, 5), kBoardColour);
}

// The picture page changes only with input: once it was drawn twice from the
// same input it is not drawn again (the back buffer is left alone, the frame
// is still presented) until input comes, at any drawing scale; a timed
// message keeps it drawing until the message has gone.
TEST(AppFrameTest, AStillMenuPageIsNotDrawnAgain)
{
    HeadlessGame game;
    game.Start();
    game.TapKey('A');
    ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_MENU; }, 600));
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE(scale);
        game.Display().SetDrawingScale(scale);
        game.MoveMouse(20, 300);
        game.RunFrames(4);
        ASSERT_EQ(App.GetBackDC().Scale(), scale);
        const std::uint64_t still = App.GetBackDC().Version();
        const Surface page = game.Frame();
        const long presents = game.Display().PresentCount();
        game.RunFrames(5);
        EXPECT_EQ(App.GetBackDC().Version(), still) << "drawn again";
        EXPECT_EQ(game.Display().PresentCount(), presents + 5);

        game.MoveMouse(21, 300);  // input: a full frame
        game.RunFrames(1);
        EXPECT_NE(App.GetBackDC().Version(), still);

        CMenu::ShowMessage("NO SAVED GAME", 0.5f);
        game.RunFrames(1);
        std::uint64_t drawn = App.GetBackDC().Version();
        for (int frame = 0; frame < 10; ++frame) {
            game.RunFrames(1);
            EXPECT_NE(App.GetBackDC().Version(), drawn) << "the message stood still at frame " << frame;
            drawn = App.GetBackDC().Version();
        }
        ASSERT_TRUE(game.RunUntil([] { return CMenu::GetMessage() == nullptr; }, 600));
        game.RunFrames(4);
        const std::uint64_t after = App.GetBackDC().Version();
        game.RunFrames(3);
        EXPECT_EQ(App.GetBackDC().Version(), after) << "still again once the message has gone";
        int differing = 0;
        for (int y = 0; y < page.Height(); y += 3)
            for (int x = 0; x < page.Width(); x += 3) differing += page.GetPixel(x, y) != game.Frame().GetPixel(x, y);
        EXPECT_EQ(differing, 0) << "the message is gone from the page";
    }
    game.Display().SetDrawingScale(1);
    game.RunFrames(1);
}

TEST(AppFrameTest, AltEnterTogglesFullScreenAndTheWindowIsRebuilt)
{
    HeadlessGame game;
    game.Start();
    game.RunFrames(1);
    game.Queue(InputEvent::ToggleFullScreen());
    game.RunFrames(2);  // the toggle, then the resize it causes
    EXPECT_FALSE(game.Display().IsFullScreen());
    EXPECT_FALSE(InputMgr.AnyKeyDown());  // not a key the screens see
    game.Queue(InputEvent::ToggleFullScreen());
    game.RunFrames(2);
    EXPECT_TRUE(game.Display().IsFullScreen());
    EXPECT_FALSE(App.IsQuitPosted());
}

TEST(AppFrameTest, EscapeEndsTheRunTheNormalWay)
{
    HeadlessGame game;
    game.Start();
    game.RunFrames(3);
    game.PressKey(VK_ESCAPE);
    game.Queue(InputEvent::KeyDown('A'));  // input already waiting is still handled
    App.Run();                             // returns on the quit message
    EXPECT_TRUE(InputMgr.IsKeyDown('A'));
    EXPECT_EQ(App.GetFrameCount(), 3);  // no frame after the quit message
    game.Finish();
    EXPECT_FALSE(game.Display().IsOpen());
    std::string log = game.LogText();
    EXPECT_EQ(log.rfind(" ========== Debug Log File ========== \r\n\r\nVersion 1.0\r\nExe: ", 0), 0u);
    // Whether the build made an archive or not, opening it is reported.
    EXPECT_TRUE(log.find("--- Opened data file data.000\r\n") != std::string::npos ||
                log.find("--- Data file data.000 not found\r\n") != std::string::npos)
        << log;
    EXPECT_TRUE(EndsWith(log, "\r\n=== App was shutdown successfully\r\n")) << log;
}

TEST(AppFrameTest, ClosingTheWindowEndsTheRun)
{
    HeadlessGame game;
    game.Start();
    game.Queue(InputEvent::Close());
    EXPECT_EQ(game.RunFrames(10), 0);
    EXPECT_TRUE(App.IsQuitPosted());
    game.Finish();
    EXPECT_TRUE(EndsWith(game.LogText(), "=== App was shutdown successfully\r\n"));
}

// The logo screen's two pictures, which every start-up loads, as loose files.
void WriteLogoPictures(const TempFolder& program)
{
    program.Write("data/logo.bmp", TinyBitmap());
    program.Write("data/sitelogo.bmp", TinyBitmap());
}

TEST(AppFrameTest, TheWindowIconComesFromTheArchive)
{
    TempFolder program;
    WriteLogoPictures(program);
    ASSERT_TRUE(ZipBuilder().Add("data/icon.bmp", TinyBitmap()).Write(program / "data.000"));
    HeadlessGame game(program.Path());
    game.Start();
    EXPECT_TRUE(game.Display().HasIcon());
    EXPECT_NE(game.LogText().find("--- Opened data file data.000\r\n"), std::string::npos);
}

TEST(AppFrameTest, AMissingIconIsFineAndABadOneIsLogged)
{
    {
        TempFolder program;
        WriteLogoPictures(program);
        HeadlessGame game(program.Path());
        game.Start();
        EXPECT_FALSE(game.Display().HasIcon());
        EXPECT_EQ(game.LogText().find("icon"), std::string::npos);
    }
    TempFolder program;
    WriteLogoPictures(program);
    program.Write("data/icon.bmp", "not a bitmap");
    HeadlessGame game(program.Path());
    game.Start();
    EXPECT_FALSE(game.Display().HasIcon());
    EXPECT_NE(game.LogText().find("--- Window icon data/icon.bmp is not a picture\r\n"), std::string::npos);
    EXPECT_EQ(game.RunFrames(1), 1);
}

// The icon goes through the game's own bitmap reader: a header that claims
// 60000 x 30000 pixels is refused at once instead of being decoded.
TEST(AppFrameTest, AnIconClaimingAHugePictureIsRefused)
{
    std::string huge = TinyBitmap();
    const unsigned width = 60000, height = 30000;
    for (int i = 0; i < 4; ++i) {
        huge[18 + i] = static_cast<char>((width >> (8 * i)) & 0xFF);
        huge[22 + i] = static_cast<char>((height >> (8 * i)) & 0xFF);
    }
    huge.resize(4096, '\x55');
    TempFolder program;
    WriteLogoPictures(program);
    program.Write("data/icon.bmp", huge);
    HeadlessGame game(program.Path());
    game.Start();
    EXPECT_FALSE(game.Display().HasIcon());
    EXPECT_NE(game.LogText().find("--- Window icon data/icon.bmp is not a picture\r\n"), std::string::npos);
}

TEST(AppFrameTest, NoWindowMeansAnErrorBoxAndAFailedExit)
{
    EXPECT_EXIT(
        {
            HeadlessGame game;
            game.Display().FailNextOpen();
            game.Start();
        },
        ::testing::ExitedWithCode(1), "Error: Windows Creation Error");
}

TEST(AppFrameTest, AMessageBoxWithAWindowGoesOverIt)
{
    HeadlessGame game;
    game.Start();
    App.ShowMessageBox("CriticalError!", "GetArrayIndex: wrong enter arguments!");
    EXPECT_EQ(game.Display().MessageBoxes(), "CriticalError!: GetArrayIndex: wrong enter arguments!\n");
}

TEST(ProgramFolderTest, TheProgramFolderIsTheExecutablesFolder)
{
    App.SetProgramFolder(nullptr);
    App.SetWriteFolder(nullptr);
    App.FindProgramFolder();
    std::string folder = App.GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    // The tests are built beside the game, in the build's bin folder.
    char* real = realpath(PAVENDRA_BIN_DIR, nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(folder, std::string(real) + "/");
    std::free(real);
    EXPECT_STREQ(App.GetWriteFolder(), App.GetProgramFolder());  // it is writable
}

TEST(ProgramFolderTest, AReadOnlyProgramFolderWritesIntoTheUsersDataFolder)
{
    TempFolder home;
    const char* previous = std::getenv("XDG_DATA_HOME");
    std::string saved = previous ? previous : "";
    setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
    App.SetProgramFolder("/nonexistent-pavendra-folder/");
    App.SetWriteFolder(nullptr);
    App.FindProgramFolder();
    EXPECT_STREQ(App.GetProgramFolder(), "/nonexistent-pavendra-folder/");
    EXPECT_EQ(std::string(App.GetWriteFolder()), home.Path() + "pavendra/");
    if (previous) {
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    App.SetProgramFolder(nullptr);
}

}  // namespace
