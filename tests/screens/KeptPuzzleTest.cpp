// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle in play goes to its own file while it is played: at once after a
// join, and after half a minute of play when it changed; a solved puzzle
// leaves the shelf and LOAD GAME does not bring it back.
#include "ScreensFixture.h"

#include "app/CApp.h"
#include "platform/VirtualKeys.h"
#include "puzzle/PuzzleShelf.h"
#include "screens/CMessage.h"

using namespace screens_test;

namespace {

constexpr int kLoadGameX = 352 + 10, kLoadGameY = 480 + 10;

class KeptPuzzleTest : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        ToMenu();
        StartSquarePuzzle();
        shelfFile = PuzzleShelf::FileFor(Game.GetImageName());
    }

    void TearDown() override
    {
        PuzzleShelf::Flush();
        ScreensTest::TearDown();
    }

    // The writer's thread done first: what it was handed is on the disk.
    bool OnShelf() const
    {
        PuzzleShelf::Flush();
        return game.WriteFolder().Exists(shelfFile);
    }
    std::string Shelved() const { return game.WriteFolder().Read(shelfFile); }

    // The two groups of pieces 0 and 1 become one, as a drop that joins them does.
    static void JoinFirstTwo()
    {
        std::vector<CGroup>& groups = Game.TestHookGroups();
        const int a = Game.GetPiece(0).inGroup, b = Game.GetPiece(1).inGroup;
        groups[a].members.insert(groups[a].members.end(), groups[b].members.begin(), groups[b].members.end());
        groups.erase(groups.begin() + b);
        Game.SyncInGroup();
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) Game.LayOutGroup(g);
    }

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

    std::string shelfFile;
};

TEST_F(KeptPuzzleTest, AJoinSavesThePuzzleToItsOwnFileAtOnce)
{
    game.RunFrames(5);
    EXPECT_FALSE(OnShelf()) << "nothing played yet";
    JoinFirstTwo();
    game.RunFrames(1);
    ASSERT_TRUE(OnShelf());
    const std::string groups = "NumberOfGroups " + std::to_string(Game.GetGroups().size());
    EXPECT_NE(Shelved().find(groups), std::string::npos) << Shelved();
    EXPECT_FALSE(game.WriteFolder().Exists("game.pvs")) << "game.pvs keeps its meaning: SAVE and leaving";
}

TEST_F(KeptPuzzleTest, HalfAMinuteOfPlaySavesAChangedPuzzleAndOnlyThen)
{
    Game.SetPlayTime(25);
    game.RunFrames(1);
    Game.TestHookGroups()[0].x = 333;
    // Up to the 30th second of play nothing is written...
    ASSERT_TRUE(game.RunUntil([] { return Game.GetPlayTime() >= CGame::kShelfSeconds - 0.5f; }, 1000));
    EXPECT_FALSE(OnShelf());
    // ...then the puzzle goes to its file once.
    ASSERT_TRUE(game.RunUntil([this] { return OnShelf(); }, 120));
    EXPECT_NE(Shelved().find("Group 0 333 "), std::string::npos) << Shelved();
    // Unchanged, the next half minute writes nothing.
    std::filesystem::remove(game.WriteFolder() / shelfFile);
    ASSERT_TRUE(game.RunUntil([] { return Game.GetPlayTime() >= 2 * CGame::kShelfSeconds + 1; }, 3000));
    EXPECT_FALSE(OnShelf());
}

TEST_F(KeptPuzzleTest, ASolvedPuzzleLeavesTheShelfAndLoadGameDoesNotBringItBack)
{
    game.Click(56 + 10, 10);  // SAVE
    JoinFirstTwo();
    game.RunFrames(1);
    ASSERT_TRUE(game.WriteFolder().Exists("game.pvs"));
    ASSERT_TRUE(OnShelf());

    JoinEverything();
    game.RunFrames(1);
    ASSERT_TRUE(Game.IsCompleted());
    EXPECT_FALSE(OnShelf());
    EXPECT_FALSE(game.WriteFolder().Exists("game.pvs"));
    game.RunFrames(90);
    game.TapKey(VK_SPACE);
    ASSERT_EQ(App.GetState(), STATE_MENU);
    game.Click(kLoadGameX, kLoadGameY);
    EXPECT_EQ(App.GetState(), STATE_MENU);
    ASSERT_NE(CMenu::GetMessage(), nullptr);
    EXPECT_STREQ(CMenu::GetMessage(), "NO SAVED GAME");
}

// A game picture's puzzle in progress: the picture page marks it, its cut
// page offers CONTINUE, and a new cut of it is asked about first.
class PuzzleInProgressTest : public ScreensTest {
protected:
    static constexpr int kThumbnailX = 108, kThumbnailY = 112;
    static constexpr int kPlayX = 352 + 10, kPlayY = 512 + 10;
    static constexpr int kArrowRightX = 216 + 8, kArrowRightY = 412 + 8;

    void SetUp() override
    {
        ScreensTest::SetUp();
        ToMenu();
    }

    // The first picture played a little (two pieces joined), then MENU.
    void LeaveAPuzzleInProgress()
    {
        game.Click(kThumbnailX, kThumbnailY);
        ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
        EXPECT_FALSE(CMenu::ShowsKeptCut());
        game.Click(kPlayX, kPlayY);
        ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_GAME; }, 2000));
        std::vector<CGroup>& groups = Game.TestHookGroups();
        const int a = Game.GetPiece(0).inGroup, b = Game.GetPiece(1).inGroup;
        groups[a].members.insert(groups[a].members.end(), groups[b].members.begin(), groups[b].members.end());
        groups.erase(groups.begin() + b);
        Game.SyncInGroup();
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) Game.LayOutGroup(g);
        game.RunFrames(1);
        placed.clear();
        for (const CGroup& group : Game.GetGroups()) placed.push_back({group.x, group.y});
        pieces = Game.GetPieceCount();
        Game.SetPlayTime(277);
        game.Click(10, 10);  // MENU
        ASSERT_EQ(App.GetState(), STATE_MENU);
        game.RunFrames(1);
    }

    std::vector<std::pair<float, float>> placed;
    int pieces = 0;
};

TEST_F(PuzzleInProgressTest, ThePicturePageMarksItAndContinueResumesIt)
{
    LeaveAPuzzleInProgress();
    const PictureMarks::Mark& mark = Menu.GetMarks().Get(0);
    EXPECT_TRUE(mark.inProgress) << game.LogText();
    EXPECT_EQ(mark.text, "2/" + std::to_string(pieces));
    EXPECT_FALSE(Menu.GetMarks().Get(1).inProgress);
    // The mark's plate lies at the thumbnail's bottom right.
    const CButton& thumbnail = Menu.GetPictureButton(0);
    const int right = static_cast<int>(thumbnail.GetX() + thumbnail.GetWidth()) - 4;
    const int bottom = static_cast<int>(thumbnail.GetY() + thumbnail.GetHeight()) - 4;
    EXPECT_EQ(game.Frame().GetPixel(right, bottom), MakeColour(22, 30, 52));

    game.Click(kThumbnailX, kThumbnailY);
    ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
    EXPECT_TRUE(CMenu::ShowsKeptCut());
    EXPECT_EQ(CutPreview.GetPieceCount(), pieces);
    game.Click(kPlayX, kPlayY);  // CONTINUE
    ASSERT_EQ(App.GetState(), STATE_GAME);
    ASSERT_EQ(Game.GetGroups().size(), placed.size());
    for (std::size_t g = 0; g < placed.size(); ++g) {
        EXPECT_EQ(Game.GetGroups()[g].x, static_cast<float>(static_cast<int>(placed[g].first))) << g;
        EXPECT_EQ(Game.GetGroups()[g].y, static_cast<float>(static_cast<int>(placed[g].second))) << g;
    }
    EXPECT_NEAR(Game.GetPlayTime(), 277, 0.1);
}

TEST_F(PuzzleInProgressTest, ANewCutShowsPlayAndIsAskedAboutFirst)
{
    LeaveAPuzzleInProgress();
    game.Click(kThumbnailX, kThumbnailY);
    ASSERT_TRUE(CMenu::ShowsKeptCut());
    game.MoveMouse(600, 300);
    game.RunFrames(1);
    const Surface withContinue = game.Frame();
    game.Click(kArrowRightX, kArrowRightY);
    EXPECT_FALSE(CMenu::ShowsKeptCut()) << "another edge style is a new cut";
    game.MoveMouse(600, 300);
    game.RunFrames(1);
    int differing = 0;
    for (int y = 512; y < 540; ++y)
        for (int x = 352; x < 448; ++x) differing += withContinue.GetPixel(x, y) != game.Frame().GetPixel(x, y);
    EXPECT_GT(differing, 50) << "the button reads PLAY again";

    game.Click(kPlayX, kPlayY);
    game.RunFrames(1);  // PLAY acts on the release: the question is laid out when first drawn
    ASSERT_TRUE(Message.IsShowing());
    EXPECT_EQ(Message.GetText(), CMenu::NewCutQuestion(2, pieces, 277));
    EXPECT_NE(Message.GetText().find("2 of " + std::to_string(pieces) + " pieces joined after 4:37"),
              std::string::npos);
    const PixelRect cancel = Message.SecondButton();
    game.Click((cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2);
    EXPECT_FALSE(Message.IsShowing());
    EXPECT_EQ(CMenu::GetPage(), MENU_CUT);
    EXPECT_TRUE(game.WriteFolder().Exists("puzzles/image0.pvs"));

    game.Click(kPlayX, kPlayY);
    game.RunFrames(1);
    ASSERT_TRUE(Message.IsShowing());
    const PixelRect yes = Message.OkButton();
    game.Click((yes.left + yes.right) / 2, (yes.top + yes.bottom) / 2);
    EXPECT_FALSE(Message.IsShowing());
    EXPECT_EQ(CMenu::GetPage(), MENU_CALCULATE);
    EXPECT_FALSE(game.WriteFolder().Exists("puzzles/image0.pvs"));
}

TEST_F(PuzzleInProgressTest, ASolvedPictureShowsATickAndItsBestTime)
{
    game.WriteFolder().Write("records.pvd", "Solved 4 4 200.0 3 data/images/image2.bmp\n"
                                            "Solved 7 7 279.0 1 data/images/image2.bmp\n"
                                            "Solved 5 5 50.0 1 data/images/image2.bmp\n");
    CMenu::SetPage(MENU_PICTURES);
    game.RunFrames(1);
    EXPECT_TRUE(Menu.GetMarks().Get(2).solved);
    EXPECT_EQ(Menu.GetMarks().Get(2).text, "4:39") << "the largest cut solved";
    EXPECT_FALSE(Menu.GetMarks().Get(3).solved);
}

}  // namespace
