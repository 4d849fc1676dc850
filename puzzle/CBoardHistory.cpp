// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/CBoardHistory.h"

#include <utility>

bool BoardSnapshot::SameBoard(const BoardSnapshot& other) const
{
    if (groups.size() != other.groups.size() || pieceOffsets != other.pieceOffsets) return false;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const CGroup& a = groups[g];
        const CGroup& b = other.groups[g];
        if (a.members != b.members || a.x != b.x || a.y != b.y) return false;
    }
    return true;
}

void CBoardHistory::Clear()
{
    undo.clear();
    redo.clear();
}

void CBoardHistory::Record(BoardSnapshot before)
{
    undo.push_back(std::move(before));
    if (undo.size() > kDepth) undo.pop_front();
    redo.clear();
}

namespace {

// One step from one stack to the other: the current board goes where the
// step can be taken back.
bool Step(std::deque<BoardSnapshot>& from, std::deque<BoardSnapshot>& to, BoardSnapshot current,
          BoardSnapshot& result)
{
    if (from.empty()) return false;
    result = std::move(from.back());
    from.pop_back();
    to.push_back(std::move(current));
    if (to.size() > CBoardHistory::kDepth) to.pop_front();
    return true;
}

}  // namespace

bool CBoardHistory::Undo(BoardSnapshot current, BoardSnapshot& back)
{
    return Step(undo, redo, std::move(current), back);
}

bool CBoardHistory::Redo(BoardSnapshot current, BoardSnapshot& forward)
{
    return Step(redo, undo, std::move(current), forward);
}
