// SPDX-License-Identifier: GPL-3.0-or-later
// ARRANGE lays the loose pieces on the free board and never on a built group,
// packing them tighter when they don't fit; with the edge filter on it tidies
// the hidden loose pieces too.
#include "BoardFixture.h"

#include "puzzle/ArrangeLayout.h"

using namespace board_test;

namespace {

class ArrangeTest : public BoardTest {
protected:
    static LayoutBox PieceBox(int piece)
    {
        const FloatPoint at = ImagePos(piece);
        const CPiece& p = Game.GetPiece(piece);
        return {at.x, at.y, at.x + p.width, at.y + p.height};
    }
    // Joins the piece's right neighbour to it by dropping it in its place.
    void JoinRight(int piece)
    {
        const int right = Game.GetPiece(piece).neighbour[kRight];
        if (right < 0 || GroupIndexOf(right) == GroupIndexOf(piece)) return;
        BringToTop(right);
        const FloatPoint at = ImagePos(piece);
        DragPieceTo(right, static_cast<int>(at.x + Game.GetPiece(piece).neighbourDX[kRight]), static_cast<int>(at.y));
    }
    static void ExpectNoLoosePieceOnAGroup()
    {
        for (const CGroup& loose : Game.GetGroups()) {
            if (loose.members.size() != 1) continue;
            const LayoutBox box = PieceBox(loose.members.front());
            EXPECT_GE(box.left, 0.0f);
            EXPECT_GE(box.top, CGame::kTopBarsBottom);
            EXPECT_LE(box.right, CGame::kBoardRight);
            EXPECT_LE(box.bottom, CGame::kBoardBottom);
            for (const CGroup& built : Game.GetGroups()) {
                if (built.members.size() < 2) continue;
                EXPECT_FALSE(box.Overlaps(Game.ImageBox(built)))
                    << "piece " << loose.members.front() << " lies on the group of " << built.members.front();
            }
        }
    }
};

TEST_F(ArrangeTest, NeverCoversAGroupWhereverTheGroupsLie)
{
    std::srand(5);
    for (int round = 0; round < 12; ++round) {
        const int n = 4 + round % 10;
        SCOPED_TRACE(testing::Message() << "round " << round << " cut " << n);
        CMenu::SetBorder(round % 3 == 2);
        StartPuzzle(448, 448, n, CCutPreview::kSmoothEasy);
        for (int join = 0; join < 4; ++join) JoinRight(std::rand() % Game.GetPieceCount());
        for (CGroup& group : Groups()) {
            if (group.members.size() < 2) continue;
            group.x = static_cast<float>(std::rand() % 700 - 100);
            group.y = static_cast<float>(std::rand() % 500 - 50);
        }
        game.RunFrames(1);
        Game.ArrangePieces();
        ExpectNoLoosePieceOnAGroup();
        game.RunFrames(1);
        ExpectNoLoosePieceOnAGroup();
        if (HasFailure()) return;
        Game.ClearGroups();
        Game.FreePieces();
    }
}

TEST_F(ArrangeTest, WithTheEdgeFilterOnTheBoardIsTidyOnceItGoesOff)
{
    StartPuzzle(448, 448, 5);
    Game.FilterEdgePieces(true);
    Game.ArrangePieces();
    Game.FilterEdgePieces(false);
    game.RunFrames(1);
    for (const CGroup& a : Game.GetGroups()) {
        for (const CGroup& b : Game.GetGroups()) {
            if (&a == &b) continue;
            EXPECT_FALSE(PieceBox(a.members.front()).Overlaps(PieceBox(b.members.front())))
                << a.members.front() << " on " << b.members.front();
        }
    }
}

TEST(ArrangeLayoutTest, PacksTighterThenOverLoosePiecesButNeverOnAnObstacle)
{
    const LayoutBox board{0, 0, 400, 300};
    const std::vector<LayoutBox> obstacles{{100, 0, 300, 200}};
    for (int count : {4, 20, 60, 400}) {
        const std::vector<ArrangeLayout::Item> items(static_cast<std::size_t>(count), ArrangeLayout::Item{50, 50});
        const std::vector<ArrangeLayout::Place> places = ArrangeLayout::Lay(board, obstacles, items);
        for (const ArrangeLayout::Place& place : places) {
            ASSERT_TRUE(place.placed) << count;
            const LayoutBox box{place.x, place.y, place.x + 50, place.y + 50};
            EXPECT_FALSE(box.Overlaps(obstacles.front())) << count;
            EXPECT_GE(box.left, board.left);
            EXPECT_LE(box.right, board.right);
            EXPECT_GE(box.top, board.top);
            EXPECT_LE(box.bottom, board.bottom);
        }
    }
    // No free room at all: everything stays.
    const std::vector<ArrangeLayout::Place> none =
        ArrangeLayout::Lay(board, {{0, 0, 400, 300}}, std::vector<ArrangeLayout::Item>(3, {50, 50}));
    for (const ArrangeLayout::Place& place : none) EXPECT_FALSE(place.placed);
}

}  // namespace
