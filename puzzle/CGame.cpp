// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle model: its size, its pieces and groups, the picture's name, and
// the panel's actions on them. The other roles of CGame live beside it:
// CGameCut (cutting pieces), CGameStart (start of play), CGameSave (the saved
// game), CGameBoard (one frame of play), CGameHand (the player's hand).
#include "puzzle/CGame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CLog.h"
#include "app/CSystem.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"

CGame Game;

namespace {

constexpr float kArrangeLeft = 20.0f;
constexpr float kArrangeTop = 50.0f;
// Between two arranged pieces' boxes.
constexpr float kArrangeGap = 4.0f;

}  // namespace

unsigned CGame::GetArrayIndex(int column, int row, unsigned columns, unsigned rows)
{
    if (column >= 0 && row >= 0 && static_cast<unsigned>(column) < columns && static_cast<unsigned>(row) < rows)
        return static_cast<unsigned>(column) + static_cast<unsigned>(row) * columns;
    static constexpr const char* kMessage = "GetArrayIndex: wrong enter arguments!";
    Log.Write("%s\n", kMessage);
    System.ShowMessageBox("CriticalError!", kMessage);
    System.PostQuit();
    return 0;
}

void CGame::SetSize(int columns, int rows)
{
    piecesX = columns;
    piecesY = rows;
}

void CGame::AllocatePieces()
{
    pieces.assign(static_cast<std::size_t>(std::max(0, piecesX)) * std::max(0, piecesY), CPiece{});
}

void CGame::FreePieces()
{
    pieces = std::vector<CPiece>();
}

void CGame::SetImageName(const char* fileName)
{
    std::snprintf(imageName, sizeof imageName, "%s", fileName);
}

// Rows are wrapped by the pieces' real boxes, tabs and all, so that none
// reaches past the board's right edge. When the rows would reach below the
// board they are drawn closer together, each overlapping the one before by
// the same share, so that every piece stays on the board and partly in view.
void CGame::ArrangePieces()
{
    BeginAction();
    movingSelection = false;
    holdingGroup = false;
    hasSelection = false;
    DeselectAll();
    struct Placed {
        CGroup* group;
        float x;
        int row;
    };
    std::vector<Placed> placed;
    std::vector<float> rowTop{kArrangeTop}, rowHeight{0};
    float x = kArrangeLeft;
    for (CGroup& group : groups) {
        if (group.members.size() != 1 || group.hidden || !IsValidPieceIndex(group.members.front())) continue;
        const CPiece& piece = pieces[group.members.front()];
        if (x > kArrangeLeft && x + piece.width > kBoardRight) {
            x = kArrangeLeft;
            rowTop.push_back(rowTop.back() + rowHeight.back() + kArrangeGap);
            rowHeight.push_back(0);
        }
        placed.push_back({&group, x, static_cast<int>(rowTop.size()) - 1});
        x += piece.width + kArrangeGap;
        rowHeight.back() = std::max(rowHeight.back(), piece.height);
    }
    const float lastTop = rowTop.back();
    const float room = kBoardBottom - rowHeight.back() - kArrangeTop;
    const float squeeze = lastTop > kArrangeTop && lastTop - kArrangeTop > room ? room / (lastTop - kArrangeTop) : 1.0f;
    for (std::size_t r = 0; r < rowTop.size(); ++r) {
        rowTop[r] = kArrangeTop + (rowTop[r] - kArrangeTop) * squeeze;
        rowTop[r] = std::max(kArrangeTop, std::min(rowTop[r], kBoardBottom - rowHeight[r]));
    }
    for (const Placed& p : placed) {
        const CPiece& piece = pieces[p.group->members.front()];
        p.group->x = p.x - piece.x;
        p.group->y = rowTop[static_cast<std::size_t>(p.row)] - piece.y;
    }
    EndAction();
}

void CGame::SyncInGroup()
{
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        for (int m : groups[g].members) {
            if (IsValidPieceIndex(m)) pieces[m].inGroup = g;
        }
    }
}

void CGame::DeselectAll()
{
    for (CGroup& group : groups) group.selected = false;
}

// The puzzle is gone: so are its undo steps.
void CGame::ClearGroups()
{
    groups.clear();
    drawOrder.clear();
    history.Clear();
    actionPending = false;
}

void CGame::ShowBanner(const char* text, float seconds)
{
    bannerText = text;
    savedBanner = true;
    savedBannerTime = seconds;
}

void CGame::SetBackgroundColor(int red, int green, int blue)
{
    backgroundColor[0] = red;
    backgroundColor[1] = green;
    backgroundColor[2] = blue;
}

void CGame::SetPreviewPos(float x, float y)
{
    previewPos = {x, y};
}

bool CGame::IsEdgePiece(const CPiece& piece) const
{
    const int c = piece.column, r = piece.row;
    if (c == 0 || c == piecesX - 1 || r == 0 || r == piecesY - 1) return true;
    // With the Border option the outer ring is one group, so the ring next to
    // it counts as the edge.
    return Options.border && (c == 1 || c == piecesX - 2 || r == 1 || r == piecesY - 2);
}

void CGame::FilterEdgePieces(bool on)
{
    for (CGroup& group : groups) {
        group.hidden = on;
        if (!on) continue;
        for (int m : group.members) {
            if (IsValidPieceIndex(m) && IsEdgePiece(pieces[m])) {
                group.hidden = false;
                break;
            }
        }
        // A selected group that goes out of sight leaves the selection: moved
        // along unseen it could be left off the board.
        if (group.hidden) group.selected = false;
    }
}
