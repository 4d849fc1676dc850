// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AreaReducer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/EveryCore.h"

namespace {

// The exact shares of target pixel i, rounded to 256ths that make 256.
std::vector<int> ExactShares(int i, double step, int source, int& first)
{
    const double begin = i * step, end = std::min<double>(source, (i + 1) * step);
    first = std::min(source - 1, static_cast<int>(begin));
    std::vector<int> weights;
    int given = 0;
    for (int s = first; s < source && s < end; ++s) {
        const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
        weights.push_back(static_cast<int>(covered / (end - begin) * 256.0 + 0.5));
        given += weights.back();
    }
    if (weights.empty()) weights.push_back(0);
    // Whole: the last share takes up what rounding left over or gave too
    // much, as far as it holds; across many source pixels the rounding can
    // give more than the last one has, and the others give back the rest.
    const int last = weights.back() + 256 - given;
    weights.back() = std::max(0, last);
    for (int excess = -last; excess > 0;)
        for (std::size_t w = 0; w < weights.size() && excess > 0; ++w)
            if (weights[w] > 0) {
                --weights[w];
                --excess;
            }
    return weights;
}

AreaReducer::Shares SharesAlong(int target, int source)
{
    const double step = static_cast<double>(source) / target;
    std::vector<std::vector<int>> exact(static_cast<std::size_t>(target));
    AreaReducer::Shares shares;
    shares.first.resize(static_cast<std::size_t>(target));
    for (int i = 0; i < target; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        exact[at] = ExactShares(i, step, source, shares.first[at]);
        shares.taps = std::max(shares.taps, static_cast<int>(exact[at].size()));
    }
    const std::size_t taps = static_cast<std::size_t>(shares.taps);
    shares.weights.assign(static_cast<std::size_t>(target) * taps, 0);
    for (int i = 0; i < target; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        // Near the far end the taps start early enough to stay on the side,
        // the ones before the pixel's own taking nothing.
        const int early = std::max(0, shares.first[at] + shares.taps - source);
        shares.first[at] -= early;
        for (std::size_t w = 0; w < exact[at].size(); ++w)
            shares.weights[at * taps + static_cast<std::size_t>(early) + w] = static_cast<std::uint16_t>(exact[at][w]);
    }
    return shares;
}

// A pixel's red and blue, and its green, each weighed by `weight` 256ths.
// The shares of a target pixel make 256 in all, so a weighed channel stays
// under 65,536 and red and blue ride together in the halves of one number.
constexpr std::uint32_t kRedBlue = 0xFF00FFu, kGreen = 0xFF00u;

// Back to a pixel from sums of channels weighed in 256ths, rounded.
inline Colour FromWeighed(std::uint32_t redBlue, std::uint32_t green)
{
    return (((redBlue + 0x800080u) >> 8) & kRedBlue) | (((green + 0x8000u) >> 8) & kGreen);
}

// One source row reduced across into `out`, a pixel for each column share;
// `Taps` is the shares' count when known at compile time, else 0.
template <int Taps>
void ReduceAcrossBy(const Colour* line, const AreaReducer::Shares& columns, Colour* out)
{
    const int taps = Taps > 0 ? Taps : columns.taps;
    const std::size_t width = columns.first.size();
    const std::uint16_t* weight = columns.weights.data();
    for (std::size_t x = 0; x < width; ++x, weight += taps) {
        const Colour* p = line + columns.first[x];
        std::uint32_t redBlue = 0, green = 0;
        for (int c = 0; c < taps; ++c) {
            redBlue += (p[c] & kRedBlue) * weight[c];
            green += (p[c] & kGreen) * weight[c];
        }
        out[x] = FromWeighed(redBlue, green);
    }
}

void ReduceAcross(const Colour* line, const AreaReducer::Shares& columns, Colour* out)
{
    static_assert(RedOf(MakeColour(1, 2, 3)) == 1 && BlueOf(MakeColour(1, 2, 3)) == 3 &&
                      MakeColour(1, 2, 3) == 0x030201u,
                  "red in the low byte, blue in the third");
    // A photo brought down by less than half takes two or three pixels a pixel.
    switch (columns.taps) {
    case 2: return ReduceAcrossBy<2>(line, columns, out);
    case 3: return ReduceAcrossBy<3>(line, columns, out);
    default: return ReduceAcrossBy<0>(line, columns, out);
    }
}

}  // namespace

AreaReducer::AreaReducer(int sourceWidth, int sourceHeight, int width, int height)
    : sourceWidth(sourceWidth), sourceHeight(sourceHeight)
{
    if (width <= 0 || height <= 0 || width > sourceWidth || height > sourceHeight) return;
    columns = SharesAlong(width, sourceWidth);
    rows = SharesAlong(height, sourceHeight);
    result = Surface(width, height);
    // Taken once here: asking the surface for its pixels marks it changed,
    // which the bands' threads must not do side by side.
    out = result.Pixels();
}

void AreaReducer::Arrived(const Colour* pixels, int rowCount)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        source = pixels;
        arrived = std::clamp(rowCount, arrived, sourceHeight);
    }
    moreRows.notify_all();
}

void AreaReducer::Abandon()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        abandoned = true;
    }
    moreRows.notify_all();
}

void AreaReducer::Work()
{
    const int height = result.Height();
    for (;;) {
        const int fromRow = nextBand.fetch_add(1) * kBandRows;
        if (fromRow >= height) return;
        const int toRow = std::min(height, fromRow + kBandRows);
        // The band's last row takes the lowest source rows of any of it.
        const int needed = rows.first[static_cast<std::size_t>(toRow) - 1] + rows.taps;
        const Colour* pixels = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex);
            moreRows.wait(lock, [&] { return abandoned || arrived >= needed; });
            if (abandoned) return;
            pixels = source;
        }
        ReduceBand(pixels, fromRow, toRow);
    }
}

Surface AreaReducer::Reduce(const Surface& picture, int width, int height)
{
    AreaReducer reducer(picture.Width(), picture.Height(), width, height);
    if (reducer.IsEmpty()) return {};
    reducer.Arrived(picture.Pixels(), picture.Height());
    OnEveryCore(CoresToUse(), [&](int) { reducer.Work(); });
    return reducer.TakeResult();
}

// Rows [fromRow, toRow) of the reduction, from `in`, sourceWidth pixels a
// row. Each source row is reduced across once, to pixels, and kept while
// the target rows that take it are weighed down from it: two roundings to a pixel's levels, each under half
// a level, and every step a sum of whole numbers the compiler can widen.
void AreaReducer::ReduceBand(const Colour* in, int fromRow, int toRow) const
{
    const int width = static_cast<int>(columns.first.size());
    const std::size_t rowSize = static_cast<std::size_t>(width);
    // The last source rows reduced across, by their number modulo the ring's size.
    const int ring = rows.taps + 1;
    std::vector<Colour> across(rowSize * static_cast<std::size_t>(ring));
    std::vector<int> held(static_cast<std::size_t>(ring), -1);
    std::vector<std::uint32_t> redBlue(rowSize), green(rowSize);
    for (int y = fromRow; y < toRow; ++y) {
        std::fill(redBlue.begin(), redBlue.end(), 0u);
        std::fill(green.begin(), green.end(), 0u);
        const std::size_t at = static_cast<std::size_t>(y);
        const std::uint16_t* rowWeight = rows.weights.data() + at * static_cast<std::size_t>(rows.taps);
        for (int r = 0; r < rows.taps; ++r) {
            if (rowWeight[r] == 0) continue;
            const int source = rows.first[at] + r;
            const std::size_t slot = static_cast<std::size_t>(source % ring);
            Colour* reduced = across.data() + slot * rowSize;
            if (held[slot] != source) {
                ReduceAcross(in + static_cast<std::size_t>(source) * static_cast<std::size_t>(sourceWidth), columns, reduced);
                held[slot] = source;
            }
            const std::uint32_t weight = rowWeight[r];
            for (std::size_t i = 0; i < rowSize; ++i) {
                redBlue[i] += (reduced[i] & kRedBlue) * weight;
                green[i] += (reduced[i] & kGreen) * weight;
            }
        }
        Colour* line = out + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < rowSize; ++x) line[x] = FromWeighed(redBlue[x], green[x]);
        if (rowFinish) rowFinish(line, width);
    }
}

