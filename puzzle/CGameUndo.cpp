// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's undo and redo: the board is taken down before each action of the
// player (a drop and its joins, a moved selection, Arrange, the in-game LOAD)
// and kept when the action changed it. Ctrl+Z goes back, Ctrl+Shift+Z or
// Ctrl+Y forward again. The steps belong to the puzzle in play: clearing
// its groups (a new puzzle, a game loaded from the menu, back to the menu)
// drops them.
#include "puzzle/CGame.h"

#include <cstring>
#include <string>
#include <utility>

#include "core/CMgrInput.h"
#include "platform/VirtualKeys.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"

BoardSnapshot CGame::CaptureBoard() const
{
    BoardSnapshot snapshot;
    snapshot.groups = groups;
    for (CGroup& group : snapshot.groups) group.selected = false;
    snapshot.drawOrder = drawOrder;
    snapshot.pieceOffsets.reserve(pieces.size() * 2);
    for (const CPiece& piece : pieces) {
        snapshot.pieceOffsets.push_back(piece.x);
        snapshot.pieceOffsets.push_back(piece.y);
    }
    return snapshot;
}

void CGame::RestoreBoard(const BoardSnapshot& snapshot)
{
    if (snapshot.pieceOffsets.size() != pieces.size() * 2) return;  // another puzzle's: never
    groups = snapshot.groups;
    drawOrder = snapshot.drawOrder;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        pieces[i].x = snapshot.pieceOffsets[2 * i];
        pieces[i].y = snapshot.pieceOffsets[2 * i + 1];
    }
    SyncInGroup();
    hasSelection = false;
    joinFlash.Stop();
    // The edge filter shows what it shows now, whatever it showed then.
    FilterEdgePieces(Options.borderOnly);
}

void CGame::BeginAction()
{
    actionBefore = CaptureBoard();
    actionPending = true;
}

void CGame::EndAction()
{
    if (!actionPending) return;
    actionPending = false;
    if (!actionBefore.SameBoard(CaptureBoard())) history.Record(std::move(actionBefore));
    actionBefore = BoardSnapshot{};
}

bool CGame::Undo()
{
    BoardSnapshot back;
    if (!history.Undo(CaptureBoard(), back)) return false;
    RestoreBoard(back);
    return true;
}

bool CGame::Redo()
{
    BoardSnapshot forward;
    if (!history.Redo(CaptureBoard(), forward)) return false;
    RestoreBoard(forward);
    return true;
}

void CGame::HandleUndoKeys()
{
    if (!InputMgr.IsKeyDown(VK_CONTROL)) return;
    const bool z = InputMgr.IsKeyDown('Z'), y = InputMgr.IsKeyDown('Y');
    if (!z && !y) return;
    // Once per press (a held key repeats, and each repeat steps again).
    InputMgr.KeyUp('Z');
    InputMgr.KeyUp('Y');
    // Nothing is taken back from under the player's hand.
    if (holdingGroup || movingSelection || selecting || draggingPreview) return;
    if (y || InputMgr.IsKeyDown(VK_SHIFT))
        Redo();
    else
        Undo();
}

CGame::LoadResult CGame::LoadGameInPlay()
{
    const std::string name = imageName;
    const int columns = piecesX, rows = piecesY;
    const float smooth = CutPreview.GetSmoothType();
    const bool border = Options.border;
    CBoardHistory kept = history;
    BoardSnapshot before = CaptureBoard();
    KeepBeforeLoading(kSavedGameName);
    const LoadResult result = LoadGame();
    if (result != LoadResult::Loaded) return result;
    // Undo goes back over a load only within the same puzzle.
    const bool samePuzzle = name == imageName && columns == piecesX && rows == piecesY &&
                            smooth == CutPreview.GetSmoothType() && border == Options.border;
    if (samePuzzle) {
        history = std::move(kept);
        if (!before.SameBoard(CaptureBoard())) history.Record(std::move(before));
    }
    return result;
}
