// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/PiecesCutAhead.h"

#include <algorithm>
#include <utility>

PiecesCutAhead::PiecesCutAhead(const CGame& game, int columns, int rows, int scale)
    : columns(std::max(columns, 0)), scale(scale)
{
    cells.resize(static_cast<std::size_t>(this->columns) * static_cast<std::size_t>(std::max(rows, 0)));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            Cell& cell = cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                               static_cast<std::size_t>(column)];
            cell.box = CGame::CutBoxOf(column, row);
            cell.withOutline = game.ShowsOutline(column, row);
            cell.bottom = (cell.box.minY + cell.box.height) * scale;
        }
}

bool PiecesCutAhead::CutNext(const Surface& made, int rowsMade)
{
    std::lock_guard<std::mutex> lock(cutting);
    if (next >= cells.size() || heldBytes >= kMostBytes) return false;
    Cell& cell = cells[next];
    // The box may reach below the picture (its tabs' control points); the
    // part off the picture is cut black.
    if (std::min(cell.bottom, made.Height()) > rowsMade) return false;
    CGame::CutFrom(made, scale, cell.box, cell.withOutline, cell.cut);
    // Packed as the game's own large-cut pieces are: the box is mostly see-through.
    cell.cut.image.Pack();
    heldBytes += cell.cut.image.MemoryBytes();
    ++next;
    cutCount.fetch_add(1, std::memory_order_relaxed);
    return true;
}

bool PiecesCutAhead::Take(int column, int row, CPiece& piece)
{
    if (!kept || column < 0 || row < 0 || column >= columns) return false;
    const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column);
    // Nothing is cut here any more: `next` is read as the reducing thread left it.
    if (at >= next || at >= cells.size()) return false;
    Cell& cell = cells[at];
    if (cell.taken) return false;
    cell.taken = true;
    piece.image = std::move(cell.cut.image);
    piece.mask = std::move(cell.cut.mask);
    return true;
}
