// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/PieceMask.h"

#include <algorithm>

PieceMask::PieceMask(int width, int height, int scale)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      scale_(std::max(1, scale)),
      rowEnd(static_cast<std::size_t>(height_), 0)
{
}

void PieceMask::AddRun(int y, int begin, int end)
{
    if (y < lastRow || y >= height_ || begin >= end) return;
    look.Clear();
    // Rows between the last one with runs and this one have none.
    for (int row = lastRow + 1; row < y; ++row)
        rowEnd[static_cast<std::size_t>(row)] = static_cast<std::uint32_t>(runs.size());
    runs.push_back({begin, end});
    rowEnd[static_cast<std::size_t>(y)] = static_cast<std::uint32_t>(runs.size());
    lastRow = y;
}

Colour PieceMask::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColour;
    if (y > lastRow) return kBlack;
    const Run* run = runs.data() + (y == 0 ? 0 : rowEnd[static_cast<std::size_t>(y) - 1]);
    const Run* last = runs.data() + rowEnd[static_cast<std::size_t>(y)];
    for (; run != last; ++run)
        if (run->begin <= x && x < run->end) return kWhite;
    return kBlack;
}

bool PieceMask::CoversUnit(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ / scale_ || y >= height_ / scale_) return false;
    return GetPixel(x * scale_ + scale_ / 2, y * scale_ + scale_ / 2) == kWhite;
}
