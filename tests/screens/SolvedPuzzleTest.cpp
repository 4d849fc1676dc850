// SPDX-License-Identifier: GPL-3.0-or-later
// The panel of a solved puzzle, played through the running game: the exit
// line instead of the game's buttons, any press back to the picture page (and
// no further), the saved game of the solved puzzle gone; and the
// "GAME SAVED!" banner only for a game that was written.
#include "ScreensFixture.h"

#include "app/CApp.h"
#include "platform/VirtualKeys.h"
#include "puzzle/PuzzleRecords.h"

using namespace screens_test;

namespace {

constexpr int kCustomX = 352 + 10, kCustomY = 512 + 10;
constexpr int kPlayX = 352 + 10, kPlayY = 512 + 10;
constexpr int kLoadGameX = 352 + 10, kLoadGameY = 480 + 10;
constexpr int kSaveX = 56 + 10, kSaveY = 0 + 10;
// The Arrange button's place in the bottom panel.
constexpr int kArrangeLeft = 252, kArrangeTop = 569;
// The rows of the finish line (on its plate) and of the exit line under it.
constexpr int kFinishLineTop = 500, kExitLineTop = 540, kLineHeight = 16;

class SolvedPuzzleTest : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        ToMenu();
        StartSquarePuzzle();
    }

    // Every piece joined in one group lying where the finished picture comes
    // to rest, clear of the panel's buttons and the exit line.
    static void JoinEverything()
    {
        CGroup whole;
        for (int piece = 0; piece < Game.GetPieceCount(); ++piece) whole.members.push_back(piece);
        whole.x = Game.GetSampleTarget().x;
        whole.y = Game.GetSampleTarget().y;
        Game.TestHookGroups() = {whole};
        Game.SyncInGroup();
        Game.LayOutGroup(0);
    }

    // Solved, and the first second after it gone by (presses in it are let go).
    void Solve()
    {
        JoinEverything();
        game.RunFrames(1);
        ASSERT_TRUE(Game.IsCompleted());
        game.RunFrames(1);  // the first frame of the solved panel
        ASSERT_TRUE(game.RunUntil([] { return Game.GetSecondsSinceSolved() >= 1.0f; }, 200));
    }

    bool AnyWhiteIn(int left, int top, int right, int bottom) const
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (game.Frame().GetPixel(x, y) == kWhite) return true;
        return false;
    }

    bool SameIn(const Surface& a, const Surface& b, int left, int top, int right, int bottom) const
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
        return true;
    }

    // The middle of the white text in the rows from top, twice over (in
    // half units); -1 without any.
    int TwiceMiddleOfText(int top) const
    {
        int left = -1, right = -1;
        for (int y = top; y < top + kLineHeight; ++y)
            for (int x = 0; x < 800; ++x)
                if (game.Frame().GetPixel(x, y) == kWhite) {
                    left = left < 0 ? x : std::min(left, x);
                    right = std::max(right, x);
                }
        return left < 0 ? -1 : left + right;
    }

    static void ExpectBackOnThePicturePage()
    {
        EXPECT_EQ(App.GetState(), STATE_MENU);
        EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
        EXPECT_EQ(Game.GetPieceCount(), 0);
    }
};

TEST_F(SolvedPuzzleTest, SaveWritesTheGameAndShowsTheBanner)
{
    game.Click(kSaveX, kSaveY);
    EXPECT_TRUE(Game.IsSavedBannerShown());
    EXPECT_TRUE(game.WriteFolder().Exists("game.pvs"));
    // White text on a dark plate, whatever the board's colour.
    for (const auto& c : CGame::kBoardColours) {
        Game.SetBackgroundColor(c[0], c[1], c[2]);
        game.RunFrames(1);
        ASSERT_TRUE(Game.IsSavedBannerShown());
        EXPECT_TRUE(AnyWhiteIn(350, 10, 500, 32));
        const Colour plate = game.Frame().GetPixel(346, 12);
        EXPECT_LT((plate & 0xFF) + ((plate >> 8) & 0xFF) + (plate >> 16), 3u * 60) << "no dark plate";
    }
}

TEST_F(SolvedPuzzleTest, TheSolvedPanelShowsTheExitLineInsteadOfTheGameButtons)
{
    game.MoveMouse(400, 300);
    game.RunFrames(1);
    const Surface inPlay = game.Frame();

    Solve();
    EXPECT_EQ(App.GetState(), STATE_GAME);
    EXPECT_TRUE(AnyWhiteIn(200, kExitLineTop, 600, kExitLineTop + kLineHeight))
        << "CLICK OR PRESS A KEY FOR THE MENU, ESCAPE TO QUIT";
    EXPECT_FALSE(SameIn(inPlay, game.Frame(), kArrangeLeft, kArrangeTop, kArrangeLeft + 20, kArrangeTop + 20))
        << "the Arrange button is no longer drawn";
    EXPECT_TRUE(SameIn(inPlay, game.Frame(), 0, 0, 20, 20)) << "the Menu button stays";
    // Without the board colours their label goes too: the bar's right part is
    // plain, each row one colour.
    for (int y = 563; y < 600; ++y)
        for (int x = 540; x < 800; ++x)
            ASSERT_EQ(game.Frame().GetPixel(x, y), game.Frame().GetPixel(799, y)) << x << ", " << y;
}

TEST_F(SolvedPuzzleTest, TheExitLineIsCentredUnderTheFinishLine)
{
    Solve();
    const int finish = TwiceMiddleOfText(kFinishLineTop), exit = TwiceMiddleOfText(kExitLineTop);
    ASSERT_GT(finish, 0) << "no finish line";
    ASSERT_GT(exit, 0) << "no exit line";
    EXPECT_NEAR(finish, 800, 4) << "the finish line is centred on the board";
    EXPECT_NEAR(exit, finish, 4) << "the exit line sits under the finish line's middle";
}

TEST_F(SolvedPuzzleTest, TheGameButtonsNoLongerActTheClickOnlyLeavesTheGame)
{
    Solve();
    game.Click(kSaveX, kSaveY);
    ExpectBackOnThePicturePage();
    EXPECT_FALSE(Game.IsSavedBannerShown());
    EXPECT_FALSE(game.WriteFolder().Exists("game.pvs")) << "Save is gone from a solved puzzle's panel";
}

enum class Press { Key, LeftButton, RightButton };

const char* Name(Press press)
{
    switch (press) {
    case Press::Key: return "Key";
    case Press::LeftButton: return "LeftButton";
    case Press::RightButton: return "RightButton";
    }
    return "Unknown";
}

// Test output names the press rather than dumping its bytes.
void PrintTo(Press press, std::ostream* out) { *out << Name(press); }

class AnyPressTest : public SolvedPuzzleTest, public ::testing::WithParamInterface<Press> {};

// The press that leaves the solved puzzle lands on a thumbnail of the picture
// page, and must not open it.
TEST_P(AnyPressTest, ReturnsToThePicturePageAndGoesNoFurther)
{
    Solve();
    const CButton& thumbnail = Menu.GetPictureButton(0);
    const int x = static_cast<int>(thumbnail.GetX() + thumbnail.GetWidth() / 2);
    const int y = static_cast<int>(thumbnail.GetY() + thumbnail.GetHeight() / 2);
    switch (GetParam()) {
    case Press::Key:
        game.MoveMouse(x, y);
        game.TapKey(VK_SPACE);
        break;
    case Press::LeftButton: game.Click(x, y); break;
    case Press::RightButton: game.Click(x, y, MouseButton::Right); break;
    }
    ExpectBackOnThePicturePage();
    game.RunFrames(3);
    EXPECT_EQ(App.GetState(), STATE_MENU);
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES) << "the press did not reach the menu";
    EXPECT_FALSE(App.IsQuitPosted());
}

INSTANTIATE_TEST_SUITE_P(Presses, AnyPressTest,
                         ::testing::Values(Press::Key, Press::LeftButton, Press::RightButton),
                         [](const ::testing::TestParamInfo<Press>& info) { return std::string(Name(info.param)); });

// The press that made the last join, and any in the second after it, do not
// leave the finished picture: the player gets to see it.
TEST_F(SolvedPuzzleTest, PressesInTheFirstSecondAfterTheLastJoinAreLetGo)
{
    JoinEverything();
    game.RunFrames(1);
    ASSERT_TRUE(Game.IsCompleted());
    game.RunFrames(10);
    game.Click(400, 300);
    game.TapKey(VK_SPACE);
    game.Click(400, 300, MouseButton::Right);
    game.Click(10, 10);  // MENU
    EXPECT_EQ(App.GetState(), STATE_GAME);
    ASSERT_TRUE(game.RunUntil([] { return Game.GetSecondsSinceSolved() >= 1.0f; }, 200));
    game.Click(400, 300);
    ExpectBackOnThePicturePage();
}

// The finish tells the time it took and the best for this picture and cut,
// and keeps it in the records.
TEST_F(SolvedPuzzleTest, TheFinishTellsTheTimeAndTheBestAndKeepsTheRecord)
{
    Game.SetPlayTime(279.5f);
    Solve();
    EXPECT_EQ(Game.FinishLine(), "SOLVED IN 4:39  -  YOUR FIRST TIME FOR THIS CUT");
    EXPECT_TRUE(AnyWhiteIn(300, 500, 500, 516)) << "the line under the picture";
    const std::vector<PuzzleRecords::Record> records = PuzzleRecords::Read();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].picture, SquareJpeg());
    EXPECT_FLOAT_EQ(records[0].best, 279.5f);

    game.Click(400, 300);
    StartSquarePuzzle();
    Game.SetPlayTime(300);
    Solve();
    EXPECT_EQ(Game.FinishLine(), "SOLVED IN 5:00  -  BEST TIME 4:39");
    game.Click(400, 300);
    StartSquarePuzzle();
    Game.SetPlayTime(61);
    Solve();
    EXPECT_EQ(Game.FinishLine(), "SOLVED IN 1:01  -  A NEW BEST TIME!");
    EXPECT_EQ(PuzzleRecords::Read()[0].solved, 3);
}

// A solved puzzle is finished: the game saved before solving it is gone, and
// LOAD GAME never brings the puzzle back one piece short.
TEST_F(SolvedPuzzleTest, AGameSavedBeforeSolvingIsGoneAfterwards)
{
    game.Click(kSaveX, kSaveY);
    ASSERT_TRUE(game.WriteFolder().Exists("game.pvs"));
    Solve();
    EXPECT_FALSE(game.WriteFolder().Exists("game.pvs"));
    game.RunFrames(90);
    game.TapKey(VK_SPACE);
    ExpectBackOnThePicturePage();

    game.Click(kLoadGameX, kLoadGameY);
    EXPECT_EQ(App.GetState(), STATE_MENU);
    EXPECT_EQ(Game.GetPieceCount(), 0);
}

}  // namespace
