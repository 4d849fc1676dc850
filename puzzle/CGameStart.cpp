// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's start of play: neighbours linked, the first groups formed (the
// pre-joined ring of a Border cut among them) and shuffled, and a group's
// members laid out against each other.
#include "puzzle/CGame.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>

#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"

namespace {

constexpr float kRingX = 20.0f;
constexpr float kRingY = 50.0f;


}  // namespace

void CGame::StartGame()
{
    ResetPlayState();
    LinkNeighbours();
    if (Options.border)
        BuildGroupsWithBorder();
    else
        BuildGroups();
    Shuffle();
    if (CutPreview.IsLargeCut()) SpreadOverTable();
    FitViewToPuzzle();
    // Every piece names its group from the first frame of play on.
    SyncInGroup();
    ResetShelfState();
}

void CGame::ResetPlayState()
{
    savedBanner = false;
    savedBannerTime = 0;
    savedFingerprint.clear();  // a new puzzle, never saved
    clockFraction = 0;
    clockSeconds = 0;
    clockMinutes = 0;
    const CImage& picture = CutPreview.GetClean();
    sampleTarget = {410.0f - picture.width / 2.0f, 250.0f - picture.height / 2.0f};
    completed = false;
    selecting = false;
    draggingPreview = false;
    holdingGroup = false;
    movingSelection = false;
    hasSelection = false;
    previewPos = {20, 20};
    pictureWindowShown = false;
    ClearGroups();
    selectionStart = {100, 100};
    selectionEnd = {200, 200};
}

void CGame::LinkNeighbours()
{
    for (int i = 0; i < GetPieceCount(); ++i) {
        CPiece& p = pieces[i];
        const int column = ColumnOf(i), row = RowOf(i);
        const int cells[4][2] = {{column - 1, row}, {column + 1, row}, {column, row - 1}, {column, row + 1}};
        for (int side = kLeft; side <= kDown; ++side) {
            const int c = cells[side][0], r = cells[side][1];
            if (c < 0 || r < 0 || c >= piecesX || r >= piecesY) {
                p.neighbour[side] = -1;
                continue;
            }
            const int q = static_cast<int>(GetArrayIndex(c, r, piecesX, piecesY));
            const CPiece& n = pieces[q];
            p.neighbour[side] = q;
            // The left and up offsets are measured the other way round in one
            // coordinate each; the snapping test is written against these signs.
            switch (side) {
            case kLeft:
                p.neighbourDX[side] = p.homeX - n.homeX;
                p.neighbourDY[side] = n.homeY - p.homeY;
                break;
            case kUp:
                p.neighbourDX[side] = n.homeX - p.homeX;
                p.neighbourDY[side] = p.homeY - n.homeY;
                break;
            default:
                p.neighbourDX[side] = n.homeX - p.homeX;
                p.neighbourDY[side] = n.homeY - p.homeY;
                break;
            }
        }
    }
}

CGroup CGame::MakeSingleGroup(int index)
{
    CPiece& piece = pieces[index];
    CGroup group;
    group.members.push_back(index);
    for (int neighbour : piece.neighbour) {
        if (neighbour != -1) group.canJoin.push_back(neighbour);
    }
    group.x = piece.x;
    group.y = piece.y;
    piece.x = 0;
    piece.y = 0;
    group.width = CutPreview.GetCellWidth();
    group.height = CutPreview.GetCellHeight();
    return group;
}

void CGame::AppendGroup(CGroup group)
{
    const int index = static_cast<int>(groups.size());
    for (int member : group.members) pieces[member].inGroup = index;
    groups.push_back(std::move(group));
    drawOrder.push_back(index);
}

void CGame::BuildGroups()
{
    for (int i = 0; i < GetPieceCount(); ++i) AppendGroup(MakeSingleGroup(i));
}

bool CGame::IsRingPiece(int column, int row) const
{
    return Options.border && (column == 0 || column == piecesX - 1 || row == 0 || row == piecesY - 1);
}

void CGame::BuildGroupsWithBorder()
{
    const int X = piecesX, Y = piecesY;
    for (int i = 0; i < GetPieceCount(); ++i) {
        const int c = ColumnOf(i), r = RowOf(i);
        if (c >= 1 && c <= X - 2 && r >= 1 && r <= Y - 2) AppendGroup(MakeSingleGroup(i));
    }

    CGroup ring;
    auto index = [&](int column, int row) { return static_cast<int>(GetArrayIndex(column, row, X, Y)); };
    for (int r = 0; r < Y; ++r) ring.members.push_back(index(0, r));
    for (int r = 0; r < Y; ++r) ring.members.push_back(index(X - 1, r));
    for (int c = 1; c <= X - 2; ++c) ring.members.push_back(index(c, 0));
    for (int c = 1; c <= X - 2; ++c) ring.members.push_back(index(c, Y - 1));
    // Largest index first, as every join leaves a group; a cut one piece wide
    // or high would otherwise list its pieces twice.
    std::sort(ring.members.begin(), ring.members.end(), std::greater<int>());
    ring.members.erase(std::unique(ring.members.begin(), ring.members.end()), ring.members.end());
    if (ring.members.empty()) return;

    // The second ring, each piece once and none of the ring's own (narrow
    // cuts would otherwise repeat pieces or list ring pieces).
    for (int r = 1; r <= Y - 2; ++r) ring.canJoin.push_back(index(1, r));
    for (int r = 1; r <= Y - 2; ++r) ring.canJoin.push_back(index(X - 2, r));
    for (int c = 2; c <= X - 3; ++c) ring.canJoin.push_back(index(c, 1));
    for (int c = 2; c <= X - 3; ++c) ring.canJoin.push_back(index(c, Y - 2));
    ring.TidyCanJoin();

    ring.x = kRingX;
    ring.y = kRingY;
    AppendGroup(std::move(ring));
    LayOutGroup(static_cast<int>(groups.size()) - 1);
}

// Exchanges whole group records, so the origins travel with their groups and
// only which group lies on top of which changes.
void CGame::Shuffle()
{
    const int n = static_cast<int>(groups.size());
    if (n < 2) return;  // nothing to exchange, and no second index to draw
    for (int i = 0; i < n; ++i) {
        const int a = std::rand() % n;
        int b = std::rand() % n;
        while (b == a) b = std::rand() % n;
        std::swap(groups[a], groups[b]);
    }
}

void CGame::SpreadOverTable()
{
    std::vector<CGroup*> loose;
    float slotWidth = 0, slotHeight = 0;
    for (CGroup& group : groups) {
        if (group.members.size() != 1 || !IsValidPieceIndex(group.members.front())) continue;
        const CPiece& piece = pieces[group.members.front()];
        slotWidth = std::max(slotWidth, piece.width);
        slotHeight = std::max(slotHeight, piece.height);
        loose.push_back(&group);
    }
    const LayoutBox table = FreeTable();
    if (loose.empty() || slotWidth <= 0 || slotHeight <= 0) return;
    const int across = static_cast<int>((table.right - table.left) / slotWidth);
    const int down = static_cast<int>((table.bottom - table.top) / slotHeight);
    if (across * down < static_cast<int>(loose.size())) return;  // no room: they stay where they fell
    std::vector<int> slots(static_cast<std::size_t>(across * down));
    for (int i = 0; i < across * down; ++i) slots[static_cast<std::size_t>(i)] = i;
    for (int i = across * down - 1; i > 0; --i) std::swap(slots[static_cast<std::size_t>(i)], slots[std::rand() % (i + 1)]);
    auto jitter = [](float room) { return room >= 1.0f ? static_cast<float>(std::rand() % static_cast<int>(room)) : 0.0f; };
    for (std::size_t i = 0; i < loose.size(); ++i) {
        const CPiece& piece = pieces[loose[i]->members.front()];
        const int slot = slots[i];
        loose[i]->x = table.left + (slot % across) * slotWidth + jitter(slotWidth - piece.width) - piece.x;
        loose[i]->y = table.top + (slot / across) * slotHeight + jitter(slotHeight - piece.height) - piece.y;
    }
}

void CGame::LayOutGroup(int g)
{
    if (!IsValidGroupIndex(g)) return;
    CGroup& group = groups[g];
    int minC = piecesX, maxC = -1, minR = piecesY, maxR = -1;
    for (int m : group.members) {
        if (!IsValidPieceIndex(m)) continue;
        minC = std::min(minC, ColumnOf(m));
        maxC = std::max(maxC, ColumnOf(m));
        minR = std::min(minR, RowOf(m));
        maxR = std::max(maxR, RowOf(m));
    }
    if (maxC < minC || maxR < minR) return;

    // Offsets of every cell of the group's box, chained from its top-left
    // cell through the lattice corners, whether or not the cell's piece is a
    // member: an L-shaped group is laid out through its missing corner.
    const int boxColumns = maxC - minC + 1, boxRows = maxR - minR + 1;
    std::vector<FloatPoint> offset(static_cast<std::size_t>(boxColumns) * boxRows);
    auto cell = [&](int c, int r) -> FloatPoint& { return offset[(r - minR) * boxColumns + (c - minC)]; };
    auto piece = [&](int c, int r) -> const CPiece& { return pieces[GetArrayIndex(c, r, piecesX, piecesY)]; };
    for (int r = minR; r <= maxR; ++r) {
        for (int c = minC; c <= maxC; ++c) {
            const CPiece& s = piece(c, r);
            FloatPoint& here = cell(c, r);
            if (c == minC && r == minR) {
                here = {0, 0};
            } else if (c == minC) {
                const CPiece& above = piece(c, r - 1);
                const FloatPoint from = cell(c, r - 1);
                here.x = from.x + static_cast<float>(above.cornerBL.x - s.cornerTL.x);
                here.y = from.y + static_cast<float>(above.cornerBL.y - s.cornerTL.y);
            } else {
                const CPiece& left = piece(c - 1, r);
                const FloatPoint from = cell(c - 1, r);
                here.x = from.x + static_cast<float>(left.cornerTR.x - s.cornerTL.x);
                here.y = from.y + static_cast<float>(left.cornerTR.y - s.cornerTL.y);
            }
        }
    }
    for (int m : group.members) {
        if (!IsValidPieceIndex(m)) continue;
        const FloatPoint& at = cell(ColumnOf(m), RowOf(m));
        pieces[m].x = at.x;
        pieces[m].y = at.y;
    }
    group.width = static_cast<float>(boxColumns) * CutPreview.GetCellWidth();
    group.height = static_cast<float>(boxRows) * CutPreview.GetCellHeight();
}
