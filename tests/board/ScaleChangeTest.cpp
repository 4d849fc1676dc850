// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing scale changing during play (Alt+Enter, a resized window): the
// picture and the pieces are made again at the new scale, and the board, the
// selection, the undo history and the saved game stay as they were; presses
// still take the piece under them, and selected pieces drawn by their runs
// are those of the plain rule at every scale.
#include "BoardFixture.h"

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/BmpWriter.h"
#include "platform/VirtualKeys.h"
#include "resources/BackBuffer.h"
#include "support/TempFolder.h"

using namespace board_test;

namespace {

struct Board {
    std::vector<std::tuple<std::vector<int>, float, float, bool>> groups;
    std::vector<float> offsets;
    bool operator==(const Board& o) const { return groups == o.groups && offsets == o.offsets; }
};

Board Look()
{
    Board board;
    for (const CGroup& g : Game.GetGroups()) board.groups.emplace_back(g.members, g.x, g.y, g.selected);
    for (int p = 0; p < Game.GetPieceCount(); ++p) {
        board.offsets.push_back(Game.GetPiece(p).x);
        board.offsets.push_back(Game.GetPiece(p).y);
    }
    return board;
}

class ScaleChangeTest : public BoardTest {
protected:
    void TearDown() override
    {
        Surface::UsePlainCopies(false);
        BoardTest::TearDown();
    }

    // A 448 x 300 picture on the disk, cut 5 x 4 with knobs, so that it can
    // be read again at another scale.
    void StartFilePuzzle()
    {
        game.TapKey('A');  // past the logo
        Surface picture(448, 300);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 448; ++x) picture.SetPixel(x, y, puzzle_test::PictureColour(x, y));
        const std::vector<unsigned char> bytes = BmpWriter::Encode(picture);
        folder.Write("scaled.bmp", std::string(bytes.begin(), bytes.end()));
        ASSERT_TRUE(CutPreview.ChoosePictureFile((folder / "scaled.bmp").c_str()));
        CutPreview.SetDefaults();
        CutPreview.SetPieces(5);
        CutPreview.SetSmoothType(CCutPreview::kSmoothMedium);
        puzzle_test::BuildAllPieces();
        Game.StartGame();
        App.SetState(STATE_GAME);
        ASSERT_EQ(Game.GetPieceCount(), 20);  // 5 x 4
        for (int piece = 0; piece < 20; ++piece)
            PlaceImage(piece, 20.0f + (piece % 5) * 140, 60.0f + (piece / 5) * 90);
        game.RunFrames(1);
    }
    // Presses at a unit of the board and drags a little: answers the lowest
    // piece that moved with the cursor (-1 for none), then puts it back with
    // undo and leaves nothing selected.
    int PieceTakenAt(int x, int y)
    {
        std::vector<FloatPoint> before;
        for (int p = 0; p < Game.GetPieceCount(); ++p) before.push_back(ImagePos(p));
        game.PressButton(MouseButton::Left, x, y);
        game.RunFrames(1);
        game.MoveMouse(x + 7, y + 5);
        game.RunFrames(1);
        game.ReleaseButton(MouseButton::Left, x + 7, y + 5);
        game.RunFrames(1);
        int moved = -1;
        for (int p = Game.GetPieceCount() - 1; p >= 0; --p) {
            const FloatPoint now = ImagePos(p);
            if (now.x != before[static_cast<std::size_t>(p)].x || now.y != before[static_cast<std::size_t>(p)].y)
                moved = p;
        }
        if (moved >= 0) Ctrl('Z');
        for (CGroup& group : Groups()) group.selected = false;
        Game.TestHookSetSelection(false);
        game.RunFrames(1);
        return moved;
    }
    // Drops the piece at its place right of or below the other: its corner
    // on the other's.
    void DragNextTo(int piece, int to, int side)
    {
        const CPiece& q = Game.GetPiece(to);
        const CPiece& n = Game.GetPiece(piece);
        const Point corner = side == kRight ? q.cornerTR : q.cornerBL;
        const FloatPoint at = ImagePos(to);
        DragPieceTo(piece, static_cast<int>(at.x) + corner.x - n.cornerTL.x,
                    static_cast<int>(at.y) + corner.y - n.cornerTL.y);
        game.RunFrames(1);
    }
    void Ctrl(int key)
    {
        game.PressKey(VK_CONTROL);
        game.TapKey(key);
        game.ReleaseKey(VK_CONTROL);
        game.RunFrames(1);
    }
    void SetScale(int scale)
    {
        game.Display().SetDrawingScale(scale);
        game.RunFrames(2);
    }

    TempFolder folder;
};

TEST_F(ScaleChangeTest, TheBoardSelectionHistoryAndSavedGameSurviveEveryChangeOfScale)
{
    StartFilePuzzle();
    // Two joins and a move, then a selected group.
    DragNextTo(1, 0, kRight);
    DragNextTo(5, 0, kDown);
    DragPieceTo(12, 400, 330);
    GroupOf(12).selected = true;
    Game.TestHookSetSelection(true);
    game.RunFrames(1);
    ASSERT_EQ(GroupOf(0).members.size(), 3u);
    const Board played = Look();
    const std::size_t depth = Game.GetHistory().UndoDepth();
    game.Click(76, 12);  // SAVE at scale 1
    game.RunFrames(1);

    for (int scale : {2, 3, 1, 3}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        SetScale(scale);
        EXPECT_EQ(game.Frame().Scale(), scale);
        EXPECT_EQ(CutPreview.GetClean().surface.Scale(), scale);
        EXPECT_EQ(CutPreview.GetSmall().surface.Scale(), scale);
        // The picture window's frame is made again to the picture's shape.
        EXPECT_EQ(CutPreview.GetFrame().surface.Scale(), scale);
        EXPECT_EQ(CutPreview.GetFrame().width, int(CutPreview.GetSmall().width) + 8.0f);
        for (int p = 0; p < Game.GetPieceCount(); ++p) ASSERT_EQ(Game.GetPiece(p).image.Scale(), scale);
        EXPECT_EQ(Look(), played);
        EXPECT_EQ(Game.GetHistory().UndoDepth(), depth);
    }
    // The picture read again from its file at scale 3: the file's pixel at
    // the middle of its 3 x 3 (the filter enlarges it smoothly, so only near).
    const Colour middle = CutPreview.GetClean().surface.GetPixel(3 * 100 + 1, 3 * 50 + 1);
    const Colour file = puzzle_test::PictureColour(100, 50);
    EXPECT_NEAR(RedOf(middle), RedOf(file), 4);
    EXPECT_NEAR(GreenOf(middle), GreenOf(file), 4);
    EXPECT_NEAR(BlueOf(middle), BlueOf(file), 4);

    // A join made at scale 3 is undone there, and the game saved at scale 1
    // loads at scale 3 as it was saved.
    DragNextTo(2, 1, kRight);
    EXPECT_EQ(GroupOf(0).members.size(), 4u);
    Ctrl('Z');
    EXPECT_EQ(Look().offsets, played.offsets);
    EXPECT_EQ(GroupOf(0).members.size(), 3u);
    game.Click(132, 12);  // LOAD
    game.RunFrames(2);
    EXPECT_EQ(Game.GetPiece(0).image.Scale(), 3);
    EXPECT_EQ(GroupOf(0).members.size(), 3u);
    EXPECT_EQ(Look().offsets, played.offsets);
    int found = 0;
    for (const auto& [members, x, y, selected] : played.groups)
        if (members == GroupOf(12).members) {
            EXPECT_EQ(x, GroupOf(12).x);
            EXPECT_EQ(y, GroupOf(12).y);
            ++found;
        }
    EXPECT_EQ(found, 1);
}

TEST_F(ScaleChangeTest, APressTakesThePieceUnderItAtEveryScale)
{
    StartFilePuzzle();
    // Units inside each piece, on its outline's edge and beside the tabs.
    std::vector<Point> presses;
    for (int p = 0; p < Game.GetPieceCount(); p += 3) {
        const Point inside = OnBoard(p, InsidePixel(p));
        presses.push_back(inside);
        const FloatPoint at = ImagePos(p);
        presses.push_back({static_cast<int>(at.x) + 2, static_cast<int>(at.y) + 2});
        presses.push_back({static_cast<int>(at.x + Game.GetPiece(p).width / 2), static_cast<int>(at.y) + 1});
    }
    std::vector<int> atOne;
    for (Point at : presses) atOne.push_back(PieceTakenAt(at.x, at.y));
    int found = 0;
    for (int taken : atOne) found += taken >= 0;
    EXPECT_GT(found, static_cast<int>(presses.size()) / 3);
    for (int scale : {2, 3}) {
        SetScale(scale);
        int differing = 0;
        for (std::size_t i = 0; i < presses.size(); ++i) {
            const int taken = PieceTakenAt(presses[i].x, presses[i].y);
            // A press exactly on an outline may fall either side; inside a piece it never does.
            if (i % 3 == 0) {
                EXPECT_EQ(taken, atOne[i]) << "scale " << scale << ", press " << i;
            }
            differing += taken != atOne[i];
        }
        EXPECT_LE(differing, 2) << "scale " << scale;
    }
}

TEST_F(ScaleChangeTest, SelectedPiecesDrawnByTheirRunsAreThoseOfThePlainRuleAtEveryScale)
{
    game.SetFrameStep(0);
    StartFilePuzzle();
    for (std::size_t g = 0; g < Groups().size(); g += 2) Groups()[g].selected = true;
    for (int scale : {2, 3}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        SetScale(scale);
        game.RunFrames(3);
        const Surface fast = game.Frame();
        Surface::UsePlainCopies(true);
        game.RunFrames(1);
        Surface::UsePlainCopies(false);
        const Surface& plain = game.Frame();
        ASSERT_EQ(plain.Width(), 800 * scale);
        int differing = 0;
        for (int y = 0; y < plain.Height(); ++y)
            differing += std::memcmp(fast.Row(y), plain.Row(y), sizeof(Colour) * plain.Width()) != 0;
        EXPECT_EQ(differing, 0);
    }
}

// Whether some block of scale x scale pixels of the surface (on its unit
// grid) holds two colours: what was drawn there is finer than a unit.
bool HasFinerThanAUnit(const Surface& surface)
{
    const int scale = surface.Scale();
    for (int y = 0; y + scale <= surface.Height(); y += scale)
        for (int x = 0; x + scale <= surface.Width(); x += scale)
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    if (surface.GetPixel(x + dx, y + dy) != surface.GetPixel(x, y)) return true;
    return false;
}

TEST_F(ScaleChangeTest, TheCutPageShowsThePictureAndItsCutLinesAtTheScaleAndFollowsAChange)
{
    game.TapKey('A');
    SetScale(2);
    // Stripes of one pixel at 896: finer than a unit, so only a picture
    // filtered at the scale shows them.
    Surface picture(896, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 896; ++x) picture.SetPixel(x, y, x % 2 ? MakeColour(200, 30, 30) : MakeColour(30, 30, 200));
    const std::vector<unsigned char> bytes = BmpWriter::Encode(picture);
    folder.Write("fine.bmp", std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(CutPreview.ChoosePictureFile((folder / "fine.bmp").c_str()));
    CutPreview.SetDefaults();
    for (int scale : {2, 3}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        SetScale(scale);
        const Surface& work = CutPreview.GetWorkSurface();
        ASSERT_EQ(work.Scale(), scale);
        EXPECT_EQ(CutPreview.GetClean().width, 448.0f);
        EXPECT_TRUE(HasFinerThanAUnit(CutPreview.GetClean().surface));
        // The cut lines: white pixels on the picture, and where they bend
        // they are finer than a unit too.
        Surface lines = Surface::Scaled(work.UnitWidth(), work.UnitHeight(), scale);
        int white = 0;
        for (int y = 0; y < work.Height(); ++y)
            for (int x = 0; x < work.Width(); ++x) {
                const bool line = work.GetPixel(x, y) == kWhite;
                white += line;
                lines.SetPixel(x, y, line ? kWhite : kBlack);
            }
        EXPECT_GT(white, 0);
        EXPECT_TRUE(HasFinerThanAUnit(lines));
        // Drawn onto the back buffer as it is: a plain copy, pixel for pixel.
        CutPreview.Draw();
        const int left = static_cast<int>(512.0f - CutPreview.GetClean().width / 2.0f) * scale;
        const int top = static_cast<int>((448.0f - CutPreview.GetClean().height) / 2.0f + 48.0f) * scale;
        int differing = 0;
        for (int y = 0; y < work.Height(); y += 7)
            for (int x = 0; x < work.Width(); ++x) differing += BackBuffer().GetPixel(left + x, top + y) != work.GetPixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}

}  // namespace
