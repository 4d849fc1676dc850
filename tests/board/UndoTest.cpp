// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of the player's actions: drops and their joins, Arrange, the
// in-game LOAD and a moved selection go back and forth exactly, within the
// puzzle in play only.
#include "BoardFixture.h"

#include <string>
#include <tuple>
#include <vector>

#include "platform/BmpWriter.h"
#include "platform/VirtualKeys.h"
#include "support/TempFolder.h"

using namespace board_test;

namespace {

struct GroupState {
    std::vector<int> members, canJoin;
    float x, y;
    bool operator==(const GroupState& o) const
    {
        return std::tie(members, canJoin, x, y) == std::tie(o.members, o.canJoin, o.x, o.y);
    }
    bool operator<(const GroupState& o) const { return members < o.members; }
};

// The board as the player sees it: groups in any order, and the pieces' places in them.
struct BoardState {
    std::vector<GroupState> groups;
    std::vector<float> offsets;
    bool operator==(const BoardState& o) const { return groups == o.groups && offsets == o.offsets; }
};

BoardState Look()
{
    BoardState state;
    for (const CGroup& g : Game.GetGroups()) state.groups.push_back({g.members, g.canJoin, g.x, g.y});
    std::sort(state.groups.begin(), state.groups.end());
    for (int p = 0; p < Game.GetPieceCount(); ++p) {
        state.offsets.push_back(Game.GetPiece(p).x);
        state.offsets.push_back(Game.GetPiece(p).y);
    }
    return state;
}

class UndoTest : public BoardTest {
protected:
    // A 448 x 150 picture on the disk, cut 4 x 4, so that LOAD finds it again.
    void StartSavedPicturePuzzle()
    {
        game.TapKey('A');  // past the logo: the panel's pictures are loaded
        Surface picture(448, 150);
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 448; ++x) picture.SetPixel(x, y, puzzle_test::PictureColour(x, y));
        const std::vector<unsigned char> bytes = BmpWriter::Encode(picture);
        folder.Write("wide.bmp", std::string(bytes.begin(), bytes.end()));
        ASSERT_TRUE(CutPreview.ChoosePictureFile((folder / "wide.bmp").c_str()));
        CutPreview.SetDefaults();
        CutPreview.SetPieces(4);
        CutPreview.SetSmoothType(CCutPreview::kSmoothNone);
        puzzle_test::BuildAllPieces();
        Game.StartGame();
        App.SetState(STATE_GAME);
        for (int piece = 0; piece < 16; ++piece) PlaceImage(piece, 20.0f + (piece % 4) * 150, 60.0f + (piece / 4) * 60);
        game.RunFrames(1);
    }
    void Ctrl(int key, bool shift = false)
    {
        game.PressKey(VK_CONTROL);
        if (shift) game.PressKey(VK_SHIFT);
        game.TapKey(key);
        if (shift) game.ReleaseKey(VK_SHIFT);
        game.ReleaseKey(VK_CONTROL);
        game.RunFrames(1);
    }
    void DragNextTo(int piece, int to, int side)
    {
        const CPiece& q = Game.GetPiece(to);
        const FloatPoint at = ImagePos(to);
        const float dx = side == kRight ? q.neighbourDX[kRight] : 0, dy = side == kDown ? q.neighbourDY[kDown] : 0;
        DragPieceTo(piece, static_cast<int>(at.x + dx), static_cast<int>(at.y + dy));
        game.RunFrames(1);
    }
    void Click(int x, int y)
    {
        game.Click(x, y);
        game.RunFrames(1);
    }

    TempFolder folder;
};

TEST_F(UndoTest, EveryActionGoesBackAndForthExactly)
{
    StartSavedPicturePuzzle();
    std::vector<BoardState> states{Look()};
    DragNextTo(1, 0, kRight);
    ASSERT_EQ(GroupIndexOf(0), GroupIndexOf(1));
    states.push_back(Look());
    DragNextTo(4, 0, kDown);
    ASSERT_EQ(GroupIndexOf(0), GroupIndexOf(4));
    states.push_back(Look());
    DragPieceTo(15, 600, 400);
    game.RunFrames(1);
    states.push_back(Look());
    Click(272, 579);  // ARRANGE
    states.push_back(Look());
    ASSERT_NE(states[3], states[4]);
    Click(76, 12);  // SAVE: not an action
    DragPieceTo(14, 500, 420);
    game.RunFrames(1);
    states.push_back(Look());
    Click(132, 12);  // LOAD
    states.push_back(Look());
    ASSERT_EQ(states.back(), states[4]) << "back to the save";
    // A selection frame from the empty bottom corner, moved by one of its pieces.
    Press(5, 545);
    MoveTo(300, 100);
    Release(300, 100);
    ASSERT_TRUE(Game.HasSelection());
    int selectedPiece = -1;
    for (const CGroup& g : Game.GetGroups())
        if (g.selected && selectedPiece < 0) selectedPiece = g.members.front();
    const Point grab = OnBoard(selectedPiece, InsidePixel(selectedPiece));
    Press(grab.x, grab.y);
    MoveTo(grab.x + 30, grab.y + 200);
    Release(grab.x + 30, grab.y + 200);
    game.RunFrames(1);
    states.push_back(Look());
    ASSERT_NE(states[6], states[7]);

    for (int i = static_cast<int>(states.size()) - 2; i >= 0; --i) {
        Ctrl('Z');
        EXPECT_EQ(Look(), states[static_cast<std::size_t>(i)]) << "undo to state " << i;
    }
    Ctrl('Z');  // nothing older: nothing changes
    EXPECT_EQ(Look(), states[0]);
    for (std::size_t i = 1; i < states.size(); ++i) {
        Ctrl(i % 2 ? 'Y' : 'Z', i % 2 == 0);
        EXPECT_EQ(Look(), states[i]) << "redo to state " << i;
    }
}

TEST_F(UndoTest, ASaveAfterAnUndoLoadsWhatWasOnScreenAndANewActionEndsRedo)
{
    StartSavedPicturePuzzle();
    DragNextTo(1, 0, kRight);
    const BoardState joined = Look();
    DragPieceTo(9, 640, 300);
    game.RunFrames(1);
    Ctrl('Z');
    ASSERT_EQ(Look(), joined);
    Click(76, 12);  // SAVE
    DragPieceTo(2, 500, 420);
    game.RunFrames(1);
    Click(132, 12);  // LOAD
    EXPECT_EQ(Look(), joined);
    // Undo took the load back; a fresh action then leaves nothing to redo.
    Ctrl('Z');
    DragPieceTo(3, 400, 300);
    EXPECT_FALSE(Game.GetHistory().CanRedo());
}

TEST_F(UndoTest, KeepsAHundredStepsAndNeverReachesIntoAnotherPuzzle)
{
    StartSavedPicturePuzzle();
    for (int step = 0; step < 110; ++step) {
        DragPieceTo(15, 300 + (step % 2) * 200, 300);
        game.RunFrames(1);
    }
    EXPECT_EQ(Game.GetHistory().UndoDepth(), CBoardHistory::kDepth);
    int undone = 0;
    while (Game.Undo()) ++undone;
    EXPECT_EQ(undone, 100);
    Game.Redo();
    // A new puzzle starts with no steps of the last.
    Game.StartGame();
    EXPECT_FALSE(Game.GetHistory().CanUndo());
    EXPECT_FALSE(Game.GetHistory().CanRedo());
    game.RunFrames(1);
    const BoardState fresh = Look();
    Ctrl('Z');
    Ctrl('Y');
    EXPECT_EQ(Look(), fresh);
}

}  // namespace
