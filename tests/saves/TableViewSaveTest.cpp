// SPDX-License-Identifier: GPL-3.0-or-later
// The view of the table is kept with the puzzle: saved and loaded with every
// group in its place, left out of files of a view never moved (today's
// files load on the whole table as they were), and a view that is no
// numbers loses nothing.
#include <gtest/gtest.h>

#include <random>

#include "SavedGameFixture.h"

using namespace saves_test;

namespace {

class TableViewSaveTest : public SavedGameTest {
protected:
    void SaveAndLoadKeepEverything(int rounds);
};

// Rounds of groups and a view placed at random, saved and loaded.
void TableViewSaveTest::SaveAndLoadKeepEverything(int rounds)
{
    const int lastStep = Game.GetView().LastStep();
    ASSERT_GT(lastStep, 2);
    const LayoutBox table = Game.FreeTable();
    std::mt19937 random(3);
    std::uniform_int_distribution<int> x(0, static_cast<int>(table.right) - 100),
        y(static_cast<int>(table.top), static_cast<int>(table.bottom) - 60), step(0, lastStep);
    std::uniform_real_distribution<float> origin(0.0f, table.right - 100);
    for (int round = 0; round < rounds; ++round) {
        for (CGroup& group : Game.TestHookGroups()) {
            group.x = static_cast<float>(x(random));
            group.y = static_cast<float>(y(random));
        }
        Game.SetView(step(random), {origin(random), origin(random)});
        const TableView view = Game.GetView();
        const std::vector<CGroup> groups = Game.GetGroups();
        SCOPED_TRACE(testing::Message() << "step " << view.Step() << " at " << view.Origin().x << ", "
                                        << view.Origin().y);
        ASSERT_EQ(Game.SaveGame(), CGame::SaveResult::Saved);
        EXPECT_EQ(SavedText().find("View") != std::string::npos, !view.IsWhole());
        Game.SetView(0, {});
        ASSERT_EQ(Game.LoadGame(), CGame::LoadResult::Loaded);
        EXPECT_EQ(Game.GetView().Step(), view.Step());
        EXPECT_NEAR(Game.GetView().Origin().x, view.Origin().x, 0.01f);
        EXPECT_NEAR(Game.GetView().Origin().y, view.Origin().y, 0.01f);
        ASSERT_EQ(Game.GetGroups().size(), groups.size());
        for (std::size_t g = 0; g < groups.size(); ++g) {
            EXPECT_EQ(Game.GetGroups()[g].x, groups[g].x);
            EXPECT_EQ(Game.GetGroups()[g].y, groups[g].y);
            EXPECT_EQ(Game.GetGroups()[g].members, groups[g].members);
        }
    }
}

TEST_F(TableViewSaveTest, SavingAndLoadingKeepsThePlacesAndTheView)
{
    StartPuzzle(kPicture, 13, CCutPreview::kSmoothEasy, false);
    SaveAndLoadKeepEverything(12);
}

// A large cut of a player's photo: its table, its pieces cut again from the
// file on loading, its view.
TEST_F(TableViewSaveTest, ALargeCutIsSavedAndLoadedWithEveryGroupAndTheView)
{
    const std::string photo = program.Path() + "/large photo.bmp";
    program.Write("large photo.bmp", PictureFile(1600, 1200));
    StartPuzzle(photo, 30, CCutPreview::kSmoothMedium, false);
    ASSERT_TRUE(CutPreview.IsLargeCut());
    ASSERT_EQ(Game.GetPieceCount(), 30 * 23);
    ASSERT_GT(Game.TableSpan(), 1.5f);
    SaveAndLoadKeepEverything(3);
    EXPECT_EQ(Game.GetPieceCount(), 30 * 23);
    EXPECT_EQ(Game.GetPiece(0).image.Scale(), CutPreview.GetCutScale());
}

TEST_F(TableViewSaveTest, TodaysFileLoadsOnTheWholeTableWithEveryGroupInPlace)
{
    Game.SetView(2, {100, 100});
    LoadFile(JoinedSquareFile());
    ASSERT_EQ(Game.GetGroups().size(), 13u);
    EXPECT_TRUE(Game.GetView().IsWhole());
    const std::vector<GroupText> groups = JoinedSquareGroups();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        EXPECT_EQ(Game.GetGroups()[g].x, static_cast<float>(groups[g].x));
        EXPECT_EQ(Game.GetGroups()[g].y, static_cast<float>(groups[g].y));
    }
    // Saved again, it is the same file: a view never moved adds nothing.
    Game.SaveGame();
    EXPECT_EQ(SavedText(), JoinedSquareFile() + "Time 0.0\r\n");
}

TEST_F(TableViewSaveTest, AViewThatIsNoNumbersOrBeyondTheTableLosesNothing)
{
    const std::string file = JoinedSquareFile();
    struct Case {
        const char* view;
        int step;
        float x, y;
    };
    // A 4 x 4 cut has pieces too large to come closer: every view is the whole table.
    const Case cases[] = {{"View x 10 10\r\n", 0, 0, 0},
                          {"View 2 ten 10\r\n", 0, 0, 0},
                          {"View 99 1e30 -5\r\n", 0, 0, 0},
                          {"View 1 nan 3\r\n", 0, 0, 0},
                          {"View", 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        LoadFile(file + c.view);
        ASSERT_EQ(Game.GetGroups().size(), 13u);
        EXPECT_EQ(Game.GetView().Step(), c.step);
        EXPECT_EQ(Game.GetView().Origin().x, c.x);
        EXPECT_EQ(Game.GetView().Origin().y, c.y);
    }
}

}  // namespace
