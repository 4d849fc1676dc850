// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/PictureFrame.h"

#include <algorithm>
#include <vector>

namespace {

// The frame's rounded corners lie within this many units of each side.
constexpr int kCornerReach = 7;
// This many units of plain columns in a row end the caption (the letters'
// own spacing is narrower).
constexpr int kCaptionGap = 5;
// Kept whole above the bed's middle rows: the title strip and the bed's top
// edge; and below them: the bed's bottom edge and the bottom corners.
constexpr int kRowsAbove = PictureFrame::kTop + 1;
constexpr int kRowsBelow = kCornerReach;

// Column `column` of the title strip is the one before it again.
bool IsPlain(const Surface& art, int column, int titleRows)
{
    if (column <= 0) return false;
    for (int y = 0; y < titleRows; ++y)
        if (art.Row(y)[column] != art.Row(y)[column - 1]) return false;
    return true;
}

// The columns [left, right) of the caption in the middle of the title strip:
// out from the middle up to the first run of plain columns each way.
struct Span {
    int left = 0;
    int right = 0;
};
Span FindCaption(const Surface& art, int titleRows, int edge)
{
    const int width = art.Width(), middle = width / 2, gap = kCaptionGap * art.Scale();
    Span caption{middle, middle};
    for (int c = middle, run = 0; c > edge && run < gap; --c) {
        run = IsPlain(art, c, titleRows) ? run + 1 : 0;
        if (run == 0) caption.left = c - 1;
    }
    for (int c = middle, run = 0; c < width - edge && run < gap; ++c) {
        run = IsPlain(art, c, titleRows) ? run + 1 : 0;
        if (run == 0) caption.right = c + 1;
    }
    caption.left = std::max(caption.left, edge);
    caption.right = std::clamp(caption.right, caption.left, width - edge);
    return caption;
}

// The art's columns that make the frame's `target` columns, left to right.
std::vector<int> FitColumns(const Surface& art, int target)
{
    const int width = art.Width(), scale = art.Scale();
    const int titleRows = std::min(art.Height(), PictureFrame::kTop * scale);
    const int edge = std::min(kCornerReach * scale, width / 2);
    const Span caption = FindCaption(art, titleRows, edge);
    std::vector<int> repeat(static_cast<std::size_t>(width), 1);  // how often each column is used

    // Each side's columns from the caption out to the corner: the grip
    // lines and the plain strip. Plain ones go first, then the rest, and
    // only then the caption from its outer columns in, and the corners.
    std::vector<int> leftSide, rightSide;
    for (int c = caption.left - 1; c >= edge; --c) leftSide.push_back(c);
    for (int c = caption.right; c < width - edge; ++c) rightSide.push_back(c);
    std::vector<int> leftRest = leftSide, rightRest = rightSide;
    for (int c = caption.left; c < width / 2; ++c) leftRest.push_back(c);
    for (int c = caption.right - 1; c >= width / 2; --c) rightRest.push_back(c);
    for (int c = edge - 1; c >= 0; --c) leftRest.push_back(c);
    for (int c = width - edge; c < width; ++c) rightRest.push_back(c);

    auto drop = [&](int count, const std::vector<int>& side, const std::vector<int>& rest) {
        for (int c : side)
            if (count > 0 && IsPlain(art, c, titleRows)) repeat[static_cast<std::size_t>(c)] = 0, --count;
        for (int c : rest)
            if (count > 0 && repeat[static_cast<std::size_t>(c)] > 0) repeat[static_cast<std::size_t>(c)] = 0, --count;
    };
    // A plain column in the middle of each side is used again to widen.
    auto widen = [&](int count, const std::vector<int>& side, int otherwise) {
        if (count <= 0) return;
        int chosen = otherwise;
        for (std::size_t i = side.size() / 2; i < side.size(); ++i)
            if (IsPlain(art, side[i], titleRows)) {
                chosen = side[i];
                break;
            }
        repeat[static_cast<std::size_t>(chosen)] += count;
    };
    const int change = width - target, half = change / 2;
    if (change > 0) {
        drop(half, leftSide, leftRest);
        drop(change - half, rightSide, rightRest);
    } else {
        widen(-half, leftSide, edge);
        widen(-(change - half), rightSide, width - 1 - edge);
    }
    std::vector<int> columns;
    for (int c = 0; c < width; ++c) columns.insert(columns.end(), static_cast<std::size_t>(repeat[c]), c);
    return columns;
}

// The art's rows that make the frame's `target` rows: the top and bottom
// kept, the bed's middle rows taken evenly.
std::vector<int> FitRows(const Surface& art, int target)
{
    const int height = art.Height(), scale = art.Scale();
    int below = std::min(kRowsBelow * scale, std::min(height, target) / 2);
    int above = std::min({kRowsAbove * scale, height - below, target - below});
    const int middle = target - above - below, artMiddle = height - above - below;
    std::vector<int> rows;
    for (int y = 0; y < above; ++y) rows.push_back(y);
    for (int i = 0; i < middle; ++i)
        rows.push_back(artMiddle > 0 ? above + static_cast<int>((2LL * i + 1) * artMiddle / (2LL * middle))
                                     : std::max(0, above - 1));
    for (int y = height - below; y < height; ++y) rows.push_back(y);
    return rows;
}

}  // namespace

Surface PictureFrame::Fit(const Surface& art, int width, int height)
{
    if (art.IsEmpty() || width <= 0 || height <= 0) return Surface();
    const int scale = art.Scale();
    const std::vector<int> columns = FitColumns(art, width * scale);
    const std::vector<int> rows = FitRows(art, height * scale);
    Surface frame = Surface::Scaled(width, height, scale);
    for (int y = 0; y < frame.Height(); ++y) {
        const Colour* from = art.Row(rows[static_cast<std::size_t>(y)]);
        Colour* to = frame.Row(y);
        for (int x = 0; x < frame.Width(); ++x) to[x] = from[columns[static_cast<std::size_t>(x)]];
    }
    return frame;
}
