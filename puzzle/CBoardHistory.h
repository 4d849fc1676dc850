// SPDX-License-Identifier: GPL-3.0-or-later
// The player's undo and redo on the board: snapshots of the groups (which
// pieces, where, which may join) and of the pieces' places inside them, taken
// before each action of the puzzle in play. A 13 x 13 board is a few
// kilobytes a snapshot, so whole snapshots are kept rather than changes.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "puzzle/CGroup.h"

struct BoardSnapshot {
    std::vector<CGroup> groups;
    std::vector<int> drawOrder;
    // Each piece's offset inside its group, x and y after each other.
    std::vector<float> pieceOffsets;

    // The same pieces in the same groups at the same places.
    bool SameBoard(const BoardSnapshot& other) const;
};

class CBoardHistory {
public:
    // Actions kept for undo; the oldest go first.
    static constexpr std::size_t kDepth = 100;

    void Clear();
    // The board as it was before an action the player took; what was undone
    // can no longer be redone.
    void Record(BoardSnapshot before);
    bool CanUndo() const { return !undo.empty(); }
    bool CanRedo() const { return !redo.empty(); }
    // The board to go back to; the current one is kept for redo. Answers false
    // with nothing to undo.
    bool Undo(BoardSnapshot current, BoardSnapshot& back);
    bool Redo(BoardSnapshot current, BoardSnapshot& forward);
    std::size_t UndoDepth() const { return undo.size(); }

private:
    std::deque<BoardSnapshot> undo;
    std::deque<BoardSnapshot> redo;
};
