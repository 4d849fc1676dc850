// SPDX-License-Identifier: GPL-3.0-or-later
// Saved games of cuts with more pieces one way than the other: the columns
// and rows come back as they were; an older square cut of the same picture
// still loads; a cut the picture can't take is refused.
#include "SavedGameFixture.h"

using namespace saves_test;

namespace {

const std::string kWide = "pics/wide.bmp";

class WideCutSaveTest : public SavedGameTest {
protected:
    void SetUp() override
    {
        SavedGameTest::SetUp();
        program.Write(kWide, PictureFile(448, 252));
    }
};

TEST_F(WideCutSaveTest, ColumnsAndRowsComeBackAsSaved)
{
    StartPuzzle(kWide, 13, CCutPreview::kSmoothMedium, false);
    ASSERT_EQ(Game.GetPiecesX(), 13);
    ASSERT_EQ(Game.GetPiecesY(), 7);
    Game.ArrangePieces();
    const std::vector<CGroup> before = Game.GetGroups();
    ASSERT_EQ(Game.SaveGame(), CGame::SaveResult::Saved);
    EXPECT_NE(SavedText().find("NumberOfPiecesX 13\r\nNumberOfPiecesY 7"), std::string::npos);
    StartPuzzle(kPicture, 5, CCutPreview::kSmoothEasy, false);
    ASSERT_EQ(Game.LoadGame(), CGame::LoadResult::Loaded);
    EXPECT_EQ(Game.GetPiecesX(), 13);
    EXPECT_EQ(Game.GetPiecesY(), 7);
    EXPECT_EQ(CutPreview.GetColumns(), 13);
    EXPECT_EQ(CutPreview.GetRows(), 7);
    ASSERT_EQ(Game.GetGroups().size(), before.size());
    for (std::size_t g = 0; g < before.size(); ++g) EXPECT_EQ(Game.GetGroups()[g].members, before[g].members);
}

TEST_F(WideCutSaveTest, AnOlderSquareCutStillLoadsAndOneTooFineIsRefused)
{
    auto singles = [](int columns, int rows) {
        std::vector<GroupText> groups;
        for (int piece = 0; piece < columns * rows; ++piece) groups.push_back({10 + piece, 40 + piece, {piece}, {}});
        return groups;
    };
    StartPuzzle(kPicture, 5, CCutPreview::kSmoothEasy, false);
    LoadFile(SavedFile(0, kWide, "0.00", 7, 7, singles(7, 7)));
    EXPECT_EQ(Game.GetPiecesX(), 7);
    EXPECT_EQ(Game.GetPiecesY(), 7);
    write.Write("game.pvs", SavedFile(0, kWide, "0.00", 13, 8, singles(13, 8)));
    EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Damaged) << "8 rows of under 33 pixels";
    EXPECT_EQ(Game.GetPiecesY(), 7);
}

}  // namespace
