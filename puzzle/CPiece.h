// SPDX-License-Identifier: GPL-3.0-or-later
// One piece of the puzzle.
#pragma once

#include "platform/Surface.h"
#include "puzzle/PieceMask.h"

// The four sides of a piece, the order of its neighbour entries.
enum Side { kLeft, kRight, kUp, kDown };

struct CPiece {
    Surface image;  // the piece's picture; black outside the piece
    PieceMask mask;  // white inside the piece, black outside
    int column = 0;
    int row = 0;
    float x = 0;  // board position while building; offset in its group during play
    float y = 0;
    float width = 0;
    float height = 0;
    float homeX = 0;
    float homeY = 0;
    int inGroup = 0;
    int neighbour[4] = {-1, -1, -1, -1};  // left, right, up, down
    float neighbourDX[4] = {};
    float neighbourDY[4] = {};
    Point cornerTL;
    Point cornerTR;
    Point cornerBL;
};
