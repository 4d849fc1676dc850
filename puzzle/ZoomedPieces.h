// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces as the table's view draws them at a zoom other than 1: copies of
// each piece's image and mask at the zoom, made the first time the piece is
// drawn at that zoom. A piece keeps copies of two steps (the wheel going in
// and out again finds them made); a third step takes the place of the one
// farther from it. All go when the puzzle changes or the whole table shows.
//
// Enlarged copies take, for each pixel, the piece's pixel under its centre,
// so a close-up shows the piece as cut at the drawing scale, and the mask and
// the picture stay in step pixel for pixel. Reduced copies never drop
// pixels: each pixel is the average of the inside pixels it covers, inside
// when at least half of them are.
#pragma once

#include <cstdint>
#include <vector>

#include "puzzle/CPiece.h"

class ZoomedPieces {
public:
    // The piece (number `index`) at the zoom of the view's step, in pixels
    // of the drawing scale: its image, mask, width and height (whole units:
    // the copy's size) as drawn.
    const CPiece& At(int index, const CPiece& piece, int step, float zoom, int scale);
    void Clear() { entries.clear(); }
    // The copy itself: `out` gets the image, the mask and the size.
    static void Make(const CPiece& piece, float zoom, int scale, CPiece& out);

private:
    struct Copy {
        int step = -1;
        int scale = 0;
        std::uint64_t source = 0;  // the piece's image version it was made from
        CPiece piece;
    };
    struct Entry {
        Copy copies[2];
    };
    std::vector<Entry> entries;
};
