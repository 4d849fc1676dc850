// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/SelectedLook.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "resources/CMgrImage.h"

namespace {

using Span = SelectedLook::Span;

// A row's runs, left to right with gaps between them, with room for every row
// worked out from rows of at most kMaxInsideRuns runs: the most is the rim's,
// two runs beside each of the row's and the runs of kMaxRimWidth rows above
// and below.
struct Spans {
    Span at[(2 + 2 * SelectedLook::kMaxRimWidth) * SelectedLook::kMaxInsideRuns];
    int count = 0;

    // Runs come in order of their beginnings; one that touches or overlaps
    // the last is joined to it.
    void Add(int begin, int end)
    {
        if (begin >= end) return;
        if (count > 0 && begin <= at[count - 1].end) {
            at[count - 1].end = std::max(at[count - 1].end, end);
            return;
        }
        at[count++] = {begin, end};
    }
    // Runs in any order, kept in order of their beginnings; Join then joins
    // those that touch.
    void Gather(int begin, int end)
    {
        if (begin >= end) return;
        int i = count++;
        for (; i > 0 && at[i - 1].begin > begin; --i) at[i] = at[i - 1];
        at[i] = {begin, end};
    }
    void Join()
    {
        const int gathered = count;
        count = 0;
        for (int i = 0; i < gathered; ++i) Add(at[i].begin, at[i].end);
    }
};

struct SpanRow {
    const Span* at = nullptr;
    int count = 0;
};

SpanRow View(const Spans& spans) { return {spans.at, spans.count}; }

void Intersect(const Spans& a, SpanRow b, Spans& out)
{
    out.count = 0;
    for (int i = 0, j = 0; i < a.count && j < b.count;) {
        out.Add(std::max(a.at[i].begin, b.at[j].begin), std::min(a.at[i].end, b.at[j].end));
        if (a.at[i].end < b.at[j].end)
            ++i;
        else
            ++j;
    }
}

// The pixels of `from` that are not in `cut`.
void Subtract(SpanRow from, SpanRow cut, Spans& out)
{
    out.count = 0;
    int j = 0;
    for (int i = 0; i < from.count; ++i) {
        int cursor = from.at[i].begin;
        const int end = from.at[i].end;
        while (j < cut.count && cut.at[j].end <= cursor) ++j;
        for (int k = j; k < cut.count && cut.at[k].begin < end; ++k) {
            out.Add(cursor, std::max(cursor, cut.at[k].begin));
            cursor = std::max(cursor, cut.at[k].end);
        }
        out.Add(cursor, end);
    }
}

// CMgrImage::SelectedLight of every pixel of a run, four at a time where the
// processor allows: each channel c becomes c + (255 - c) * 2 / 5, the
// division by five done as a multiplication by 13108 / 65536, which gives the
// same whole number for every value up to 510.
void LightenRun(Colour* __restrict to, const Colour* __restrict from, int count)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255), fifth = _mm_set1_epi16(13108);
    const __m128i colourBytes = _mm_set1_epi32(0xFFFFFF);
    auto lighten = [&](__m128i c) {
        return _mm_add_epi16(c, _mm_mulhi_epu16(_mm_slli_epi16(_mm_sub_epi16(full, c), 1), fifth));
    };
    for (; i + 4 <= count; i += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i low = lighten(_mm_unpacklo_epi8(pixels, zero));
        const __m128i high = lighten(_mm_unpackhi_epi8(pixels, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_and_si128(_mm_packus_epi16(low, high), colourBytes));
    }
#endif
    for (; i < count; ++i) to[i] = CMgrImage::SelectedLight(from[i]);
}

}  // namespace

// The rule, row by row on runs: inside, a pixel is lightened when the
// edgeWidth pixels on each side along its row and its column are inside too
// (the row's runs narrowed by that much, cut down to the rows above and
// below), else it is edge; outside, it is rim when a pixel inside lies at
// most rimWidth pixels from it along its row or column.
bool SelectedLook::Make(int width, int height, const std::vector<Span>& inside, const std::vector<unsigned>& rowEnd,
                        int edgeWidth, int rimWidth)
{
    Clear();
    made = true;
    width_ = width;
    height_ = height;
    rim_ = std::clamp(rimWidth, 1, kMaxRimWidth);
    if (width >= (1 << 22)) return false;  // beyond what a run holds
    usable = true;
    if (width <= 0 || height <= 0) return true;  // nothing inside, nothing next to it

    // The inside within the box, each row sorted and joined.
    std::vector<Span> boxRuns;
    std::vector<unsigned> boxRowEnd;
    Spans row;
    for (int y = 0; y < height; ++y) {
        const unsigned first = y == 0 ? 0 : rowEnd[static_cast<std::size_t>(y) - 1];
        const unsigned last = rowEnd[static_cast<std::size_t>(y)];
        if (last - first > 4 * kMaxInsideRuns) usable = false;
        if (!usable) break;
        row.count = 0;
        for (unsigned i = first; i < last; ++i) row.Gather(std::max(inside[i].begin, 0), std::min(inside[i].end, width));
        row.Join();
        if (row.count > kMaxInsideRuns) usable = false;
        boxRuns.insert(boxRuns.end(), row.at, row.at + row.count);
        boxRowEnd.push_back(static_cast<unsigned>(boxRuns.size()));
    }
    if (!usable) return false;
    auto inBox = [&](int y) {
        if (y < 0 || y >= height) return SpanRow{};
        const unsigned first = y == 0 ? 0 : boxRowEnd[static_cast<std::size_t>(y) - 1];
        return SpanRow{boxRuns.data() + first, static_cast<int>(boxRowEnd[static_cast<std::size_t>(y)] - first)};
    };

    Spans light, narrowed, edges, around, rim;
    auto keep = [&](const Spans& spans, Kind kind) {
        for (int i = 0; i < spans.count; ++i) runs.push_back({spans.at[i].begin, spans.at[i].end, kind});
    };
    rowEnd_.push_back(0);
    for (int y = -rim_; y < height + rim_; ++y) {
        const SpanRow here = inBox(y);
        light.count = edges.count = 0;
        if (here.count > 0) {
            for (int i = 0; i < here.count; ++i) light.Add(here.at[i].begin + edgeWidth, here.at[i].end - edgeWidth);
            for (int d = 1; d <= edgeWidth; ++d) {
                Intersect(light, inBox(y - d), narrowed);
                Intersect(narrowed, inBox(y + d), light);
            }
            Subtract(here, View(light), edges);
        }
        around.count = 0;
        for (int i = 0; i < here.count; ++i) {
            around.Gather(here.at[i].begin - rim_, here.at[i].begin);
            around.Gather(here.at[i].end, here.at[i].end + rim_);
        }
        for (int d = 1; d <= rim_; ++d)
            for (const SpanRow& next : {inBox(y - d), inBox(y + d)})
                for (int i = 0; i < next.count; ++i) around.Gather(next.at[i].begin, next.at[i].end);
        around.Join();
        Subtract(View(around), here, rim);
        keep(light, kLight);
        keep(edges, kEdge);
        keep(rim, kRim);
        rowEnd_.push_back(static_cast<std::uint32_t>(runs.size()));
    }
    runs.shrink_to_fit();
    return true;
}

void SelectedLook::Draw(Surface& dest, const Surface& picture, int left, int top, Colour edge, Colour rim) const
{
    if (!usable || width_ <= 0 || height_ <= 0) return;
    // Columns of the box (one past it on each side) that lie on the destination.
    const long long fromX = std::max<long long>(-rim_, -static_cast<long long>(left));
    const long long toX = std::min<long long>(width_ + rim_, static_cast<long long>(dest.Width()) - left);
    if (fromX >= toX) return;
    const long long firstRow = std::max<long long>(-rim_, -static_cast<long long>(top));
    const long long endRow = std::min<long long>(height_ + rim_, static_cast<long long>(dest.Height()) - top);
    for (long long y = firstRow; y < endRow; ++y) {
        const Run* run = runs.data() + rowEnd_[static_cast<std::size_t>(y + rim_)];
        const Run* last = runs.data() + rowEnd_[static_cast<std::size_t>(y + rim_ + 1)];
        if (run == last) continue;
        Colour* row = dest.Row(static_cast<int>(top + y));
        for (; run != last; ++run) {
            const long long begin = std::max<long long>(run->begin, fromX), end = std::min<long long>(run->end, toX);
            if (begin >= end) continue;
            Colour* to = row + (left + begin);
            switch (run->kind) {
            case kLight:
                LightenRun(to, picture.Row(static_cast<int>(y)) + begin, static_cast<int>(end - begin));
                break;
            case kEdge: std::fill(to, to + (end - begin), edge); break;
            case kRim: std::fill(to, to + (end - begin), rim); break;
            }
        }
    }
}
