// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/ZoomedPieces.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// For each pixel of the copy, the source pixels it covers: [first, last).
struct Span {
    int first = 0;
    int last = 0;
};

std::vector<Span> Spans(int count, int sourceCount, double zoom)
{
    std::vector<Span> spans(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Span& span = spans[static_cast<std::size_t>(i)];
        if (zoom >= 1.0) {
            // Enlarged: the source pixel under the centre.
            span.first = static_cast<int>(std::floor((i + 0.5) / zoom));
            span.last = span.first + 1;
        } else {
            span.first = static_cast<int>(std::floor(i / zoom));
            span.last = std::max(span.first + 1, static_cast<int>(std::floor((i + 1) / zoom)));
        }
        span.first = std::min(span.first, sourceCount);
        span.last = std::min(span.last, sourceCount);
    }
    return spans;
}

// The mask's row as one flag a pixel.
void InsideRow(const PieceMask& mask, int y, std::vector<unsigned char>& inside)
{
    std::fill(inside.begin(), inside.end(), 0);
    mask.ForEachRun(y, [&](int begin, int end) {
        for (int x = std::max(0, begin); x < end && x < static_cast<int>(inside.size()); ++x) inside[x] = 1;
    });
}

}  // namespace

const CPiece& ZoomedPieces::At(int index, const CPiece& piece, int step, float zoom, int scale)
{
    if (index >= static_cast<int>(entries.size())) entries.resize(static_cast<std::size_t>(index) + 1);
    Copy* copies = entries[static_cast<std::size_t>(index)].copies;
    for (int i = 0; i < 2; ++i) {
        const Copy& copy = copies[i];
        if (copy.step == step && copy.scale == scale && copy.source == piece.image.Version()) return copy.piece;
    }
    // The copy of the step farther from this one (or none) gives way.
    Copy& copy = std::abs(copies[0].step - step) >= std::abs(copies[1].step - step) ? copies[0] : copies[1];
    Make(piece, zoom, scale, copy.piece);
    copy.step = step;
    copy.scale = scale;
    copy.source = piece.image.Version();
    return copy.piece;
}

void ZoomedPieces::Make(const CPiece& piece, float zoom, int scale, CPiece& out)
{
    const Surface& source = piece.image;
    scale = std::max(1, scale);
    // Pixels of the copy to one of the piece's.
    const double factor = static_cast<double>(zoom) * scale / (source.IsEmpty() ? 1 : source.Scale());
    const int units = static_cast<int>(std::ceil(std::max(piece.width, static_cast<float>(source.UnitWidth())) * zoom));
    const int unitsDown =
        static_cast<int>(std::ceil(std::max(piece.height, static_cast<float>(source.UnitHeight())) * zoom));
    const int width = std::max(1, units) * scale, height = std::max(1, unitsDown) * scale;
    out.image = Surface::Scaled(width / scale, height / scale, scale);
    out.mask = PieceMask(width, height, scale);
    out.width = static_cast<float>(width / scale);
    out.height = static_cast<float>(height / scale);
    const std::vector<Span> columns = Spans(width, source.Width(), factor);
    const std::vector<Span> rows = Spans(height, source.Height(), factor);
    std::vector<unsigned char> inside(static_cast<std::size_t>(source.Width()));
    std::vector<unsigned> count(static_cast<std::size_t>(width)), insideCount(static_cast<std::size_t>(width));
    std::vector<unsigned> red(static_cast<std::size_t>(width)), green(red), blue(red);
    for (int y = 0; y < height; ++y) {
        std::fill(count.begin(), count.end(), 0u);
        std::fill(insideCount.begin(), insideCount.end(), 0u);
        std::fill(red.begin(), red.end(), 0u);
        std::fill(green.begin(), green.end(), 0u);
        std::fill(blue.begin(), blue.end(), 0u);
        const Span& rowSpan = rows[static_cast<std::size_t>(y)];
        for (int sy = rowSpan.first; sy < rowSpan.last; ++sy) {
            InsideRow(piece.mask, sy * piece.mask.Height() / std::max(1, source.Height()), inside);
            const Colour* pixels = source.Row(sy);
            for (int x = 0; x < width; ++x) {
                const Span& span = columns[static_cast<std::size_t>(x)];
                for (int sx = span.first; sx < span.last; ++sx) {
                    ++count[x];
                    if (!inside[sx]) continue;
                    ++insideCount[x];
                    red[x] += RedOf(pixels[sx]);
                    green[x] += GreenOf(pixels[sx]);
                    blue[x] += BlueOf(pixels[sx]);
                }
            }
        }
        Colour* row = out.image.Row(y);
        int runStart = -1;
        for (int x = 0; x <= width; ++x) {
            const bool in = x < width && insideCount[x] > 0 && 2 * insideCount[x] >= count[x];
            if (in) {
                const unsigned n = insideCount[x];
                row[x] = MakeColour(static_cast<int>(red[x] / n), static_cast<int>(green[x] / n),
                                    static_cast<int>(blue[x] / n));
                if (runStart < 0) runStart = x;
            } else if (runStart >= 0) {
                out.mask.AddRun(y, runStart, x);
                runStart = -1;
            }
        }
    }
}
