// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "PuzzleFixture.h"

using namespace puzzle_test;

namespace {

class StartGameTest : public PuzzleTest {};

int IndexOf(int column, int row)
{
    return static_cast<int>(CGame::GetArrayIndex(column, row, Game.GetPiecesX(), Game.GetPiecesY()));
}

const CGroup* LargestGroup()
{
    const CGroup* largest = nullptr;
    for (const CGroup& group : Game.GetGroups()) {
        if (!largest || group.members.size() > largest->members.size()) largest = &group;
    }
    return largest;
}

int VisibleGroups()
{
    return static_cast<int>(std::count_if(Game.GetGroups().begin(), Game.GetGroups().end(),
                                          [](const CGroup& group) { return !group.hidden; }));
}

// Every piece in exactly one group that its inGroup names, no group a
// candidate of its own, draw order 0..n-1.
void ExpectGroupInvariants()
{
    const std::vector<CGroup>& groups = Game.GetGroups();
    std::vector<int> owner(Game.GetPieceCount(), -1);
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        for (int m : groups[g].members) {
            ASSERT_TRUE(Game.IsValidPieceIndex(m));
            ASSERT_EQ(owner[m], -1) << "piece " << m << " in two groups";
            owner[m] = g;
            EXPECT_EQ(Game.GetPiece(m).inGroup, g);
        }
        std::set<int> seen;
        for (int q : groups[g].canJoin) {
            EXPECT_FALSE(groups[g].HasMember(q)) << "group " << g << " may join its own piece " << q;
            EXPECT_TRUE(seen.insert(q).second) << "candidate " << q << " listed twice";
        }
        EXPECT_EQ(Game.GetDrawOrder()[g], g);
    }
    EXPECT_EQ(Game.GetDrawOrder().size(), groups.size());
    for (int i = 0; i < Game.GetPieceCount(); ++i) EXPECT_NE(owner[i], -1) << "piece " << i << " in no group";
}

}  // namespace

TEST_F(StartGameTest, ArrayIndexIsRowMajorAndRejectsCellsOutsideTheCut)
{
    EXPECT_EQ(CGame::GetArrayIndex(3, 2, 4, 4), 11u);
    EXPECT_EQ(CGame::GetArrayIndex(0, 0, 4, 4), 0u);
    EXPECT_EQ(CGame::GetArrayIndex(3, 0, 4, 2), 3u);
    EXPECT_EQ(CGame::GetArrayIndex(4, 0, 4, 4), 0u);
    EXPECT_EQ(CGame::GetArrayIndex(0, 4, 4, 4), 0u);
    EXPECT_EQ(CGame::GetArrayIndex(-1, 0, 4, 4), 0u);
    EXPECT_EQ(CGame::GetArrayIndex(0, 0, 0, 0), 0u);
}

TEST_F(StartGameTest, NeighboursAndTheirOffsetsAgreeFromBothSides)
{
    BuildCut(448, 448, 5, CCutPreview::kSmoothHard, false);
    Game.StartGame();
    const CPiece& corner = Game.GetPiece(IndexOf(0, 0));
    EXPECT_EQ(std::count(corner.neighbour, corner.neighbour + 4, -1), 2);
    const CPiece& inner = Game.GetPiece(IndexOf(2, 2));
    EXPECT_EQ(std::count(inner.neighbour, inner.neighbour + 4, -1), 0);
    EXPECT_EQ(inner.neighbour[0], IndexOf(1, 2));
    EXPECT_EQ(inner.neighbour[1], IndexOf(3, 2));
    EXPECT_EQ(inner.neighbour[2], IndexOf(2, 1));
    EXPECT_EQ(inner.neighbour[3], IndexOf(2, 3));
    for (int i = 0; i < Game.GetPieceCount(); ++i) {
        const CPiece& p = Game.GetPiece(i);
        if (p.neighbour[1] != -1) {
            const CPiece& q = Game.GetPiece(p.neighbour[1]);
            EXPECT_EQ(q.neighbour[0], i);
            EXPECT_EQ(p.neighbourDX[1], q.neighbourDX[0]);
            EXPECT_EQ(p.neighbourDX[1], q.homeX - p.homeX);
            EXPECT_EQ(p.neighbourDY[1], q.homeY - p.homeY);
            EXPECT_EQ(q.neighbourDY[0], p.homeY - q.homeY);
        }
        if (p.neighbour[3] != -1) {
            const CPiece& q = Game.GetPiece(p.neighbour[3]);
            EXPECT_EQ(q.neighbour[2], i);
            EXPECT_EQ(p.neighbourDY[3], q.neighbourDY[2]);
            EXPECT_EQ(p.neighbourDX[3], q.homeX - p.homeX);
            EXPECT_EQ(q.neighbourDX[2], p.homeX - q.homeX);
        }
    }
}

TEST_F(StartGameTest, WithoutBorderEveryPieceStartsAloneWhereItWasScattered)
{
    BuildCut(448, 448, 4, CCutPreview::kSmoothEasy, false);
    std::vector<FloatPoint> scattered;
    for (int i = 0; i < 16; ++i) scattered.push_back({Game.GetPiece(i).x, Game.GetPiece(i).y});
    Game.StartGame();
    ASSERT_EQ(Game.GetGroups().size(), 16u);
    bool shuffled = false;
    for (int g = 0; g < 16; ++g) {
        const CGroup& group = Game.GetGroups()[g];
        ASSERT_EQ(group.members.size(), 1u);
        const int piece = group.members[0];
        shuffled |= piece != g;
        const CPiece& p = Game.GetPiece(piece);
        const bool edgeColumn = p.column == 0 || p.column == 3, edgeRow = p.row == 0 || p.row == 3;
        EXPECT_EQ(group.canJoin.size(), edgeColumn && edgeRow ? 2u : edgeColumn || edgeRow ? 3u : 4u);
        EXPECT_EQ(group.x, scattered[piece].x);
        EXPECT_EQ(group.y, scattered[piece].y);
        EXPECT_EQ(p.x, 0.0f);
        EXPECT_EQ(p.y, 0.0f);
        EXPECT_EQ(group.width, 112.0f);
        EXPECT_EQ(group.height, 112.0f);
        EXPECT_FALSE(group.hidden || group.selected || group.mergeMark);
    }
    EXPECT_TRUE(shuffled);
    ExpectGroupInvariants();
    EXPECT_FALSE(Game.IsCompleted());
    EXPECT_EQ(Game.GetPreviewPos().x, 20.0f);
    EXPECT_EQ(Game.GetSampleTarget().x, 410.0f - 224.0f);
    EXPECT_EQ(Game.GetSampleTarget().y, 250.0f - 224.0f);
}

TEST_F(StartGameTest, BorderRingOfAFourByFourCut)
{
    BuildCut(448, 448, 4, CCutPreview::kSmoothEasy, true);
    Game.LinkNeighbours();
    Game.ClearGroups();
    Game.BuildGroupsWithBorder();
    ASSERT_EQ(Game.GetGroups().size(), 5u);
    const CGroup& ring = Game.GetGroups().back();
    EXPECT_EQ(ring.members, (std::vector<int>{15, 14, 13, 12, 11, 8, 7, 4, 3, 2, 1, 0}));
    EXPECT_EQ(ring.canJoin, (std::vector<int>{5, 9, 6, 10}));
    EXPECT_EQ(ring.x, 20.0f);
    EXPECT_EQ(ring.y, 50.0f);
    EXPECT_EQ(ring.width, 4 * CutPreview.GetCellWidth());
    EXPECT_EQ(ring.height, 4 * CutPreview.GetCellHeight());
    for (int g = 0; g < 4; ++g) EXPECT_EQ(Game.GetGroups()[g].members.size(), 1u);

    Game.StartGame();
    EXPECT_EQ(Game.GetGroups().size(), 5u);
    EXPECT_EQ(LargestGroup()->members.size(), 12u);
    ExpectGroupInvariants();
}

TEST_F(StartGameTest, RingOffsetsMatchThePictureWithoutSeams)
{
    BuildCut(448, 448, 8, CCutPreview::kSmoothEasy, true);
    Game.StartGame();
    ASSERT_EQ(Game.GetGroups().size(), 37u);  // 6 x 6 inner pieces and the ring
    const int topRow[8][2] = {{0, 0}, {55, -6}, {94, -11}, {155, -11}, {206, -6}, {267, -11}, {318, -11}, {391, 0}};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(Game.GetPiece(IndexOf(c, 0)).x, topRow[c][0]) << c;
        EXPECT_EQ(Game.GetPiece(IndexOf(c, 0)).y, topRow[c][1]) << c;
    }
    EXPECT_EQ(Game.GetPiece(IndexOf(0, 7)).x, 0.0f);
    EXPECT_EQ(Game.GetPiece(IndexOf(0, 7)).y, 391.0f);
    EXPECT_EQ(Game.GetPiece(IndexOf(7, 7)).x, 391.0f);
    EXPECT_EQ(Game.GetPiece(IndexOf(7, 7)).y, 391.0f);
}

TEST_F(StartGameTest, RingOffsetsAreBoxDifferencesForEveryStyleAndSize)
{
    for (int n : {4, 7, 13}) {
        for (float smooth : kAllStyles) {
            BuildCut(448, 448, n, smooth, true);
            Game.StartGame();
            const CGroup* ring = LargestGroup();
            ASSERT_EQ(ring->members.size(), static_cast<std::size_t>(4 * n - 4));
            // The box corner of a piece in the picture is its lattice corner
            // minus that corner's place in its image.
            auto box = [](int i) {
                const CPiece& p = Game.GetPiece(i);
                const Point corner = CutPreview.GetPoint(CutPreview.LineIndex(p.row, 6 * p.column));
                return Point{corner.x - p.cornerTL.x, corner.y - p.cornerTL.y};
            };
            const Point origin = box(0);
            for (int m : ring->members) {
                EXPECT_EQ(Game.GetPiece(m).x, box(m).x - origin.x) << n << " " << smooth << " piece " << m;
                EXPECT_EQ(Game.GetPiece(m).y, box(m).y - origin.y) << n << " " << smooth << " piece " << m;
            }
        }
    }
}

TEST_F(StartGameTest, ThirteenByThirteenWithBorder)
{
    BuildCut(448, 448, 13, CCutPreview::kSmoothMedium, true);
    Game.StartGame();
    EXPECT_EQ(Game.GetGroups().size(), 122u);
    const CGroup* ring = LargestGroup();
    EXPECT_EQ(ring->members.size(), 48u);
    ASSERT_EQ(ring->canJoin.size(), 40u);
    for (int q : ring->canJoin) {
        const CPiece& p = Game.GetPiece(q);
        EXPECT_TRUE(p.column == 1 || p.column == 11 || p.row == 1 || p.row == 11) << q;
    }
    EXPECT_TRUE(std::is_sorted(ring->members.rbegin(), ring->members.rend()));
    ExpectGroupInvariants();
}

TEST_F(StartGameTest, GroupInvariantsHoldForEverySize)
{
    for (int n = 4; n <= 13; ++n) {
        for (bool border : {false, true}) {
            ChooseCut(448, 448, n, CCutPreview::kSmoothEasy, border);
            BuildAllPieces();
            Game.StartGame();
            EXPECT_EQ(Game.GetGroups().size(), static_cast<std::size_t>(border ? (n - 2) * (n - 2) + 1 : n * n));
            ExpectGroupInvariants();
            if (HasFailure()) return;
        }
    }
}

TEST_F(StartGameTest, TinyCutsStartWithoutHangingOrRepeatingPieces)
{
    for (int n = 1; n <= 3; ++n) {
        for (bool border : {false, true}) {
            ChooseCut(448, 448, 4, CCutPreview::kSmoothEasy, border);
            CutPreview.Restore(CCutPreview::kSmoothEasy, n, n);
            BuildAllPieces();
            Game.StartGame();
            ExpectGroupInvariants();
        }
    }
    // A ring two pieces high holds every piece and has nothing to join.
    ChooseCut(448, 448, 4, CCutPreview::kSmoothEasy, true);
    CutPreview.Restore(CCutPreview::kSmoothEasy, 6, 2);
    BuildAllPieces();
    Game.StartGame();
    ASSERT_EQ(Game.GetGroups().size(), 1u);
    EXPECT_EQ(Game.GetGroups()[0].members.size(), 12u);
    EXPECT_TRUE(Game.GetGroups()[0].canJoin.empty());
    ExpectGroupInvariants();
}

// Rows of the pieces' real boxes, 4 pixels apart, from (20, 50); a row wraps
// before a box would pass the board's right edge at 790, and the next row
// starts 4 pixels below the tallest box of the one before.
TEST_F(StartGameTest, ArrangePiecesLaysLoosePiecesOutInRowsByTheirWidths)
{
    // A 200 x 160 picture cut 5 x 4: 20 loose pieces, cells 40 x 40.
    ChooseCut(200, 160, 4, CCutPreview::kSmoothEasy, false);
    CutPreview.Restore(CCutPreview::kSmoothEasy, 5, 4);
    BuildAllPieces();
    Game.StartGame();
    Game.ArrangePieces();
    const std::vector<CGroup>& groups = Game.GetGroups();
    ASSERT_EQ(groups.size(), 20u);
    // Side by side from the top left below the bars, 4 pixels apart, a new
    // row where the next piece would pass the board's right edge.
    const float top = CGame::kTopBarsBottom + 4;
    float x = 20, y = top, rowHeight = 0;
    for (const CGroup& group : groups) rowHeight = std::max(rowHeight, Game.GetPiece(group.members.front()).height);
    for (const CGroup& group : groups) {
        const CPiece& piece = Game.GetPiece(group.members.front());
        if (x > 20 && x + piece.width > 790) {
            x = 20;
            y += rowHeight + 4;
        }
        EXPECT_EQ(group.x + piece.x, x);
        EXPECT_EQ(group.y + piece.y, y);
        x += piece.width + 4;
    }
    // Every call starts from the same place.
    Game.ArrangePieces();
    EXPECT_EQ(groups[0].x + Game.GetPiece(groups[0].members.front()).x, 20.0f);
    EXPECT_EQ(groups[0].y + Game.GetPiece(groups[0].members.front()).y, top);
}

TEST_F(StartGameTest, ArrangePiecesLeavesJoinedGroupsAloneAndTidiesTheHiddenLoosePiecesToo)
{
    BuildCut(448, 448, 5, CCutPreview::kSmoothEasy, true);
    Game.StartGame();
    const CGroup* ring = LargestGroup();
    const FloatPoint ringAt{ring->x, ring->y};
    const LayoutBox ringBox = Game.ImageBox(*ring);
    Game.FilterEdgePieces(true);  // with the Border option only the centre piece is hidden
    ASSERT_EQ(VisibleGroups(), 9);
    Game.ArrangePieces();
    EXPECT_EQ(ring->x, ringAt.x);
    EXPECT_EQ(ring->y, ringAt.y);
    int hiddenLoose = 0;
    for (const CGroup& group : Game.GetGroups()) {
        if (group.members.size() > 1) continue;
        hiddenLoose += group.hidden;
        const CPiece& piece = Game.GetPiece(group.members.front());
        const LayoutBox box{group.x + piece.x, group.y + piece.y, group.x + piece.x + piece.width,
                            group.y + piece.y + piece.height};
        EXPECT_FALSE(box.Overlaps(ringBox)) << "piece " << group.members.front() << " on the ring";
        EXPECT_GE(box.top, CGame::kTopBarsBottom);
    }
    EXPECT_EQ(hiddenLoose, 1);
}

TEST_F(StartGameTest, EdgeFilterShowsOnlyGroupsWithAnEdgePiece)
{
    BuildCut(448, 448, 4, CCutPreview::kSmoothEasy, false);
    Game.StartGame();
    Game.FilterEdgePieces(true);
    EXPECT_EQ(VisibleGroups(), 12);
    for (const CGroup& group : Game.GetGroups()) {
        const CPiece& p = Game.GetPiece(group.members[0]);
        const bool inner = p.column >= 1 && p.column <= 2 && p.row >= 1 && p.row <= 2;
        EXPECT_EQ(group.hidden, inner);
    }
    Game.FilterEdgePieces(false);
    EXPECT_EQ(VisibleGroups(), 16);

    // With the Border option the ring next to the frame counts as the edge.
    BuildCut(448, 448, 6, CCutPreview::kSmoothEasy, true);
    Game.StartGame();
    Game.FilterEdgePieces(true);
    EXPECT_EQ(VisibleGroups(), 1 + 12);
}

TEST_F(StartGameTest, GameOptionsStartOffAndBoardColoursChange)
{
    EXPECT_FALSE(CMenu::IsBorder());
    EXPECT_FALSE(CMenu::borderOnly);
    EXPECT_FALSE(CMenu::IsShowPicture());
    EXPECT_EQ(Game.backgroundColor[0], 127);
    EXPECT_EQ(Game.backgroundColor[1], 154);
    EXPECT_EQ(Game.backgroundColor[2], 168);
    Game.SetBackgroundColor(0, 122, 183);
    EXPECT_EQ(Game.backgroundColor[2], 183);
    Game.SetBackgroundColor(127, 154, 168);
}
