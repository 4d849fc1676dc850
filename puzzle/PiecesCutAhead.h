// SPDX-License-Identifier: GPL-3.0-or-later
// A large cut's pieces cut while its picture is still being made. The photo
// is decoded on one thread and brought to the cut's size beside it on
// another (CMgrImage::DecodeCutPicture); that second thread keeps up with the
// decoder with time to spare, and a row of pieces can be cut as soon as the
// picture's rows under it are made. So in that spare time it cuts the
// pieces, in the order the progress page builds them, and keeps them here.
//
// Only so many bytes of pieces are cut ahead: while the photo decodes, it
// and its reduction are both held, and that is when the game takes the most
// memory.
//
// When the decode ends the page takes the picture and builds the pieces as
// before, taking those cut here instead of cutting them again, provided the
// picture it took is the one they were cut from (Keep); otherwise, a
// picture made some other way, none is taken.
//
// Threads: the game's thread makes it, before the decode starts, with all it
// needs of the game (the pieces' boxes, which show their outline); CutNext
// runs on the reducing thread; Keep on the decoding thread as it ends; Take
// once the decode's result has been taken (which orders it after them), on
// any of the threads that cut the rest, a cell each.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "puzzle/CGame.h"
#include "puzzle/CPiece.h"

class PiecesCutAhead {
public:
    // What the pieces cut ahead may hold, their images' pixels counted.
    static constexpr std::size_t kMostBytes = std::size_t{32} << 20;

    // Every cell of a columns x rows cut, row after row, from a picture at
    // `scale` pixels a unit.
    PiecesCutAhead(const CGame& game, int columns, int rows, int scale);

    // Cuts the next piece when the picture's rows under it are made (`made`,
    // its first `rowsMade` rows final): true when it cut one, false when
    // the next must wait for more rows, or none is left, or the pieces cut
    // hold kMostBytes.
    bool CutNext(const Surface& made, int rowsMade);
    // Whether the picture the decode ends with is the one `made` grew into.
    void Keep(bool madeIsThePicture) { kept = madeIsThePicture; }
    // The image and mask of cell (column, row) moved into `piece`, when it
    // was cut here and kept; false otherwise.
    bool Take(int column, int row, CPiece& piece);
    // How many pieces have been cut so far, from any thread.
    int CutCount() const { return cutCount.load(std::memory_order_relaxed); }

private:
    struct Cell {
        CGame::CellBox box;
        bool withOutline = true;
        int bottom = 0;  // the picture's rows it needs, in pixels
        CPiece cut;
        bool taken = false;
    };

    int columns;
    int scale;
    std::vector<Cell> cells;
    std::mutex cutting;
    std::size_t next = 0;  // under `cutting`
    std::size_t heldBytes = 0;  // under `cutting`
    std::atomic<int> cutCount{0};
    bool kept = false;
};
