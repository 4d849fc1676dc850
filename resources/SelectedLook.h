// SPDX-License-Identifier: GPL-3.0-or-later
// How a selected piece is drawn, worked out once from its mask: each row's
// runs of lightened picture, glowing edge and the dark rim outside, so that
// drawing it is filling and lightening runs with no test per pixel. A mask
// keeps its look with it (PieceMask::Look) until the mask changes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Surface.h"

class SelectedLook {
public:
    // Pixels begin..end-1 of a row.
    struct Span {
        int begin;
        int end;
    };
    // Rows with more runs of the piece than this are drawn pixel by pixel.
    static constexpr int kMaxInsideRuns = 32;
    // The widest rim a look is made with (a piece at the largest drawing scale).
    static constexpr int kMaxRimWidth = Surface::kMaxScale;

    // Whether the look was made for a box of width x height (see Make).
    bool IsFor(int width, int height) const { return made && width == width_ && height == height_; }
    // The look of the piece whose inside is `inside` (row y's runs end at
    // rowEnd[y], in any order, may touch or overlap), within its box of
    // width x height from the top-left corner, drawn over rimWidth (1 to
    // kMaxRimWidth) more pixels on every side. Answers false when a row holds
    // too many runs: it is then left for the plain rule.
    bool Make(int width, int height, const std::vector<Span>& inside, const std::vector<unsigned>& rowEnd,
              int edgeWidth, int rimWidth = 1);
    bool IsUsable() const { return usable; }
    // Draws the look with the box's top-left corner at (left, top): light
    // pixels the picture's lightened (its pixel at the same place in the box).
    void Draw(Surface& dest, const Surface& picture, int left, int top, Colour edge, Colour rim) const;
    void Clear() { *this = SelectedLook(); }

private:
    enum Kind : std::uint8_t { kLight, kEdge, kRim };
    struct Run {
        std::int32_t begin;
        std::int32_t end : 24;
        Kind kind : 8;
    };
    bool made = false;
    bool usable = false;
    int width_ = 0;
    int height_ = 0;
    int rim_ = 1;
    std::vector<Run> runs;
    std::vector<std::uint32_t> rowEnd_;  // rows -rim .. height + rim - 1: row y's runs end at rowEnd_[y + rim + 1]
};
