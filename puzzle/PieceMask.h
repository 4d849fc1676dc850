// SPDX-License-Identifier: GPL-3.0-or-later
// A piece's mask: which pixels of its box belong to the piece. Kept as runs
// of inside pixels, row by row (a few bytes a row instead of a surface), and
// read like the white-and-black surface it stands for. A mask has the pixels
// of its piece's image: `scale` pixels a unit across and down.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Surface.h"
#include "resources/SelectedLook.h"

class PieceMask {
public:
    PieceMask() = default;
    // An empty mask of the box's size in pixels; the rows' runs follow with AddRun.
    PieceMask(int width, int height, int scale = 1);

    // Pixels begin..end-1 of row y are inside. Rows come in order, each row's
    // runs left to right; a run out of that order is ignored.
    void AddRun(int y, int begin, int end);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Scale() const { return scale_; }
    // kWhite inside the piece, kBlack outside it, kInvalidColour off the box.
    Colour GetPixel(int x, int y) const;
    // Whether the unit (x, y) of the box belongs to the piece: the pixel under
    // its centre does, at every scale (at scale 1 the unit's only pixel).
    bool CoversUnit(int x, int y) const;
    // Calls inside(begin, end) for each run of row y, in the order added.
    template <class Inside>
    void ForEachRun(int y, Inside inside) const
    {
        if (y < 0 || y > lastRow) return;
        const Run* run = runs.data() + (y == 0 ? 0 : rowEnd[static_cast<std::size_t>(y) - 1]);
        const Run* last = runs.data() + rowEnd[static_cast<std::size_t>(y)];
        for (; run != last; ++run) inside(run->begin, run->end);
    }

    // How the piece looks selected, made by the image manager when first
    // drawn and kept until the mask changes.
    SelectedLook& Look() const { return look; }

private:
    struct Run {
        std::int32_t begin;
        std::int32_t end;
    };
    int width_ = 0;
    int height_ = 0;
    int scale_ = 1;
    std::vector<std::uint32_t> rowEnd;  // runs of row y: [rowEnd[y - 1] (0 for row 0), rowEnd[y])
    std::vector<Run> runs;
    int lastRow = -1;  // the last row with runs; rows below it have none
    mutable SelectedLook look;
};
