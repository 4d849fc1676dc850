// SPDX-License-Identifier: GPL-3.0-or-later
// The logo screen and the menu pages, played through the running game: how
// the logo ends, choosing a picture and its cut, building, loading, and a
// picture of the player's own that cannot be used.
#include "ScreensFixture.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/CApp.h"
#include "core/CSystem.h"
#include "puzzle/CGame.h"
#include "core/CTimer.h"
#include "platform/ManualClock.h"
#include "platform/VirtualKeys.h"
#include "screens/CMessage.h"

using namespace screens_test;

namespace {

constexpr int kPicture43 = 2;  // 3000 x 2250 in the shipped set: 448 x 336 in the preview

// A point safely inside a widget placed at (x, y).
struct At {
    int x, y;
};
constexpr At kLoadGame{352 + 10, 480 + 10};
constexpr At kCustom{352 + 10, 512 + 10};
constexpr At kExit{352 + 10, 544 + 10};
constexpr At kPlay{352 + 10, 512 + 10};
constexpr At kBack{352 + 10, 544 + 10};
constexpr At kArrowLeft{28 + 6, 412 + 6};
constexpr At kArrowRight{216 + 6, 412 + 6};

class MenuTest : public ScreensTest {
protected:
    void Click(At at) { game.Click(at.x, at.y); }
    At ThumbnailCentre(int index)
    {
        const CButton& thumbnail = Menu.GetPictureButton(index);
        return {static_cast<int>(thumbnail.GetX() + thumbnail.GetWidth() / 2),
                static_cast<int>(thumbnail.GetY() + thumbnail.GetHeight() / 2)};
    }
    // Inside the band, far enough right that the knob stops at its end.
    int RightEndOfTrack() { return 208 + static_cast<int>(Menu.GetCountSlider().GetKnobWidth()) - 1; }
    void ChooseSquarePicture()
    {
        ChooseInDialog(SquareJpeg());
        Click(kCustom);
        ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
    }
    // Drags the slider's knob to the cursor x, held for one frame.
    void PressOnTrack(int x)
    {
        game.PressButton(MouseButton::Left, x, 340);
        game.RunFrames(1);
        game.ReleaseButton(MouseButton::Left, x, 340);
        game.RunFrames(1);
    }
};

// A tap: the press and the release arrive together, before one frame.
TEST_F(MenuTest, TapsPickAThumbnailMoveTheSliderAndClickAButton)
{
    // The tap's frame sees the press, the next its release: the click.
    auto tap = [&](int x, int y) {
        game.PressButton(MouseButton::Left, x, y);
        game.ReleaseButton(MouseButton::Left, x, y);
        game.RunFrames(2);
    };
    ToMenu();
    const At centre = ThumbnailCentre(kPicture43);
    tap(centre.x, centre.y);
    ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
    tap(RightEndOfTrack(), 340);
    EXPECT_EQ(Menu.GetCountSlider().GetValue(), CutPreview.GetMaxPieces());
    EXPECT_EQ(CutPreview.GetColumns(), CutPreview.GetMaxPieces());
    tap(kArrowRight.x, kArrowRight.y);
    EXPECT_STREQ(CMenu::SmoothLabel(CutPreview.GetSmoothType()), "medium");
    game.RunFrames(1);
    EXPECT_FALSE(InputMgr.IsLeftButtonDown()) << "released after its frame";
}

TEST_F(MenuTest, AKeyEndsTheLogoAndIsConsumed)
{
    EXPECT_EQ(App.GetState(), STATE_LOGO);
    game.PressKey('A');
    game.RunFrames(1);
    EXPECT_EQ(App.GetState(), STATE_MENU);
    EXPECT_FALSE(InputMgr.AnyKeyDown());
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
}

TEST_F(MenuTest, AClickThatEndsTheLogoDoesNotReachTheMenuButtonUnderIt)
{
    game.PressButton(MouseButton::Left, kExit.x, kExit.y);
    game.RunFrames(3);  // still held
    EXPECT_EQ(App.GetState(), STATE_MENU);
    EXPECT_FALSE(App.IsQuitPosted());
    game.ReleaseButton(MouseButton::Left, kExit.x, kExit.y);
    game.RunFrames(1);
    Click(kExit);  // a new press does quit
    EXPECT_TRUE(App.IsQuitPosted());
}

TEST_F(MenuTest, ARightClickEndsTheLogoToo)
{
    game.Click(5, 5, MouseButton::Right);
    EXPECT_EQ(App.GetState(), STATE_MENU);
}

TEST_F(MenuTest, WithoutInputTheLogoEndsInTheFirstFrameAfterFiveSeconds)
{
    game.SetFrameStep(0.5);
    game.RunFrames(10);  // exactly 5.0 s: not yet
    EXPECT_EQ(App.GetState(), STATE_LOGO);
    game.RunFrames(1);
    EXPECT_EQ(App.GetState(), STATE_MENU);
}

TEST_F(MenuTest, TheThumbnailUnderTheMouseGetsARedFrameAndAButtonItsActiveLook)
{
    ToMenu();
    At centre = ThumbnailCentre(6);
    game.MoveMouse(centre.x, centre.y);
    game.RunFrames(1);
    const CButton& thumbnail = Menu.GetPictureButton(6);
    int top = static_cast<int>(thumbnail.GetY());
    EXPECT_EQ(game.Frame().GetPixel(centre.x, top), kRed);
    int bottom = static_cast<int>(thumbnail.GetY() + thumbnail.GetHeight());
    EXPECT_EQ(game.Frame().GetPixel(centre.x, bottom), kRed);

    Surface away = game.Frame();  // the Exit button not hovered
    game.MoveMouse(kExit.x, kExit.y);
    game.RunFrames(1);
    bool changed = false;
    for (int y = 545; y < 560 && !changed; ++y)
        for (int x = 353; x < 440 && !changed; ++x) changed = away.GetPixel(x, y) != game.Frame().GetPixel(x, y);
    EXPECT_TRUE(changed);
    EXPECT_NE(game.Frame().GetPixel(centre.x, top), kRed);
}

TEST_F(MenuTest, AThumbnailOpensTheCutPageWithThePicturesDefaultsAndItsPressIsConsumed)
{
    ToMenu();
    At centre = ThumbnailCentre(kPicture43);
    game.PressButton(MouseButton::Left, centre.x, centre.y);
    game.RunFrames(3);  // a click lasts a few frames; the press alone chooses nothing
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
    game.ReleaseButton(MouseButton::Left, centre.x, centre.y);
    game.RunFrames(1);
    EXPECT_EQ(CMenu::GetPage(), MENU_CUT);
    EXPECT_EQ(CutPreview.GetMinPieces(), 4);
    // Along its longer side: the board's 13, and on as its own pixels allow, to about a thousand pieces.
    EXPECT_EQ(CutPreview.GetMaxPieces(), 37);
    EXPECT_EQ(CutPreview.GetColumns(), 8);
    EXPECT_EQ(CutPreview.GetRows(), 6);
    EXPECT_EQ(Menu.GetCountSlider().GetValue(), 8);
    EXPECT_STREQ(CMenu::SmoothLabel(CutPreview.GetSmoothType()), "easy");
}

TEST_F(MenuTest, ACustomSquarePictureGetsTheSameDefaultsAsASquareThumbnailWould)
{
    ToMenu();
    ChooseSquarePicture();
    EXPECT_EQ(CutPreview.GetColumns(), 8);
    EXPECT_EQ(CutPreview.GetRows(), 8);
    EXPECT_STREQ(CMenu::SmoothLabel(CutPreview.GetSmoothType()), "easy");
    EXPECT_NEAR(Menu.GetCountSlider().GetKnobX(), 114.67f, 0.01f);
    EXPECT_STREQ(Game.GetImageName(), SquareJpeg().c_str());

    PressOnTrack(RightEndOfTrack());
    EXPECT_EQ(CutPreview.GetColumns(), 13);
    EXPECT_EQ(CutPreview.GetPieceCount(), 169);
    PressOnTrack(45);  // the left end
    EXPECT_EQ(CutPreview.GetColumns(), 4);
    EXPECT_EQ(CutPreview.GetPieceCount(), 16);
}

TEST_F(MenuTest, TheArrowsCycleThroughTheFourEdgeStyles)
{
    ToMenu();
    ChooseSquarePicture();
    const char* right[] = {"medium", "hard", "none", "easy"};
    for (const char* label : right) {
        Click(kArrowRight);
        EXPECT_STREQ(CMenu::SmoothLabel(CutPreview.GetSmoothType()), label);
    }
    Click(kArrowLeft);
    EXPECT_STREQ(CMenu::SmoothLabel(CutPreview.GetSmoothType()), "none");
    Click(kArrowLeft);
    EXPECT_STREQ(CMenu::SmoothLabel(CutPreview.GetSmoothType()), "hard");
    EXPECT_EQ(CMenu::SmoothLabel(0.5f), nullptr);
}

TEST_F(MenuTest, BackReleasesThePictureAndANewChoiceStartsFromItsOwnDefaults)
{
    ToMenu();
    ChooseSquarePicture();
    PressOnTrack(RightEndOfTrack());
    Click(kBack);
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
    EXPECT_EQ(CutPreview.GetClean().surface.Width(), 0);
    At centre = ThumbnailCentre(kPicture43);
    Click(centre);
    EXPECT_EQ(CMenu::GetPage(), MENU_CUT);
    EXPECT_EQ(Menu.GetCountSlider().GetValue(), 8);
}

TEST_F(MenuTest, PlayBuildsInTheFramesBudgetHoldsOneSecondThenStartsTheGame)
{
    ToMenu();
    ChooseSquarePicture();
    PressOnTrack(45);  // 4 x 4
    ASSERT_EQ(CutPreview.GetPieceCount(), 16);
    CMenu::showPicture = true;
    CMenu::borderOnly = true;
    game.SetFrameStep(0.25);
    game.PressButton(MouseButton::Left, kPlay.x, kPlay.y);
    game.RunFrames(1);
    game.ReleaseButton(MouseButton::Left, kPlay.x, kPlay.y);
    game.RunFrames(1);
    EXPECT_EQ(CMenu::GetPage(), MENU_CALCULATE);
    EXPECT_FALSE(CMenu::showPicture);
    EXPECT_FALSE(CMenu::borderOnly);
    // The test's clock stands still within a frame, so the frame's budget
    // holds all 16 pieces: the first frame cuts them and starts the hold,
    // which four frames of 0.25 s fill.
    game.RunFrames(3);
    EXPECT_EQ(App.GetState(), STATE_MENU);
    EXPECT_FLOAT_EQ(CutPreview.GetProgress(), 100);
    game.RunFrames(1);
    EXPECT_EQ(App.GetState(), STATE_GAME);
    EXPECT_EQ(Game.GetPieceCount(), 16);
    EXPECT_EQ(Game.GetGroups().size(), 16u);
    EXPECT_EQ(CutPreview.GetPointCount(), 0);
}

// LOAD GAME without a saved game, or with a damaged one, stays on the menu
// and says so just above the button, in white.
TEST_F(MenuTest, LoadGameWithoutAGoodSavedGameStaysOnTheMenuAndSaysSo)
{
    ToMenu();
    auto whiteAboveLoadGame = [this] {
        const Surface& frame = game.Frame();
        int white = 0;
        for (int y = 452; y < 478; ++y)
            for (int x = 250; x < 550; ++x) white += frame.GetPixel(x, y) == kWhite;
        return white;
    };
    game.RunFrames(1);
    const int withoutLine = whiteAboveLoadGame();
    for (const char* damage : {"", "garbage"}) {
        if (*damage) game.WriteFolder().Write("game.pvs", damage);
        Click(kLoadGame);
        EXPECT_EQ(App.GetState(), STATE_MENU);
        EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
        ASSERT_NE(CMenu::GetMessage(), nullptr);
        EXPECT_STREQ(CMenu::GetMessage(), *damage ? "SAVED GAME IS DAMAGED" : "NO SAVED GAME");
        game.RunFrames(1);
        EXPECT_GT(whiteAboveLoadGame(), withoutLine + 50) << "the line is drawn";
    }
    game.RunUntil([] { return CMenu::GetMessage() == nullptr; }, 1000);
    EXPECT_EQ(CMenu::GetMessage(), nullptr) << "and goes after a while";
}

// A full-screen window would hide the dialog: it steps aside while the dialog
// is open and comes back as it was; the minute the player spends there is no
// frame time afterwards.
TEST_F(MenuTest, TheWindowStepsAsideForTheDialogAndItsTimeIsNotPlayTime)
{
    ToMenu();
    HeadlessDisplay& display = game.Display();
    const bool fullScreen = display.IsFullScreen();
    bool asideWhileOpen = false;
    FileDialog::SetStandIn([&](const std::string&) {
        asideWhileOpen = display.IsSteppedAside();
        game.Clock().Advance(60.0);
        return FileDialog::Answer{FileDialog::Outcome::Cancelled, ""};
    });
    Click(kCustom);
    EXPECT_TRUE(asideWhileOpen);
    EXPECT_EQ(display.StepAsideCount(), 1);
    EXPECT_FALSE(display.IsSteppedAside());
    EXPECT_EQ(display.IsFullScreen(), fullScreen);
    EXPECT_LT(Timer.GetDelta(), 1.0f);
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
}

TEST_F(MenuTest, CancellingTheDialogChangesNothing)
{
    ToMenu();
    FileDialog::SetStandIn([](const std::string& title) {
        EXPECT_EQ(title, "Select your picture");
        return FileDialog::Answer{FileDialog::Outcome::Cancelled, ""};
    });
    Click(kCustom);
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
    EXPECT_FALSE(Message.IsShowing());
    // Without a dialog tool the player is told what to install, and of drops.
    FileDialog::SetStandIn([](const std::string&) { return FileDialog::Answer{}; });
    Click(kCustom);
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
    EXPECT_NE(game.LogText().find("No file dialog could be shown"), std::string::npos);
    EXPECT_EQ(Message.GetText(), "The game needs the program \"zenity\" (or \"kdialog\") to show its file dialog. "
                                 "Please install the package \"zenity\", or drop a picture onto the game's window.");
}

TEST_F(MenuTest, APictureThatWillNotDecodeGivesAMessageAndTheMenuCarriesOn)
{
    ToMenu();
    programFolder.Write("notapicture.jpg", "just some words");
    const std::string unusable[] = {CorpusJpeg("header-only.jpg"), programFolder / "notapicture.jpg",
                                    programFolder / "missing.jpg", programFolder / "drawing.bmp",
                                    std::string(300, 'a') + ".jpg"};
    int dismissKey = VK_RETURN;
    for (const std::string& path : unusable) {
        ChooseInDialog(path);
        Click(kCustom);
        EXPECT_EQ(App.GetState(), STATE_MENU) << path;
        EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES) << path;
        // The game's own message, until Enter or Escape; neither ends the game.
        ASSERT_TRUE(Message.IsShowing()) << path;
        EXPECT_EQ(Message.GetText().back(), '.') << path;
        game.TapKey(dismissKey);
        dismissKey = dismissKey == VK_RETURN ? VK_ESCAPE : VK_RETURN;
        game.RunFrames(1);
        EXPECT_FALSE(Message.IsShowing()) << path;
        EXPECT_FALSE(App.IsQuitPosted());
    }
    EXPECT_NE(game.LogText().find("CMgrImage: Can't use picture"), std::string::npos);
    // And a good one still works afterwards.
    ChooseSquarePicture();
}

TEST_F(MenuTest, ADroppedPictureOpensOnTheCutPageButNotDuringPlay)
{
    ToMenu();
    // As a file manager drops it: an address with escapes, in a folder with a space.
    const std::string picture = programFolder / "my pictures/square.jpg";
    std::filesystem::create_directories(programFolder / "my pictures");
    std::filesystem::copy_file(SquareJpeg(), picture);
    game.Queue(InputEvent::Drop("file://" + std::string(programFolder / "my%20pictures/square.jpg") + "\r\n"));
    game.RunFrames(2);
    ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
    EXPECT_EQ(std::string(Game.GetImageName()), picture);

    // A bad file dropped on the cut page: the message, dismissed by a click on
    // OK, and the cut page as it was.
    programFolder.Write("words.png", "words");
    game.Queue(InputEvent::Drop(programFolder / "words.png"));
    game.RunFrames(2);
    ASSERT_TRUE(Message.IsShowing());
    const PixelRect ok = Message.OkButton();
    game.Click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    game.RunFrames(1);
    EXPECT_FALSE(Message.IsShowing());
    EXPECT_EQ(CMenu::GetPage(), MENU_CUT);
    EXPECT_EQ(std::string(Game.GetImageName()), picture);

    // During play a drop is ignored.
    Click(kPlay);
    ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_GAME; }, 2000));
    game.Queue(InputEvent::Drop(picture));
    game.RunFrames(2);
    EXPECT_EQ(App.GetState(), STATE_GAME);
    EXPECT_TRUE(System.TakeDroppedFile().empty());
}

}  // namespace

// On a machine too slow to cut all the pieces within one frame's budget the
// bar advances frame by frame and ends at 100.
TEST_F(MenuTest, CuttingSpreadsOverFramesWhenTheBudgetRunsOut)
{
    // Every reading of this clock finds a millisecond gone.
    struct BusyClock : ManualClock {
        std::int64_t Counter() override
        {
            Advance(0.001);
            return ManualClock::Counter();
        }
    } busy;
    ToMenu();
    ChooseSquarePicture();
    PressOnTrack(RightEndOfTrack());
    ASSERT_EQ(CutPreview.GetPieceCount(), 169);
    busy.SetCounter(game.Clock().Counter());
    Timer.SetClock(&busy);
    game.Click(kPlay.x, kPlay.y);
    std::vector<float> shown;
    for (int frame = 0; frame < 400 && CutPreview.GetProgress() < 100; ++frame) {
        game.RunFrames(1);
        shown.push_back(CutPreview.GetProgress());
    }
    game.Clock().SetCounter(busy.Counter());
    Timer.SetClock(&game.Clock());
    EXPECT_TRUE(game.RunUntil([] { return App.GetState() == STATE_GAME; }, 120));
    EXPECT_EQ(Game.GetPieceCount(), 169);
    int moving = 0;
    for (std::size_t i = 1; i < shown.size(); ++i) moving += shown[i] > shown[i - 1];
    EXPECT_GE(moving, 5) << "the bar hardly moved";
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_FLOAT_EQ(shown.back(), 100);
}

namespace {

// The same pixels but for those of `apart` (in pixels).
bool SameFrame(const Surface& a, const Surface& b, PixelRect apart = {})
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            const bool inApart = x >= apart.left && x < apart.right && y >= apart.top && y < apart.bottom;
            if (!inApart && a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
        }
    }
    return true;
}

}  // namespace

// Each page holds only its own large pictures and loads them again when it
// comes back: at a drawing scale of 3, the picture page and the cut page look
// exactly as they did the first time, after each other and after play.
TEST_F(MenuTest, PagesComeBackAsTheyWereAfterTheirArtWasLetGo)
{
    game.Display().SetDrawingScale(3);
    ToMenu();
    auto settle = [this] {
        game.MoveMouse(795, 300);  // beside every widget of both pages
        game.RunFrames(3);
        return Surface(game.Frame());
    };
    const Surface pictures = settle();
    ASSERT_EQ(pictures.Width(), 2400);
    EXPECT_NE(pictures.GetPixel(5, 5), kBlack);  // the page's background, not the black under it
    Click(ThumbnailCentre(kPicture43));
    ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
    const Surface cut = settle();
    EXPECT_NE(cut.GetPixel(5, 5), kBlack);
    EXPECT_FALSE(SameFrame(cut, pictures));
    for (int round = 0; round < 2; ++round) {
        Click(kBack);
        ASSERT_EQ(CMenu::GetPage(), MENU_PICTURES);
        EXPECT_TRUE(SameFrame(settle(), pictures)) << "round " << round;
        Click(ThumbnailCentre(kPicture43));
        ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
        EXPECT_TRUE(SameFrame(settle(), cut)) << "round " << round;
    }
    Click(kPlay);
    ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_GAME; }, 2000));
    game.RunFrames(2);
    game.Click(10, 10);  // the panel's MENU
    ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_MENU; }, 100));
    ASSERT_EQ(CMenu::GetPage(), MENU_PICTURES);
    // The same but for the played picture's thumbnail, which is marked now.
    const CButton& played = Menu.GetPictureButton(kPicture43);
    EXPECT_TRUE(SameFrame(settle(), pictures, {static_cast<int>(played.GetX()) * 3, static_cast<int>(played.GetY()) * 3,
                                              static_cast<int>(played.GetX() + played.GetWidth()) * 3,
                                              static_cast<int>(played.GetY() + played.GetHeight()) * 3}));
}
