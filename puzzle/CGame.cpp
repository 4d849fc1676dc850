// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle model: its size, its pieces and groups, the picture's name, and
// the panel's actions on them. The other roles of CGame live beside it:
// CGameCut (cutting pieces), CGameStart (start of play), CGameSave (the saved
// game), CGameBoard (one frame of play), CGameHand (the player's hand).
#include "puzzle/CGame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/CLog.h"
#include "core/CSystem.h"
#include "puzzle/ArrangeLayout.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"

CGame Game;

namespace {

constexpr float kArrangeLeft = 20.0f;
// Between the top bars and the first row.
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

// The loose single pieces go in rows over the free board, below the top bars,
// by their real boxes, tabs and all, and never onto a built group (hidden
// ones included: they show again when the edge filter goes off). The hidden
// loose pieces follow the shown ones, so that the board is tidy with the
// filter off too. When the rows don't fit they are packed tighter, then laid
// over loose pieces (ArrangeLayout).
void CGame::ArrangePieces()
{
    BeginAction();
    movingSelection = false;
    holdingGroup = false;
    hasSelection = false;
    DeselectAll();
    std::vector<LayoutBox> built;
    std::vector<CGroup*> loose;
    for (bool shown : {true, false}) {
        for (CGroup& group : groups) {
            if (group.hidden == shown || group.members.empty()) continue;
            if (group.members.size() > 1) {
                built.push_back(ImageBox(group));
            } else if (IsValidPieceIndex(group.members.front())) {
                loose.push_back(&group);
            }
        }
    }
    std::vector<ArrangeLayout::Item> items;
    for (const CGroup* group : loose) {
        const CPiece& piece = pieces[group->members.front()];
        items.push_back({piece.width, piece.height});
    }
    // The picture window is in the way like a group: nothing is laid under it.
    if (Options.showPicture && !CutPreview.GetFrame().surface.IsEmpty()) {
        const PixelRect window = PictureWindowOnTable();
        built.push_back({float(window.left), float(window.top), float(window.right), float(window.bottom)});
    }
    const LayoutBox table = FreeTable();
    const float span = TableSpan();
    const LayoutBox board{kArrangeLeft * span, table.top + kArrangeGap * span, table.right, table.bottom};
    const std::vector<ArrangeLayout::Place> places = ArrangeLayout::Lay(board, built, items);
    for (std::size_t i = 0; i < loose.size(); ++i) {
        if (!places[i].placed) continue;
        const CPiece& piece = pieces[loose[i]->members.front()];
        loose[i]->x = places[i].x - piece.x;
        loose[i]->y = places[i].y - piece.y;
    }
    EndAction();
}

LayoutBox CGame::ImageBox(const CGroup& group) const
{
    LayoutBox box;
    bool any = false;
    for (int m : group.members) {
        if (!IsValidPieceIndex(m)) continue;
        const CPiece& p = pieces[m];
        const LayoutBox piece{group.x + p.x, group.y + p.y, group.x + p.x + p.width, group.y + p.y + p.height};
        box = any ? LayoutBox{std::min(box.left, piece.left), std::min(box.top, piece.top),
                              std::max(box.right, piece.right), std::max(box.bottom, piece.bottom)}
                  : piece;
        any = true;
    }
    return box;
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
    joinFlash.Stop();
    zoomed.Clear();
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
