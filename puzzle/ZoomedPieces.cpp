// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/ZoomedPieces.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/EveryCore.h"

namespace {

// Halvings past this many would be smaller than a pixel for any piece.
constexpr int kMostLevels = 12;
// Prepare makes the halvings down to this many pixels on the longer side.
constexpr int kSmallestPrepared = 8;

// A run of inside pixels in a row: [first, end).
struct Span {
    int first;
    int end;
};

// Sums of opaque pixels: red, green, blue and their count side by side,
// one group of four for each pixel of a row.
using Sum = std::uint32_t;
constexpr std::size_t kLanes = 4;

// 1 / n for counts n below 64, the first unused.
constexpr std::array<float, 64> kInverses = [] {
    std::array<float, 64> made{};
    for (std::size_t i = 1; i < made.size(); ++i) made[i] = 1.0f / static_cast<float>(i);
    return made;
}();

// The rounded average of a group of sums; never black, which would show the
// board through a pixel made of the piece's own colours.
Colour Average(const Sum* sum)
{
    const Sum n = sum[3];
    Colour colour;
#if defined(__SSE2__)
    if (n < 64) {
        // Few pixels a copy's pixel, nearly always: a multiplication of the four lanes at once.
        const __m128 average = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sum))),
                                                     _mm_set1_ps(kInverses[n])),
                                          _mm_set1_ps(0.5f));
        __m128i lanes = _mm_cvttps_epi32(average);
        lanes = _mm_packs_epi32(lanes, lanes);
        colour = static_cast<Colour>(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes))) & 0xFFFFFFu;
        return colour == kBlack ? MakeColour(1, 1, 1) : colour;
    }
#endif
    const Sum half = n / 2;
    colour = MakeColour(static_cast<int>((sum[0] + half) / n), static_cast<int>((sum[1] + half) / n),
                        static_cast<int>((sum[2] + half) / n));
    return colour == kBlack ? MakeColour(1, 1, 1) : colour;
}

// Row y of a copy being made: the spans (in any order) merged into the
// mask's runs, and inside them the averages of the row's sums. Answers the
// runs added.
int WriteRow(Colour* row, PieceMask& mask, int y, std::vector<Span>& spans, const Sum* sums)
{
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    int runs = 0;
    for (std::size_t i = 0; i < spans.size();) {
        const int first = spans[i].first;
        int end = spans[i].end;
        for (++i; i < spans.size() && spans[i].first <= end; ++i) end = std::max(end, spans[i].end);
        if (first >= end) continue;
        mask.AddRun(y, first, end);
        ++runs;
        for (int x = first; x < end; ++x) {
            const Sum* sum = sums + static_cast<std::size_t>(x) * kLanes;
            if (sum[3] > 0) row[x] = Average(sum);
        }
    }
    return runs;
}

// What a mask of that many rows and runs takes.
std::size_t MaskBytes(int height, int runs)
{
    return static_cast<std::size_t>(std::max(height, 0)) * sizeof(std::uint32_t) +
           static_cast<std::size_t>(runs) * 2 * sizeof(std::int32_t);
}

// For each source pixel along one axis, the pixels of the copy it overlaps,
// [first, end), at g copy pixels a source pixel; and for each pixel of the
// copy the source pixels it overlaps, [low, high), the same relation read
// the other way (none past the source: low and high 0). Kept by each thread
// from one copy to the next: the pieces of a puzzle at one zoom share the
// factor and mostly their sizes, so it is rarely measured again.
struct Overlaps {
    std::vector<int> first, end, low, high;
    int widest = 0;   // the most source pixels one copy pixel overlaps
    int reached = 0;  // the copy pixels past these overlap none

    void Measure(int count, double g, int copyCount)
    {
        if (count == measuredCount && g == measuredG && copyCount == measuredCopyCount) return;
        measuredCount = count;
        measuredG = g;
        measuredCopyCount = copyCount;
        first.resize(static_cast<std::size_t>(count));
        end.resize(static_cast<std::size_t>(count));
        low.assign(static_cast<std::size_t>(copyCount), 0);
        high.assign(static_cast<std::size_t>(copyCount), 0);
        for (int c = 0; c < count; ++c) {
            // Floor and ceiling of values that are never negative, without a call.
            const double below = c * g, above = (c + 1) * g;
            const int lowWhole = static_cast<int>(below), highWhole = static_cast<int>(above);
            const int from = std::clamp(lowWhole, 0, copyCount);
            const int to = std::clamp(highWhole + (highWhole < above ? 1 : 0), from, copyCount);
            first[static_cast<std::size_t>(c)] = from;
            end[static_cast<std::size_t>(c)] = to;
            for (int x = from; x < to; ++x) {
                if (high[static_cast<std::size_t>(x)] == 0) low[static_cast<std::size_t>(x)] = c;
                high[static_cast<std::size_t>(x)] = c + 1;
            }
        }
        reached = count > 0 ? end[static_cast<std::size_t>(count) - 1] : 0;
        widest = 0;
        for (int x = 0; x < copyCount; ++x)
            widest = std::max(widest, high[static_cast<std::size_t>(x)] - low[static_cast<std::size_t>(x)]);
    }

private:
    int measuredCount = -1;
    double measuredG = 0.0;
    int measuredCopyCount = -1;
};

// The source pixel under the centre of each copy pixel, at g > 1.
std::vector<int> Centres(int copyCount, double g, int count)
{
    std::vector<int> centres(static_cast<std::size_t>(copyCount));
    for (int i = 0; i < copyCount; ++i)
        centres[static_cast<std::size_t>(i)] = std::min(count - 1, static_cast<int>((i + 0.5) / g));
    return centres;
}

// An enlarged copy's row shows, where the source pixel under a pixel's
// centre is inside, that pixel exactly.
void TakeCentres(const Surface& source, const PieceMask& mask, int sy, const std::vector<int>& centres, Colour* row)
{
    const int width = static_cast<int>(centres.size());
    auto under = [&](int begin, int end, auto paint) {
        int x = static_cast<int>(std::lower_bound(centres.begin(), centres.end(), begin) - centres.begin());
        for (; x < width && centres[static_cast<std::size_t>(x)] < end; ++x) paint(x, centres[static_cast<std::size_t>(x)]);
    };
    mask.ForEachRun(sy, [&](int begin, int end) { under(begin, end, [&](int x, int) { row[x] = kBlack; }); });
    source.ForEachOpaqueRun(sy, [&](int begin, int end, const Colour* pixels) {
        under(begin, end, [&](int x, int c) { row[x] = pixels[c - begin]; });
    });
}

// Buffers reused from one copy to the next, one set a thread.
struct Scratch {
    Overlaps columns, rows;
    std::vector<Sum> sums;                 // every copy row's sums
    std::vector<std::vector<Span>> spans;  // every copy row's inside spans, before merging
    // Copies of at most kMostAcross source pixels a side to a pixel (see CopyReduced).
    std::vector<std::uint64_t> prefix;   // one source row's sums from its left edge
    std::vector<std::uint64_t> totals;   // a few source rows' running column sums, one after the other
    std::vector<Span> sourceSpans;       // every source row's inside runs, in copy columns
    std::vector<std::size_t> spansEnd;   // source row sy's in sourceSpans: [spansEnd[sy - 1], spansEnd[sy])
    std::vector<Span> merging;           // one copy row's spans, merged
};
Scratch& TheScratch()
{
    thread_local Scratch scratch;
    return scratch;
}

#if defined(__SSE2__)
// A colour's red, green and blue one a lane, and a 1 to count it.
inline __m128i Lanes(Colour colour)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(colour | 0x01000000u));
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
}
#endif

// The sums of pixels [from, to) of a run added to the groups of sums of
// `rows` copy rows, `pitch` values apart.
inline void AddPixels(Sum* sum, std::size_t pitch, int rows, const Colour* pixels, int from, int to)
{
#if defined(__SSE2__)
    const int n = to - from;
    if (n >= 1 && n <= 3) {
        // At more than half a copy pixel a source pixel (every copy made from
        // a halving): one to three pixels, added with no branch on how many.
        const __m128i second = _mm_set1_epi32(n >= 2 ? -1 : 0), third = _mm_set1_epi32(n >= 3 ? -1 : 0);
        __m128i total = Lanes(pixels[from]);
        total = _mm_add_epi32(total, _mm_and_si128(second, Lanes(pixels[std::min(from + 1, to - 1)])));
        total = _mm_add_epi32(total, _mm_and_si128(third, Lanes(pixels[to - 1])));
        for (int row = 0; row < rows; ++row, sum += pitch) {
            __m128i* at = reinterpret_cast<__m128i*>(sum);
            _mm_storeu_si128(at, _mm_add_epi32(_mm_loadu_si128(at), total));
        }
        return;
    }
#endif
    Sum red = 0, green = 0, blue = 0;
    for (int c = from; c < to; ++c) {
        const Colour colour = pixels[c];
        red += colour & 0xFF;
        green += (colour >> 8) & 0xFF;
        blue += colour >> 16;
    }
    for (int row = 0; row < rows; ++row, sum += pitch) {
        sum[0] += red;
        sum[1] += green;
        sum[2] += blue;
        sum[3] += static_cast<Sum>(to - from);
    }
}

#if defined(__SSE2__)
// The group of sums at x of `rows` copy rows gets `lanes` added.
inline void AddTo(Sum* sums, std::size_t pitch, int rows, int x, __m128i lanes)
{
    Sum* sum = sums + static_cast<std::size_t>(x) * kLanes;
    for (int row = 0; row < rows; ++row, sum += pitch) {
        __m128i* at = reinterpret_cast<__m128i*>(sum);
        _mm_storeu_si128(at, _mm_add_epi32(_mm_loadu_si128(at), lanes));
    }
}

// A run of source pixels [begin, end) added to the copy's columns when
// reduced (g at most 1): each pixel falls on its first column and perhaps
// the next, so the run is read once, in order, with two columns' sums kept
// in registers and written when the run moves past them.
void AddRunReduced(Sum* sums, std::size_t pitch, int rows, const Overlaps& columns, int begin, int end,
                   const Colour* pixels)
{
    const __m128i none = _mm_setzero_si128();
    __m128i here = none, next = none;
    int x = columns.first[static_cast<std::size_t>(begin)];
    for (int c = begin; c < end; ++c) {
        const std::size_t at = static_cast<std::size_t>(c);
        const int column = columns.first[at];
        if (column != x) {
            AddTo(sums, pitch, rows, x, here);
            here = next;
            next = none;
            x = column;
        }
        const __m128i lanes = Lanes(pixels[c - begin]);
        here = _mm_add_epi32(here, lanes);
        const __m128i also = _mm_set1_epi32(columns.end[at] - column > 1 ? -1 : 0);
        next = _mm_add_epi32(next, _mm_and_si128(also, lanes));
    }
    AddTo(sums, pitch, rows, x, here);
    // The last pixel reached into the next column.
    if (_mm_cvtsi128_si32(_mm_shuffle_epi32(next, _MM_SHUFFLE(3, 3, 3, 3))) != 0) AddTo(sums, pitch, rows, x + 1, next);
}
#endif

#if defined(__SSE2__)
// Sums for copies of at most kMostAcross source pixels a side to a copy
// pixel: a pixel's red, green and blue and a count of one, 16 bits each in a
// 64-bit word. At most 256 pixels of 255 a lane, no lane carries into the
// next; sums from a row's start or the source's top grow past that, but the
// difference of two of them is exact in the word's wrapping arithmetic.
using Quad = std::uint64_t;
constexpr int kMostAcross = 16;

inline Quad QuadOf(Colour colour)
{
    return (colour & 0xFFu) | (static_cast<Quad>(colour & 0xFF00u) << 8) | (static_cast<Quad>(colour & 0xFF0000u) << 16) |
           (static_cast<Quad>((colour | 0x01000000u) >> 24) << 48);
}

// Sums from a row's start, continued over pixels [0, count) of a run:
// sums[c + 1] = sums[c] + the pixel at c. Four pixels at a time, summed
// among themselves first so that only one addition a four waits for the
// sums before them. Answers the sums past the run.
inline Quad SumRun(const Colour* pixels, int count, Quad total, Quad* sums)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set_epi16(1, 0, 0, 0, 1, 0, 0, 0);
    __m128i carried = _mm_set1_epi64x(static_cast<long long>(total));
    int c = 0;
    for (; c + 4 <= count; c += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + c));
        __m128i firstTwo = _mm_or_si128(_mm_unpacklo_epi8(four, zero), one);
        __m128i nextTwo = _mm_or_si128(_mm_unpackhi_epi8(four, zero), one);
        firstTwo = _mm_add_epi64(firstTwo, _mm_slli_si128(firstTwo, 8));
        nextTwo = _mm_add_epi64(_mm_add_epi64(nextTwo, _mm_slli_si128(nextTwo, 8)),
                                _mm_unpackhi_epi64(firstTwo, firstTwo));
        nextTwo = _mm_add_epi64(nextTwo, carried);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + c + 1), _mm_add_epi64(firstTwo, carried));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + c + 3), nextTwo);
        carried = _mm_unpackhi_epi64(nextTwo, nextTwo);
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&total), carried);
    for (; c < count; ++c) {
        total += QuadOf(pixels[c]);
        sums[c + 1] = total;
    }
    return total;
}

// prefix[c] for c in [0, width]: the sums of source row sy's opaque pixels left of c.
void SumFromLeft(const Surface& source, int sy, Quad* prefix)
{
    Quad total = 0;
    int done = 0;  // prefix[0..done] written
    prefix[0] = 0;
    source.ForEachOpaqueRun(sy, [&](int begin, int end, const Colour* pixels) {
        std::fill(prefix + done + 1, prefix + begin + 1, total);
        total = SumRun(pixels, end - begin, total, prefix + begin);
        done = end;
    });
    std::fill(prefix + done + 1, prefix + source.Width() + 1, total);
}

// Four copy pixels' colours from their sums (two Quads a register): each the
// rounded average of the summed pixels, (sum + n / 2) / n, never black, and
// black where none was summed. A float multiplication by 1 / n, as Average
// does, gives that exactly below 64 pixels; a float division at any count
// up to 256 (both checked over every sum).
template <bool kManyAPixel>
inline __m128i AverageFour(__m128i firstTwo, __m128i nextTwo)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128 one = _mm_set1_ps(1.0f), half = _mm_set1_ps(0.5f);
    __m128 sums[4] = {_mm_cvtepi32_ps(_mm_unpacklo_epi16(firstTwo, zero)),
                      _mm_cvtepi32_ps(_mm_unpackhi_epi16(firstTwo, zero)),
                      _mm_cvtepi32_ps(_mm_unpacklo_epi16(nextTwo, zero)),
                      _mm_cvtepi32_ps(_mm_unpackhi_epi16(nextTwo, zero))};
    __m128i averages[4];
    if constexpr (kManyAPixel) {
        for (int i = 0; i < 4; ++i) {
            const __m128 count = _mm_max_ps(_mm_shuffle_ps(sums[i], sums[i], _MM_SHUFFLE(3, 3, 3, 3)), one);
            averages[i] = _mm_cvttps_epi32(_mm_add_ps(_mm_div_ps(sums[i], count), half));
        }
    } else {
        const __m128 counts = _mm_shuffle_ps(_mm_shuffle_ps(sums[0], sums[1], _MM_SHUFFLE(3, 3, 3, 3)),
                                             _mm_shuffle_ps(sums[2], sums[3], _MM_SHUFFLE(3, 3, 3, 3)),
                                             _MM_SHUFFLE(2, 0, 2, 0));
        const __m128 inverses = _mm_div_ps(one, _mm_max_ps(counts, one));
        const __m128 each[4] = {_mm_shuffle_ps(inverses, inverses, _MM_SHUFFLE(0, 0, 0, 0)),
                                _mm_shuffle_ps(inverses, inverses, _MM_SHUFFLE(1, 1, 1, 1)),
                                _mm_shuffle_ps(inverses, inverses, _MM_SHUFFLE(2, 2, 2, 2)),
                                _mm_shuffle_ps(inverses, inverses, _MM_SHUFFLE(3, 3, 3, 3))};
        for (int i = 0; i < 4; ++i) averages[i] = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(sums[i], each[i]), half));
    }
    // Each pixel's top byte is its count's average: 1 where any pixel was
    // summed, so a black average of some is that byte alone.
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(averages[0], averages[1]),
                                           _mm_packs_epi32(averages[2], averages[3]));
    const __m128i blackOfSome = _mm_cmpeq_epi32(bytes, _mm_set1_epi32(0x01000000));
    return _mm_or_si128(_mm_and_si128(bytes, _mm_set1_epi32(0x00FFFFFF)),
                        _mm_and_si128(blackOfSome, _mm_set1_epi32(static_cast<int>(MakeColour(1, 1, 1)))));
}

// Pixels [first, end) of a copy row from the running sums at its first
// source row and past its last (readable three Quads past the end).
template <bool kManyAPixel>
void AverageSpan(Colour* row, const Quad* upper, const Quad* lower, int first, int end)
{
    auto sumsAt = [&](int x) {
        return _mm_sub_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x)),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x)));
    };
    auto fourAt = [&](int x) { return AverageFour<kManyAPixel>(sumsAt(x), sumsAt(x + 2)); };
    if (end - first < 4) {
        alignas(16) Colour four[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(four), fourAt(first));
        std::copy(four, four + (end - first), row + first);
        return;
    }
    int x = first;
    for (; x + 4 <= end; x += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), fourAt(x));
    // The last few again with the four before them: those come out the same.
    if (x < end) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + end - 4), fourAt(end - 4));
}

// Spans [from, to) sorted by their first pixel into `spans`, those that
// overlap or touch merged. Few spans: each put in its place as it comes.
void MergeSpans(const Span* from, const Span* to, std::vector<Span>& spans)
{
    spans.resize(static_cast<std::size_t>(to - from));
    for (std::size_t i = 0; from != to; ++from, ++i) {
        std::size_t at = i;
        for (; at > 0 && spans[at - 1].first > from->first; --at) spans[at] = spans[at - 1];
        spans[at] = *from;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < spans.size();) {
        Span merged = spans[i];
        for (++i; i < spans.size() && spans[i].first <= merged.end; ++i) merged.end = std::max(merged.end, spans[i].end);
        if (merged.first < merged.end) spans[kept++] = merged;
    }
    spans.resize(kept);
}

// A reduced copy (g at most 1, at most kMostAcross source pixels a copy
// pixel's side) into `out`, sized and black: the same pixels and mask as
// CopyBySums makes, from sums of the source from its top-left corner. Each
// source row is summed from its left edge once and read at the copy
// columns' edges, added to the running column sums of the rows above it; a
// copy row's sums are those past its last source row less those at its
// first. Answers the mask's runs.
template <bool kManyAPixel>
int CopyReduced(const Surface& source, const PieceMask& mask, const Overlaps& columns, const Overlaps& rows,
                Scratch& scratch, CPiece& out)
{
    const int width = out.image.Width(), height = out.image.Height();
    const int sourceWidth = source.Width(), sourceHeight = source.Height();
    scratch.sourceSpans.clear();
    scratch.spansEnd.resize(static_cast<std::size_t>(sourceHeight));
    for (int sy = 0; sy < sourceHeight; ++sy) {
        mask.ForEachRun(sy, [&](int begin, int end) {
            begin = std::max(begin, 0);
            end = std::min(end, sourceWidth);
            if (begin < end)
                scratch.sourceSpans.push_back(
                    {columns.first[static_cast<std::size_t>(begin)], columns.end[static_cast<std::size_t>(end - 1)]});
        });
        scratch.spansEnd[static_cast<std::size_t>(sy)] = scratch.sourceSpans.size();
    }
    // The running sums of source rows [0, k) in slot k % slots (more slots
    // than a copy row has source rows, a power of two), each row three Quads
    // longer than the copy's for reading four at a time.
    int slots = 2;
    while (slots <= rows.widest) slots *= 2;
    const std::size_t stride = static_cast<std::size_t>(width) + 3;
    scratch.prefix.resize(static_cast<std::size_t>(sourceWidth) + 1);
    scratch.totals.assign(stride * static_cast<std::size_t>(slots), 0);
    auto totalsOf = [&](int k) {
        return scratch.totals.data() + stride * static_cast<std::size_t>(k & (slots - 1));
    };
    const int* low = columns.low.data();
    const int* high = columns.high.data();
    const int reached = columns.reached;
    int summed = 0;
    Quad* above = totalsOf(0);
    auto sumNextRow = [&] {
        const Quad* prefix = scratch.prefix.data();
        SumFromLeft(source, summed, scratch.prefix.data());
        ++summed;
        Quad* through = totalsOf(summed);
        for (int x = 0; x < reached; ++x) through[x] = above[x] + (prefix[high[x]] - prefix[low[x]]);
        above = through;
    };
    Colour* pixels = out.image.Pixels();
    int runs = 0;
    for (int y = 0; y < height; ++y) {
        const int top = rows.low[static_cast<std::size_t>(y)], bottom = rows.high[static_cast<std::size_t>(y)];
        if (top >= bottom) continue;
        const std::size_t from = top == 0 ? 0 : scratch.spansEnd[static_cast<std::size_t>(top) - 1];
        const std::size_t to = scratch.spansEnd[static_cast<std::size_t>(bottom) - 1];
        if (from == to) continue;
        MergeSpans(scratch.sourceSpans.data() + from, scratch.sourceSpans.data() + to, scratch.merging);
        while (summed < bottom) sumNextRow();
        Colour* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        const Quad* upper = totalsOf(top);
        const Quad* lower = totalsOf(bottom);
        for (const Span& span : scratch.merging) {
            out.mask.AddRun(y, span.first, span.end);
            ++runs;
            AverageSpan<kManyAPixel>(row, upper, lower, span.first, span.end);
        }
    }
    return runs;
}
#endif

// The copy of a source into `out`, sized and black, from groups of sums
// laid out for every pixel of the copy: each source row is read once, its
// pixels summed over the copy's columns and added to the copy rows it
// overlaps; enlarged, the pixels under the centres are then taken. Right at
// any g. Answers the mask's runs.
int CopyBySums(const Surface& source, const PieceMask& mask, double g, const Overlaps& columns, const Overlaps& rows,
               Scratch& scratch, CPiece& out)
{
    const int width = out.image.Width(), height = out.image.Height();
    const std::size_t pitch = static_cast<std::size_t>(width) * kLanes;
    scratch.sums.assign(pitch * static_cast<std::size_t>(height), 0u);
    if (scratch.spans.size() < static_cast<std::size_t>(height)) scratch.spans.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) scratch.spans[static_cast<std::size_t>(y)].clear();
    for (int sy = 0; sy < source.Height(); ++sy) {
        const int top = rows.first[static_cast<std::size_t>(sy)], bottom = rows.end[static_cast<std::size_t>(sy)];
        if (top >= bottom) continue;
        Sum* sums = scratch.sums.data() + pitch * static_cast<std::size_t>(top);
        source.ForEachOpaqueRun(sy, [&](int begin, int end, const Colour* pixels) {
#if defined(__SSE2__)
            if (g <= 1.0) {
                AddRunReduced(sums, pitch, bottom - top, columns, begin, end, pixels);
                return;
            }
#endif
            const int last = columns.end[static_cast<std::size_t>(end - 1)];
            for (int x = columns.first[static_cast<std::size_t>(begin)]; x < last; ++x) {
                const int from = std::max(begin, columns.low[static_cast<std::size_t>(x)]);
                const int to = std::min(end, columns.high[static_cast<std::size_t>(x)]);
                AddPixels(sums + static_cast<std::size_t>(x) * kLanes, pitch, bottom - top, pixels - begin, from, to);
            }
        });
        mask.ForEachRun(sy, [&](int begin, int end) {
            begin = std::max(begin, 0);
            end = std::min(end, source.Width());
            if (begin >= end) return;
            const Span span{columns.first[static_cast<std::size_t>(begin)], columns.end[static_cast<std::size_t>(end - 1)]};
            for (int y = top; y < bottom; ++y) scratch.spans[static_cast<std::size_t>(y)].push_back(span);
        });
    }
    const bool enlarged = g > 1.0;
    const std::vector<int> centres = enlarged ? Centres(width, g, source.Width()) : std::vector<int>();
    int runs = 0;
    // The pixels asked for once: each row asked for would count as a change.
    Colour* pixels = out.image.Pixels();
    for (int y = 0; y < height; ++y) {
        Colour* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        const int added = WriteRow(row, out.mask, y, scratch.spans[static_cast<std::size_t>(y)],
                                   scratch.sums.data() + pitch * static_cast<std::size_t>(y));
        runs += added;
        if (enlarged && added > 0) {
            const int sy = std::min(source.Height() - 1, static_cast<int>((y + 0.5) / g));
            TakeCentres(source, mask, sy, centres, row);
        }
    }
    return runs;
}

// The copy of a source (the piece or a halving of it) at g copy pixels a
// source pixel, in pixels of the scale: see the header for the rule.
// Answers the mask's runs.
int CopyOf(const Surface& source, const PieceMask& mask, double g, int scale, CPiece& out, bool pack)
{
    const int units = std::max(1, static_cast<int>(std::ceil(std::ceil(source.Width() * g) / scale)));
    const int unitsDown = std::max(1, static_cast<int>(std::ceil(std::ceil(source.Height() * g) / scale)));
    const int width = units * scale, height = unitsDown * scale;
    out.image = Surface::Scaled(units, unitsDown, scale);
    out.mask = PieceMask(width, height, scale);
    out.width = static_cast<float>(units);
    out.height = static_cast<float>(unitsDown);
    Scratch& scratch = TheScratch();
    scratch.columns.Measure(source.Width(), g, width);
    scratch.rows.Measure(source.Height(), g, height);
    const Overlaps& columns = scratch.columns;
    const Overlaps& rows = scratch.rows;
    int runs = 0;
#if defined(__SSE2__)
    // Every halving and every copy made from one.
    if (g <= 1.0 && columns.widest <= kMostAcross && rows.widest <= kMostAcross)
        runs = columns.widest * rows.widest < 64 ? CopyReduced<false>(source, mask, columns, rows, scratch, out)
                                                 : CopyReduced<true>(source, mask, columns, rows, scratch, out);
    else
#endif
        runs = CopyBySums(source, mask, g, columns, rows, scratch, out);
    // A copy to draw records its runs when drawn twice; a halving, never
    // drawn, is packed at once.
    if (pack) out.image.Pack();
    return runs;
}

// Half the size, each pixel from the 2 x 2 square of the source's: the
// average of its opaque pixels, inside when any of the four is.
int Halve(const Surface& image, const PieceMask& mask, Surface& outImage, PieceMask& outMask)
{
    CPiece half;
    const int runs = CopyOf(image, mask, 0.5, 1, half, true);
    outImage = std::move(half.image);
    outMask = std::move(half.mask);
    return runs;
}

// The halving to make a copy of f copy pixels a piece's pixel from: the
// smallest whose pixels are no larger than the copy's.
int LevelFor(double f)
{
    int level = 0;
    while (level < kMostLevels && f * std::ldexp(1.0, level + 1) <= 1.0) ++level;
    return level;
}

double FactorOf(const CPiece& piece, float zoom, int scale)
{
    return static_cast<double>(zoom) * scale / piece.image.Scale();
}

}  // namespace

void ZoomedPieces::Make(const CPiece& piece, float zoom, int scale, CPiece& out)
{
    scale = std::clamp(scale, 1, Surface::kMaxScale);
    if (piece.image.IsEmpty()) {
        out = CPiece{};
        return;
    }
    CopyOf(piece.image, piece.mask, FactorOf(piece, zoom, scale), scale, out, false);
}

ZoomedPieces::Entry& ZoomedPieces::EntryFor(int index, const CPiece& piece)
{
    if (index >= static_cast<int>(entries.size())) entries.resize(static_cast<std::size_t>(index) + 1);
    Entry& entry = entries[static_cast<std::size_t>(index)];
    if (entry.source != piece.image.Version()) {
        DropEntry(entry);
        entry.source = piece.image.Version();
    }
    return entry;
}

const ZoomedPieces::Level& ZoomedPieces::EnsureLevel(Entry& entry, const CPiece& piece, int level)
{
    if (static_cast<int>(entry.levels.size()) < level) entry.levels.resize(static_cast<std::size_t>(level));
    if (Level& made = entry.levels[static_cast<std::size_t>(level) - 1]; !made.image.IsEmpty()) {
        made.lastUse = ++uses;
        return made;
    }
    Surface image;
    PieceMask mask;
    int runs = 0;
    if (level == 1) {
        runs = Halve(piece.image, piece.mask, image, mask);
    } else {
        const Level& finer = EnsureLevel(entry, piece, level - 1);
        runs = Halve(finer.image, finer.mask, image, mask);
    }
    // The finer levels made on the way changed no size: the slot is where it was.
    Level& made = entry.levels[static_cast<std::size_t>(level) - 1];
    made.bytes = image.MemoryBytes() + MaskBytes(mask.Height(), runs);
    made.image = std::move(image);
    made.mask = std::move(mask);
    made.lastUse = ++uses;
    held += made.bytes;
    return made;
}

// The halvings a piece keeps ready, down to a few pixels, made where missing.
// Touches only the entry: pieces' entries are made side by side.
void ZoomedPieces::MakeLevels(Entry& entry, const CPiece& piece)
{
    int width = piece.image.Width(), height = piece.image.Height();
    int wanted = 0;
    for (; wanted < kMostLevels && std::max(width, height) > kSmallestPrepared; ++wanted) {
        width = (width + 1) / 2;
        height = (height + 1) / 2;
    }
    if (static_cast<int>(entry.levels.size()) < wanted) entry.levels.resize(static_cast<std::size_t>(wanted));
    for (int level = 1; level <= wanted; ++level) {
        Level& made = entry.levels[static_cast<std::size_t>(level) - 1];
        if (!made.image.IsEmpty()) continue;
        const Surface& finerImage = level == 1 ? piece.image : entry.levels[level - 2].image;
        const PieceMask& finerMask = level == 1 ? piece.mask : entry.levels[level - 2].mask;
        const int runs = Halve(finerImage, finerMask, made.image, made.mask);
        made.bytes = made.image.MemoryBytes() + MaskBytes(made.mask.Height(), runs);
        made.lastUse = 0;  // counted by Account
    }
}

// Levels just made join what is held, as used now.
void ZoomedPieces::Account(Entry& entry)
{
    for (Level& level : entry.levels)
        if (!level.image.IsEmpty() && level.lastUse == 0) {
            level.lastUse = ++uses;
            held += level.bytes;
        }
}

void ZoomedPieces::Prepare(int index, const CPiece& piece)
{
    if (index < 0 || piece.image.IsEmpty()) return;
    piece.image.Pack();
    Entry& entry = EntryFor(index, piece);
    MakeLevels(entry, piece);
    Account(entry);
    KeepToBudget(nullptr);
}

void ZoomedPieces::PrepareAll(const std::vector<CPiece>& pieces)
{
    const int count = static_cast<int>(pieces.size());
    for (int i = count - 1; i >= 0; --i) EntryFor(i, pieces[static_cast<std::size_t>(i)]);
    const int workers = CoresToUse();
    OnEveryCore(workers, [&](int first) {
        for (int i = first; i < count; i += workers) {
            const CPiece& piece = pieces[static_cast<std::size_t>(i)];
            if (piece.image.IsEmpty()) continue;
            piece.image.Pack();
            MakeLevels(entries[static_cast<std::size_t>(i)], piece);
        }
    });
    for (int i = 0; i < count; ++i) Account(entries[static_cast<std::size_t>(i)]);
    KeepToBudget(nullptr);
}

ZoomedPieces::Copy* ZoomedPieces::CopyAt(Entry& entry, int step, int scale)
{
    for (Copy& copy : entry.copies)
        if (copy.step == step && copy.scale == scale) return &copy;
    return nullptr;
}

// An empty place, else the copy of the step farthest from this one gives
// way; of two as far, the one drawn or made longer ago (not the one shown).
ZoomedPieces::Copy& ZoomedPieces::PlaceFor(Entry& entry, int step)
{
    Copy* place = nullptr;
    for (Copy& copy : entry.copies) {
        if (copy.step < 0) {
            place = &copy;
            break;
        }
        const int distance = std::abs(copy.step - step);
        if (!place || distance > std::abs(place->step - step) ||
            (distance == std::abs(place->step - step) && copy.lastUse < place->lastUse))
            place = &copy;
    }
    DropCopy(*place);
    return *place;
}

// What a copy of the piece at `zoom` is made from: the piece itself or the
// finest halving that will do (made now if it is not kept), at g copy pixels
// a pixel of it.
ZoomedPieces::CopySource ZoomedPieces::SourceFor(Entry& entry, const CPiece& piece, float zoom, int scale)
{
    const double f = FactorOf(piece, zoom, scale);
    const int level = LevelFor(f);
    if (level == 0) return {&piece.image, &piece.mask, f};
    const Level& source = EnsureLevel(entry, piece, level);
    return {&source.image, &source.mask, std::ldexp(f, level)};
}

void ZoomedPieces::Keep(Copy& copy, int step, int scale, int runs)
{
    copy.step = step;
    copy.scale = scale;
    copy.bytes = copy.piece.image.MemoryBytes() + MaskBytes(copy.piece.mask.Height(), runs);
    copy.lastUse = ++uses;
    held += copy.bytes;
    ++copiesMade;
}

const CPiece& ZoomedPieces::At(int index, const CPiece& piece, int step, float zoom, int scale)
{
    scale = std::clamp(scale, 1, Surface::kMaxScale);
    Entry& entry = EntryFor(std::max(index, 0), piece);
    if (Copy* made = CopyAt(entry, step, scale)) {
        made->lastUse = ++uses;
        return made->piece;
    }
    Copy& copy = PlaceFor(entry, step);
    int runs = 0;
    if (piece.image.IsEmpty()) {
        copy.piece = CPiece{};
    } else {
        const CopySource source = SourceFor(entry, piece, zoom, scale);
        runs = CopyOf(*source.image, *source.mask, source.g, scale, copy.piece, false);
    }
    Keep(copy, step, scale, runs);
    KeepToBudget(&copy);
    return copy.piece;
}

void ZoomedPieces::MakeCopies(const std::vector<int>& indices, const std::vector<CPiece>& pieces, int step,
                              float zoom, int scale)
{
    scale = std::clamp(scale, 1, Surface::kMaxScale);
    // Sized first: the places below stay where they are while copies are made in them.
    if (!pieces.empty()) EntryFor(static_cast<int>(pieces.size()) - 1, pieces.back());
    struct Job {
        Copy* copy;
        CopySource source;
        int runs;
    };
    std::vector<Job> jobs;
    for (int index : indices) {
        if (index < 0 || index >= static_cast<int>(pieces.size())) continue;
        const CPiece& piece = pieces[static_cast<std::size_t>(index)];
        Entry& entry = EntryFor(index, piece);
        if (piece.image.IsEmpty() || CopyAt(entry, step, scale)) continue;
        const CopySource source = SourceFor(entry, piece, zoom, scale);
        jobs.push_back({&PlaceFor(entry, step), source, 0});
    }
    const int count = static_cast<int>(jobs.size());
    // A few copies (a pan's edge) are made here; many (a notch over a whole
    // table) on every core.
    const int workers = count < kCopiesForWorkers ? 1 : CoresToUse();
    OnEveryCore(workers, [&](int first) {
        for (int j = first; j < count; j += workers) {
            Job& job = jobs[static_cast<std::size_t>(j)];
            job.runs = CopyOf(*job.source.image, *job.source.mask, job.source.g, scale, job.copy->piece, false);
        }
    });
    for (Job& job : jobs) Keep(*job.copy, step, scale, job.runs);
    KeepToBudget(nullptr);
}

void ZoomedPieces::Clear()
{
    for (Entry& entry : entries)
        for (Copy& copy : entry.copies) DropCopy(copy);
}

void ZoomedPieces::KeepFor(const std::vector<CPiece>& pieces)
{
    while (entries.size() > pieces.size()) {
        DropEntry(entries.back());
        entries.pop_back();
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].source != pieces[i].image.Version()) DropEntry(entries[i]);
    }
}

void ZoomedPieces::SetBudget(std::size_t bytes)
{
    budget = bytes;
    KeepToBudget(nullptr);
}

int ZoomedPieces::LevelsMade(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries.size())) return 0;
    const std::vector<Level>& levels = entries[static_cast<std::size_t>(index)].levels;
    return static_cast<int>(
        std::count_if(levels.begin(), levels.end(), [](const Level& level) { return !level.image.IsEmpty(); }));
}

void ZoomedPieces::DropEntry(Entry& entry)
{
    for (Level& level : entry.levels) DropLevel(level);
    entry.levels.clear();
    for (Copy& copy : entry.copies) DropCopy(copy);
    entry.source = 0;
}

void ZoomedPieces::DropCopy(Copy& copy)
{
    if (copy.step < 0) return;
    held -= copy.bytes;
    copy = Copy{};
}

void ZoomedPieces::DropLevel(Level& level)
{
    if (level.image.IsEmpty()) return;
    held -= level.bytes;
    level = Level{};
}

void ZoomedPieces::KeepToBudget(const void* keep)
{
    if (held <= budget) return;
    struct Held {
        std::uint64_t lastUse;
        Level* level;
        Copy* copy;
    };
    std::vector<Held> all;
    for (Entry& entry : entries) {
        for (Level& level : entry.levels)
            if (!level.image.IsEmpty() && &level != keep) all.push_back({level.lastUse, &level, nullptr});
        for (Copy& copy : entry.copies)
            if (copy.step >= 0 && &copy != keep) all.push_back({copy.lastUse, nullptr, &copy});
    }
    // Copies go before halvings: a copy is made again from a halving at
    // little cost, a halving from the whole piece at much more (a notch out
    // to the whole table after a close-up would make hundreds).
    std::sort(all.begin(), all.end(), [](const Held& a, const Held& b) {
        const bool aLevel = a.level != nullptr, bLevel = b.level != nullptr;
        return aLevel != bLevel ? bLevel : a.lastUse < b.lastUse;
    });
    // Down to seven eighths: the next few copies made do not each start a search.
    const std::size_t target = budget - budget / 8;
    for (const Held& h : all) {
        if (held <= target) break;
        if (h.level) DropLevel(*h.level);
        if (h.copy) DropCopy(*h.copy);
    }
}
