// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AreaReducer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// One source row reduced across into `out`, a pixel for each column share
// from `from` on.
void ReduceAcrossFrom(const Colour* line, const AreaReducer::Shares& columns, Colour* out, std::size_t from)
{
    const int taps = columns.taps;
    const std::size_t width = columns.first.size();
    const std::uint16_t* weight = columns.weights.data() + from * static_cast<std::size_t>(taps);
    for (std::size_t x = from; x < width; ++x, weight += taps) {
        const Colour* p = line + columns.first[x];
        std::uint32_t redBlue = 0, green = 0;
        for (int c = 0; c < taps; ++c) {
            redBlue += (p[c] & kRedBlue) * weight[c];
            green += (p[c] & kGreen) * weight[c];
        }
        out[x] = FromWeighed(redBlue, green);
    }
}

#if defined(__SSE2__)
// The sums of channels weighed in 256ths, eight 16-bit lanes (two pixels'
// worth of four channels), back to two pixels: the same rounding as
// FromWeighed, the fourth byte left empty.
inline __m128i FromWeighedLanes(__m128i first, __m128i second)
{
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i packed = _mm_packus_epi16(_mm_srli_epi16(_mm_add_epi16(first, half), 8),
                                            _mm_srli_epi16(_mm_add_epi16(second, half), 8));
    return _mm_and_si128(packed, _mm_set1_epi32(0xFFFFFF));
}

// One target pixel across, from up to four source pixels from `p` on and
// their weights from `weight` on (lanes past the taps masked off by `keep`),
// as four channel sums in the low lanes.
inline __m128i WeighFour(const Colour* p, const std::uint16_t* weight, __m128i keepLow, __m128i keepHigh)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i spread = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(weight)),
                                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(weight)));
    const __m128i firstTwo = _mm_and_si128(_mm_unpacklo_epi32(spread, spread), keepLow);
    const __m128i lastTwo = _mm_and_si128(_mm_unpackhi_epi32(spread, spread), keepHigh);
    const __m128i low = _mm_mullo_epi16(_mm_unpacklo_epi8(pixels, zero), firstTwo);
    const __m128i high = _mm_mullo_epi16(_mm_unpackhi_epi8(pixels, zero), lastTwo);
    const __m128i sum = _mm_add_epi16(low, high);
    return _mm_add_epi16(sum, _mm_srli_si128(sum, 8));
}

// Two to four taps a pixel, two target pixels a step: a photo brought down
// by less than half. Answers how far it got; the rest is the caller's.
std::size_t ReduceAcrossFour(const Colour* line, const AreaReducer::Shares& columns, int sourceWidth, Colour* out)
{
    const int taps = columns.taps;
    const std::size_t width = columns.first.size();
    const __m128i keepLow = _mm_set_epi16(taps > 1 ? -1 : 0, taps > 1 ? -1 : 0, taps > 1 ? -1 : 0, taps > 1 ? -1 : 0,
                                          -1, -1, -1, -1);
    const __m128i keepHigh = _mm_set_epi16(taps > 3 ? -1 : 0, taps > 3 ? -1 : 0, taps > 3 ? -1 : 0, taps > 3 ? -1 : 0,
                                           taps > 2 ? -1 : 0, taps > 2 ? -1 : 0, taps > 2 ? -1 : 0, taps > 2 ? -1 : 0);
    const std::uint16_t* weights = columns.weights.data();
    std::size_t x = 0;
    // Four pixels and four weights read at a time, never past the row's
    // last source pixel nor the weights' end.
    for (; x + 2 < width && columns.first[x + 1] + 4 <= sourceWidth; x += 2) {
        const std::uint16_t* weight = weights + x * static_cast<std::size_t>(taps);
        const __m128i first = WeighFour(line + columns.first[x], weight, keepLow, keepHigh);
        const __m128i second = WeighFour(line + columns.first[x + 1], weight + taps, keepLow, keepHigh);
        const __m128i two = FromWeighedLanes(_mm_unpacklo_epi64(first, second), _mm_setzero_si128());
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), two);
    }
    return x;
}
#endif

void ReduceAcross(const Colour* line, const AreaReducer::Shares& columns, int sourceWidth, Colour* out)
{
    static_assert(RedOf(MakeColour(1, 2, 3)) == 1 && BlueOf(MakeColour(1, 2, 3)) == 3 &&
                      MakeColour(1, 2, 3) == 0x030201u,
                  "red in the low byte, blue in the third");
    std::size_t done = 0;
#if defined(__SSE2__)
    if (columns.taps >= 2 && columns.taps <= 4) done = ReduceAcrossFour(line, columns, sourceWidth, out);
#endif
    // The rest (or every pixel, at more taps), one pixel at a time.
    ReduceAcrossFrom(line, columns, out, done);
}

// Target row `line` from the source rows reduced across (`taps` of them,
// each with its weight), a channel at a time in 16-bit lanes: the sum of
// a channel's shares is at most 255 x 256.
void WeighDown(const Colour* const* reduced, const std::uint16_t* rowWeight, int taps, std::size_t width, Colour* line)
{
    std::size_t x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= width; x += 4) {
        __m128i low = zero, high = zero;
        for (int r = 0; r < taps; ++r) {
            const __m128i weight = _mm_set1_epi16(static_cast<short>(rowWeight[r]));
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(reduced[r] + x));
            low = _mm_add_epi16(low, _mm_mullo_epi16(_mm_unpacklo_epi8(pixels, zero), weight));
            high = _mm_add_epi16(high, _mm_mullo_epi16(_mm_unpackhi_epi8(pixels, zero), weight));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(line + x), FromWeighedLanes(low, high));
    }
#endif
    for (; x < width; ++x) {
        std::uint32_t redBlue = 0, green = 0;
        for (int r = 0; r < taps; ++r) {
            redBlue += (reduced[r][x] & kRedBlue) * rowWeight[r];
            green += (reduced[r][x] & kGreen) * rowWeight[r];
        }
        line[x] = FromWeighed(redBlue, green);
    }
}

}  // namespace

AreaReducer::AreaReducer(int sourceWidth, int sourceHeight, int width, int height)
    : sourceWidth(sourceWidth), sourceHeight(sourceHeight)
{
    if (width <= 0 || height <= 0 || width > sourceWidth || height > sourceHeight) return;
    columns = SharesAlong(width, sourceWidth);
    rows = SharesAlong(height, sourceHeight);
    result = Surface::Unfilled(width, height);  // every band written before the result is taken
    bandsMade.assign(static_cast<std::size_t>((height + kBandRows - 1) / kBandRows), 0);
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
        const int band = nextBand.fetch_add(1);
        const int fromRow = band * kBandRows;
        if (fromRow >= height) return;
        const int toRow = std::min(height, fromRow + kBandRows);
        // The band's last row takes the lowest source rows of any of it.
        const int needed = rows.first[static_cast<std::size_t>(toRow) - 1] + rows.taps;
        if (!WaitForRows(needed)) return;
        const Colour* pixels = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex);
            pixels = source;
        }
        ReduceBand(pixels, fromRow, toRow);
        BandMade(band);
    }
}

bool AreaReducer::WaitForRows(int needed)
{
    std::unique_lock<std::mutex> lock(mutex);
    bool spareLeft = static_cast<bool>(spareWork);
    while (!abandoned && arrived < needed) {
        if (spareLeft) {
            const int made = rowsMade;
            lock.unlock();
            spareLeft = spareWork(result, made);
            lock.lock();
            continue;
        }
        // Nothing else to do: asleep until the decoder shows more rows.
        moreRows.wait(lock);
        spareLeft = static_cast<bool>(spareWork);
    }
    return !abandoned;
}

void AreaReducer::BandMade(int band)
{
    std::lock_guard<std::mutex> lock(mutex);
    bandsMade[static_cast<std::size_t>(band)] = 1;
    // Bands may be made out of turn when two threads share them.
    std::size_t next = static_cast<std::size_t>(rowsMade / kBandRows);
    while (next < bandsMade.size() && bandsMade[next]) ++next;
    rowsMade = std::min(result.Height(), static_cast<int>(next) * kBandRows);
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
    // The rows weighed into the target row, and their weights.
    std::vector<const Colour*> taken(static_cast<std::size_t>(rows.taps));
    std::vector<std::uint16_t> weights(static_cast<std::size_t>(rows.taps));
    for (int y = fromRow; y < toRow; ++y) {
        const std::size_t at = static_cast<std::size_t>(y);
        const std::uint16_t* rowWeight = rows.weights.data() + at * static_cast<std::size_t>(rows.taps);
        int count = 0;
        for (int r = 0; r < rows.taps; ++r) {
            if (rowWeight[r] == 0) continue;
            const int source = rows.first[at] + r;
            const std::size_t slot = static_cast<std::size_t>(source % ring);
            Colour* reduced = across.data() + slot * rowSize;
            if (held[slot] != source) {
                ReduceAcross(in + static_cast<std::size_t>(source) * static_cast<std::size_t>(sourceWidth), columns,
                             sourceWidth, reduced);
                held[slot] = source;
            }
            taken[static_cast<std::size_t>(count)] = reduced;
            weights[static_cast<std::size_t>(count)] = rowWeight[r];
            ++count;
        }
        Colour* line = out + static_cast<std::size_t>(y) * width;
        WeighDown(taken.data(), weights.data(), count, rowSize, line);
        if (rowFinish) rowFinish(line, width);
    }
}
