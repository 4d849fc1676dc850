// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle in play goes to its own file while it is played: at once after a
// join, and after half a minute of play when it changed; a solved puzzle
// leaves the shelf and LOAD GAME does not bring it back.
#include "ScreensFixture.h"

#include "app/CApp.h"
#include "platform/VirtualKeys.h"
#include "puzzle/PuzzleShelf.h"

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

    bool OnShelf() const { return game.WriteFolder().Exists(shelfFile); }
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

}  // namespace
