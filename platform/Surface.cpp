// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Surface.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Whole pieces are copied with the 8-pixel moves and masked stores of AVX2
// where the processor has them, chosen when the game runs.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PAVENDRA_AVX2_RUNS 1
#else
#define PAVENDRA_AVX2_RUNS 0
#endif

namespace {

// A dashed one-pixel pen draws 18 pixels and leaves 6.
constexpr long long kDashOn = 18;
constexpr long long kDashPeriod = 24;

// Clips a transfer of width x height from (srcX, srcY) in a source of
// srcW x srcH to (x, y) inside the rectangle dst of a destination. Works in 64 bits so
// that no position, however far outside, overflows. Answers false when
// nothing is left to copy.
struct Transfer {
    long long x, y, width, height, srcX, srcY;
};

bool ClipTransfer(Transfer& t, const PixelRect& dst, long long srcW, long long srcH)
{
    if (t.x < dst.left) { t.width -= dst.left - t.x; t.srcX += dst.left - t.x; t.x = dst.left; }
    if (t.y < dst.top) { t.height -= dst.top - t.y; t.srcY += dst.top - t.y; t.y = dst.top; }
    if (t.srcX < 0) { t.width += t.srcX; t.x -= t.srcX; t.srcX = 0; }
    if (t.srcY < 0) { t.height += t.srcY; t.y -= t.srcY; t.srcY = 0; }
    t.width = std::min({t.width, dst.right - t.x, srcW - t.srcX});
    t.height = std::min({t.height, dst.bottom - t.y, srcH - t.srcY});
    return t.width > 0 && t.height > 0;
}

// One row of a transparent copy: source pixels equal to the key are left out.
// Four pixels at a time where the processor allows: the board is redrawn
// with every piece each frame.
void CopyRowTransparent(Colour* __restrict to, const Colour* __restrict from, long long count, Colour key)
{
    long long i = 0;
#if defined(__SSE2__)
    const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
    for (; i + 4 <= count; i += 4) {
        __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        __m128i isKey = _mm_cmpeq_epi32(source, keys);
        int keyLanes = _mm_movemask_epi8(isKey);
        if (keyLanes == 0xFFFF) continue;  // all four left out, as outside a piece
        __m128i* target = reinterpret_cast<__m128i*>(to + i);
        if (keyLanes != 0) {
            __m128i kept = _mm_and_si128(isKey, _mm_loadu_si128(target));
            source = _mm_or_si128(kept, _mm_andnot_si128(isKey, source));
        }
        _mm_storeu_si128(target, source);
    }
#endif
    for (; i < count; ++i)
        if (from[i] != key) to[i] = from[i];
}

// One run of a recorded copy: the C library's copy, which uses the widest
// moves the processor has and sorts short lengths without a loop.
inline void CopyRun(Colour* __restrict to, const Colour* __restrict from, long long count)
{
    std::memcpy(to, from, static_cast<std::size_t>(count) * sizeof(Colour));
}

// One run of a recorded OR copy, four pixels at a time, inline: runs are
// short (a picture's row). The last four pixels are ORed as a block that may
// overlap the previous one, which ORs the same values again and changes nothing.
inline void OrRun(Colour* __restrict to, const Colour* __restrict from, long long count)
{
#if defined(__SSE2__)
    if (count >= 4) {
        auto orFour = [&](long long i) {
            __m128i* target = reinterpret_cast<__m128i*>(to + i);
            _mm_storeu_si128(target, _mm_or_si128(_mm_loadu_si128(target),
                                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i))));
        };
        for (long long i = 0; i + 4 < count; i += 4) orFour(i);
        orFour(count - 4);
        return;
    }
#endif
    for (long long i = 0; i < count; ++i) to[i] |= from[i];
}

// A source is worth recording once it was copied from unchanged this often:
// a surface drawn once after each change (a picture being built) never pays
// for a record it would not use.
constexpr int kCopiesBeforeRecording = 2;

bool plainCopies = false;
bool vectorRuns = true;

// Each row's runs of pixels that are not the key: see Surface::OpaqueRuns.
using RunOfPixels = Surface::PackedRun;

// Rows ahead of the one being copied whose destination is asked for early:
// a piece's rows lie a frame's width apart, which the processor does not
// guess by itself, and the board was just filled, so they are far away.
constexpr long long kRowsAhead = 4;

#if PAVENDRA_AVX2_RUNS
bool HasAvx2() { return __builtin_cpu_supports("avx2"); }

// Every run of a whole recorded source, rows `pitch` apart from `to`: each run
// in 8-pixel moves, its last part with a masked store that leaves the pixels
// past its end alone, so that a run costs no branch on its length beyond the
// count of moves. The last part is read with a mask as well: nothing past a
// run is read, and the last run ends the packed pixels.
__attribute__((target("avx2"))) void CopyWholeRunsAvx2(const RunOfPixels* run, const std::uint32_t* rowFirst,
                                                       std::size_t rows, const Colour* packed, Colour* to,
                                                       long long pitch)
{
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (std::size_t row = 0; row < rows; ++row, to += pitch) {
        const RunOfPixels* last = run + (rowFirst[row + 1] - rowFirst[row]);
        if (run != last) {
            const auto ahead = reinterpret_cast<std::uintptr_t>(to + run->begin) +
                               static_cast<std::uintptr_t>(kRowsAhead * pitch) * sizeof(Colour);
            for (int line = 0; line < 3; ++line)
                _mm_prefetch(reinterpret_cast<const char*>(ahead + 64 * line), _MM_HINT_T0);
        }
        for (; run != last; ++run) {
            const long long count = run->end - run->begin;
            const Colour* from = packed + run->first;
            Colour* target = to + run->begin;
            long long i = 0;
            for (; i + 8 <= count; i += 8)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + i),
                                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i)));
            if (i < count) {
                const __m256i kept = _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(count - i)), lanes);
                _mm256_maskstore_epi32(reinterpret_cast<int*>(target + i), kept,
                                       _mm256_maskload_epi32(reinterpret_cast<const int*>(from + i), kept));
            }
        }
    }
}
#endif

// count source pixels, each written k times across on each of `lines` lines
// `pitch` apart: a unit's square of pixels on a surface k times finer. At 2
// and 3 four source pixels at a time, spread by shuffles and stored on every
// line, with no line read back: scale-1 pieces on a larger frame are drawn
// this way every frame.
void EnlargeRun(Colour* to, const Colour* from, long long count, long long k)
{
    long long n = 0;
#if defined(__SSE2__)
    auto storeOnEveryLine = [&](long long at, __m128i pixels) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + at), pixels);
    };
    if (k == 2) {
        for (; n + 4 <= count; n += 4) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n));
            storeOnEveryLine(2 * n, _mm_unpacklo_epi32(four, four));
            storeOnEveryLine(2 * n + 4, _mm_unpackhi_epi32(four, four));
        }
    } else if (k == 3) {
        for (; n + 4 <= count; n += 4) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n));
            storeOnEveryLine(3 * n, _mm_shuffle_epi32(four, _MM_SHUFFLE(1, 0, 0, 0)));
            storeOnEveryLine(3 * n + 4, _mm_shuffle_epi32(four, _MM_SHUFFLE(2, 2, 1, 1)));
            storeOnEveryLine(3 * n + 8, _mm_shuffle_epi32(four, _MM_SHUFFLE(3, 3, 3, 2)));
        }
    }
#endif
    for (; n < count; ++n)
        std::fill_n(to + n * k, k, from[n]);
}

// count pixels from `to` set to colour.
void FillPixels(Colour* to, std::size_t count, Colour colour)
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // The processor's string store: it fills whole cache lines without reading
    // them first, which a loop of stores cannot, and the board is filled every frame.
    asm volatile("rep stosl" : "+D"(to), "+c"(count) : "a"(colour) : "memory");
#else
    std::fill(to, to + count, colour);
#endif
}

// std::lround of a value well inside the range of int, without a call: the
// whole part, then one step away from zero when the rest is a half or more
// (the rest is exact, a difference of two nearby doubles).
inline int RoundHalfAway(double value)
{
    const long long whole = static_cast<long long>(value);
    const double rest = value - static_cast<double>(whole);
    return static_cast<int>(rest >= 0.5 ? whole + 1 : rest <= -0.5 ? whole - 1 : whole);
}

// Floor and ceiling of a / b for b > 0.
__int128 FloorDiv(__int128 a, __int128 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
__int128 CeilDiv(__int128 a, __int128 b) { return -FloorDiv(-a, b); }

}  // namespace

// Each row's runs of pixels that are not the key, left to right, with their
// pixels packed one run after the other: a transparent copy is then one plain
// copy per run from memory read straight through, and an OR copy one OR loop
// per run. Read in place, a piece's rows would bring in half as many cache
// lines again (a run's ends share their lines with see-through pixels), and
// the board frame cost a tenth more. The recorded surface lets go of its own
// pixels (Surface::RunsFor), so the packed ones are the only copy.
struct Surface::OpaqueRuns {
    using Run = RunOfPixels;
    Colour key = kBlack;
    std::vector<std::uint32_t> rowFirst;  // runs of row y: [rowFirst[y], rowFirst[y + 1])
    std::vector<Run> runs;
    std::vector<Colour> pixels;  // the runs' pixels, one run after the other

    long long sourceWidth = 0;

    OpaqueRuns(const Surface& surface, Colour key_) : key(key_), sourceWidth(surface.width_)
    {
        rowFirst.reserve(static_cast<std::size_t>(surface.height_) + 1);
        for (int y = 0; y < surface.height_; ++y) {
            rowFirst.push_back(static_cast<std::uint32_t>(runs.size()));
            const Colour* line = surface.Row(y);
            int x = 0;
            while (x < surface.width_) {
                while (x < surface.width_ && line[x] == key) ++x;
                if (x == surface.width_) break;
                const int begin = x;
                while (x < surface.width_ && line[x] != key) ++x;
                runs.push_back({begin, x, static_cast<std::uint32_t>(pixels.size())});
                pixels.insert(pixels.end(), line + begin, line + x);
            }
        }
        rowFirst.push_back(static_cast<std::uint32_t>(runs.size()));
        runs.shrink_to_fit();
        pixels.shrink_to_fit();
    }

    // The recorded surface's pixels laid out in rows of `width`, key elsewhere.
    void Unpack(PixelRows& into) const
    {
        into.assign(static_cast<std::size_t>(sourceWidth) * (rowFirst.size() - 1), key);
        const Run* run = runs.data();
        for (std::size_t row = 1; row < rowFirst.size(); ++row) {
            Colour* line = into.data() + (row - 1) * static_cast<std::size_t>(sourceWidth);
            for (const Run* last = runs.data() + rowFirst[row]; run != last; ++run)
                std::copy(pixels.data() + run->first, pixels.data() + run->first + (run->end - run->begin),
                          line + run->begin);
        }
    }

    // The transfer takes the whole recorded surface.
    bool IsWhole(long long width, long long height, long long srcX, long long srcY) const
    {
        return srcX == 0 && srcY == 0 && width == sourceWidth && height + 1 == static_cast<long long>(rowFirst.size());
    }

    // The transparent copy of the recorded surface to (x, y) of dest.
    void CopyTo(Surface& dest, long long x, long long y, long long width, long long height, long long srcX,
                long long srcY) const
    {
#if PAVENDRA_AVX2_RUNS
        if (vectorRuns && IsWhole(width, height, srcX, srcY) && HasAvx2()) {
            CopyWholeRunsAvx2(runs.data(), rowFirst.data(), rowFirst.size() - 1, pixels.data(),
                              dest.RowOf(static_cast<int>(y)) + x, dest.width_);
            return;
        }
#endif
        ForEachRun(dest, x, y, width, height, srcX, srcY, CopyRun);
    }

    // Calls copy(to, from, count) for every part of a run inside the clipped
    // transfer to (x, y) of dest from (srcX, srcY) of the recorded surface.
    template <class CopyRun>
    void ForEachRun(Surface& dest, long long x, long long y, long long width, long long height, long long srcX,
                    long long srcY, CopyRun copy) const
    {
        const Colour* packed = pixels.data();
        if (IsWhole(width, height, srcX, srcY)) {
            // The whole source, as a piece on the board nearly always is: the
            // runs one after the other.
            const Run* run = runs.data();
            Colour* to = dest.RowOf(static_cast<int>(y)) + x;
            const long long pitch = dest.width_;
            for (std::size_t row = 1; row < rowFirst.size(); ++row, to += pitch) {
                for (const Run* last = runs.data() + rowFirst[row]; run != last; ++run)
                    copy(to + run->begin, packed + run->first, run->end - run->begin);
            }
            return;
        }
        const long long srcEnd = srcX + width;
        for (long long row = 0; row < height; ++row) {
            const std::size_t sourceRow = static_cast<std::size_t>(srcY + row);
            const Run* run = runs.data() + rowFirst[sourceRow];
            const Run* last = runs.data() + rowFirst[sourceRow + 1];
            if (run == last) continue;
            Colour* to = dest.RowOf(static_cast<int>(y + row)) + x - srcX;
            for (; run != last; ++run) {
                const long long begin = std::max<long long>(run->begin, srcX);
                const long long end = std::min<long long>(run->end, srcEnd);
                if (begin < end) copy(to + begin, packed + run->first + (begin - run->begin), end - begin);
            }
        }
    }
};

const Surface::OpaqueRuns* Surface::RunsFor(Colour key) const
{
    if (plainCopies) return nullptr;
    if (runs_ && runs_->key == key) return runs_.get();
    if (++unchangedCopies_ < kCopiesBeforeRecording) return nullptr;
    runs_ = std::make_shared<const OpaqueRuns>(*this, key);
    // The record holds every pixel that is not the key: the rows go until
    // they are read again.
    PixelRows().swap(pixels_);
    packed_ = true;
    return runs_.get();
}

void Surface::Pack() const
{
    if (IsEmpty() || packed_) return;
    if (!runs_ || runs_->key != kBlack) runs_ = std::make_shared<const OpaqueRuns>(*this, kBlack);
    PixelRows().swap(pixels_);
    packed_ = true;
}

std::size_t Surface::MemoryBytes() const
{
    std::size_t bytes = pixels_.capacity() * sizeof(Colour);
    if (runs_)
        bytes += runs_->pixels.capacity() * sizeof(Colour) + runs_->runs.capacity() * sizeof(RunOfPixels) +
                 runs_->rowFirst.capacity() * sizeof(std::uint32_t);
    return bytes;
}

bool Surface::RecordedRow(int y, const PackedRun*& first, const PackedRun*& last, const Colour*& packed) const
{
    if (!runs_ || runs_->key != kBlack) return false;
    const std::size_t row = static_cast<std::size_t>(y);
    first = runs_->runs.data() + runs_->rowFirst[row];
    last = runs_->runs.data() + runs_->rowFirst[row + 1];
    packed = runs_->pixels.data();
    return true;
}

void Surface::BlitTransparentAtPixel(long long x, long long y, const Surface& src, Colour key)
{
    if (src.IsEmpty()) return;
    if (&src == this || src.scale_ != scale_) {
        const long long s = scale_;
        BlitTransparent(static_cast<int>(FloorDiv(x, s)), static_cast<int>(FloorDiv(y, s)), src.UnitWidth(),
                        src.UnitHeight(), src, 0, 0, key);
        return;
    }
    BlitTransparentPixels(x, y, src.width_, src.height_, src, 0, 0, key);
}

void Surface::Unpack() const
{
    runs_->Unpack(pixels_);
    packed_ = false;
}

void Surface::UsePlainCopies(bool plain) { plainCopies = plain; }
void Surface::UseVectorRuns(bool use) { vectorRuns = use; }
bool Surface::PlainCopies() { return plainCopies; }

Surface::Surface(int width, int height)
{
    if (width > 0 && height > 0) {
        width_ = width;
        height_ = height;
        clip_ = PixelRect{0, 0, width, height};
        pixels_.assign(static_cast<std::size_t>(width) * height, kBlack);
    }
}

Surface Surface::Unfilled(int width, int height)
{
    Surface surface;
    if (width > 0 && height > 0) {
        surface.width_ = width;
        surface.height_ = height;
        surface.clip_ = PixelRect{0, 0, width, height};
        surface.pixels_.resize(static_cast<std::size_t>(width) * height);
    }
    return surface;
}

Surface Surface::Scaled(int width, int height, int scale)
{
    scale = std::clamp(scale, 1, kMaxScale);
    if (width <= 0 || height <= 0) return {};
    Surface surface(width * scale, height * scale);
    surface.scale_ = surface.IsEmpty() ? 1 : scale;
    return surface;
}

bool Surface::TakeScale(int scale)
{
    if (scale < 1 || scale > kMaxScale || width_ % scale != 0 || height_ % scale != 0) return false;
    scale_ = IsEmpty() ? 1 : scale;
    ResetClip();
    Changed();
    return true;
}

Colour Surface::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColour;
    return Row(y)[x];
}

void Surface::SetPixel(int x, int y, Colour colour)
{
    if (x < clip_.left || y < clip_.top || x >= clip_.right || y >= clip_.bottom) return;
    Changed();
    RowOf(y)[x] = colour & 0xFFFFFF;
}

void Surface::Fill(Colour colour)
{
    if (HasClip()) {
        FillPixelRect(0, 0, width_, height_, colour);
        return;
    }
    Changed();
    FillPixels(pixels_.data(), pixels_.size(), colour & 0xFFFFFF);
}

void Surface::FillRect(int x, int y, int width, int height, Colour colour)
{
    const long long s = scale_;
    FillPixelRect(x * s, y * s, width * s, height * s, colour);
}

void Surface::SetClip(int x, int y, int width, int height)
{
    const long long s = scale_;
    const long long left = std::clamp<long long>(x * s, 0, width_), top = std::clamp<long long>(y * s, 0, height_);
    const long long right = std::clamp<long long>((static_cast<long long>(x) + std::max(width, 0)) * s, left, width_);
    const long long bottom = std::clamp<long long>((static_cast<long long>(y) + std::max(height, 0)) * s, top, height_);
    clip_ = PixelRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
}

void Surface::FillPixelRect(long long x, long long y, long long width, long long height, Colour colour)
{
    long long x0 = std::max<long long>(clip_.left, x), y0 = std::max<long long>(clip_.top, y);
    long long x1 = std::min<long long>(x + width, clip_.right);
    long long y1 = std::min<long long>(y + height, clip_.bottom);
    if (x0 >= x1 || y0 >= y1) return;
    Changed();
    if (x0 == 0 && x1 == width_) {  // whole rows, as a screen cleared each frame: one block
        FillPixels(RowOf(static_cast<int>(y0)), static_cast<std::size_t>((y1 - y0) * width_), colour & 0xFFFFFF);
        return;
    }
    for (long long row = y0; row < y1; ++row)
        FillPixels(RowOf(static_cast<int>(row)) + x0, static_cast<std::size_t>(x1 - x0), colour & 0xFFFFFF);
}

void Surface::Blit(int x, int y, int width, int height, const Surface& src, int srcX, int srcY, RasterOp op)
{
    if (&src == this) {  // a copy within one surface reads the pixels as they were
        const Surface before = src;
        Blit(x, y, width, height, before, srcX, srcY, op);
        return;
    }
    const long long s = scale_, t = src.scale_;
    if (s == t) {
        BlitPixels(x * s, y * s, width * s, height * s, src, srcX * s, srcY * s, op);
        return;
    }
    const Combine combine = op == RasterOp::Copy ? Combine::Copy : op == RasterOp::And ? Combine::And : Combine::Paint;
    Resample(x * s, y * s, width * s, height * s, src, srcX * t, srcY * t, width * t, height * t, combine, kBlack);
}

void Surface::BlitPixels(long long x, long long y, long long width, long long height, const Surface& src,
                         long long srcX, long long srcY, RasterOp op)
{
    Transfer t{x, y, width, height, srcX, srcY};
    if (!ClipTransfer(t, clip_, src.width_, src.height_)) return;
    Changed();
    // OR with black changes nothing: only the source's runs of other pixels count.
    if (op == RasterOp::Paint) {
        if (const OpaqueRuns* runs = src.RunsFor(kBlack)) {
            runs->ForEachRun(*this, t.x, t.y, t.width, t.height, t.srcX, t.srcY, OrRun);
            return;
        }
    }
    for (long long row = 0; row < t.height; ++row) {
        const Colour* from = src.Row(static_cast<int>(t.srcY + row)) + t.srcX;
        Colour* to = RowOf(static_cast<int>(t.y + row)) + t.x;
        switch (op) {
        case RasterOp::Copy:
            std::copy(from, from + t.width, to);
            break;
        case RasterOp::And:
            for (long long i = 0; i < t.width; ++i) to[i] &= from[i];
            break;
        case RasterOp::Paint:
            for (long long i = 0; i < t.width; ++i) to[i] |= from[i];
            break;
        }
    }
}

void Surface::BlitTransparent(int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
                              Colour key)
{
    if (&src == this) {
        const Surface before = src;
        BlitTransparent(x, y, width, height, before, srcX, srcY, key);
        return;
    }
    const long long s = scale_, u = src.scale_;
    if (s == u) {
        BlitTransparentPixels(x * s, y * s, width * s, height * s, src, srcX * s, srcY * s, key);
        return;
    }
    Resample(x * s, y * s, width * s, height * s, src, srcX * u, srcY * u, width * u, height * u, Combine::Keyed, key);
}

void Surface::BlitTransparentPixels(long long x, long long y, long long width, long long height, const Surface& src,
                                    long long srcX, long long srcY, Colour key)
{
    Transfer t{x, y, width, height, srcX, srcY};
    if (!ClipTransfer(t, clip_, src.width_, src.height_)) return;
    Changed();
    if (const OpaqueRuns* runs = src.RunsFor(key)) {
        runs->CopyTo(*this, t.x, t.y, t.width, t.height, t.srcX, t.srcY);
        return;
    }
    for (long long row = 0; row < t.height; ++row)
        CopyRowTransparent(RowOf(static_cast<int>(t.y + row)) + t.x, src.Row(static_cast<int>(t.srcY + row)) + t.srcX,
                           t.width, key);
}

// Each destination pixel takes the source pixel under its centre.
void Surface::StretchBlit(int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
                          int srcWidth, int srcHeight)
{
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0 || src.IsEmpty() || IsEmpty()) return;
    if (&src == this) {
        const Surface before = src;
        StretchBlit(x, y, width, height, before, srcX, srcY, srcWidth, srcHeight);
        return;
    }
    const long long s = scale_, t = src.scale_;
    Resample(x * s, y * s, width * s, height * s, src, srcX * t, srcY * t, srcWidth * t, srcHeight * t,
             Combine::Copy, kBlack);
}

void Surface::Resample(long long x, long long y, long long width, long long height, const Surface& src,
                       long long srcX, long long srcY, long long srcWidth, long long srcHeight, Combine combine,
                       Colour key)
{
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0 || src.IsEmpty() || IsEmpty()) return;
    // A whole number of pixels here for each source pixel (scale-1 art and
    // pieces on a back buffer of scale 2 or 3): each source pixel is read
    // once a row and written as a run.
    if (width % srcWidth == 0 && height % srcHeight == 0 && width / srcWidth == height / srcHeight &&
        width / srcWidth > 1 && (combine == Combine::Copy || combine == Combine::Keyed)) {
        EnlargeWhole(x, y, width / srcWidth, srcWidth, srcHeight, src, srcX, srcY, combine == Combine::Keyed, key);
        return;
    }
    const long long firstCol = std::max<long long>(0, clip_.left - x);
    const long long endCol = std::min<long long>(width, clip_.right - x);
    const long long firstRow = std::max<long long>(0, clip_.top - y);
    const long long endRow = std::min<long long>(height, clip_.bottom - y);
    if (firstCol >= endCol || firstRow >= endRow) return;
    Changed();

    // In 128 bits: the units of a far-off position times the scale times a
    // column would not fit in 64.
    auto under = [](long long start, long long index, long long srcSize, long long size) {
        return static_cast<long long>(start + (2 * static_cast<__int128>(index) + 1) * srcSize / (2 * size));
    };
    std::vector<long long> sourceColumn(static_cast<std::size_t>(endCol - firstCol));
    for (long long col = firstCol; col < endCol; ++col) sourceColumn[col - firstCol] = under(srcX, col, srcWidth, width);
    for (long long row = firstRow; row < endRow; ++row) {
        long long sy = under(srcY, row, srcHeight, height);
        if (sy < 0 || sy >= src.height_) continue;
        const Colour* from = src.Row(static_cast<int>(sy));
        Colour* to = RowOf(static_cast<int>(y + row));
        for (long long col = firstCol; col < endCol; ++col) {
            long long sx = sourceColumn[col - firstCol];
            if (sx < 0 || sx >= src.width_) continue;
            const Colour pixel = from[sx];
            Colour& target = to[x + col];
            switch (combine) {
            case Combine::Copy: target = pixel; break;
            case Combine::And: target &= pixel; break;
            case Combine::Paint: target |= pixel; break;
            case Combine::Keyed:
                if (pixel != key) target = pixel;
                break;
            }
        }
    }
}

void Surface::EnlargeWhole(long long x, long long y, long long k, long long srcWidth, long long srcHeight,
                           const Surface& src, long long srcX, long long srcY, bool keyed, Colour key)
{
    // The source columns and rows whose squares reach this surface and lie in the source.
    const PixelRect& c = clip_;
    const long long firstCol = std::max({0LL, -srcX, x < c.left ? (c.left - x) / k : 0LL});
    const long long endCol = std::min({srcWidth, src.width_ - srcX, (c.right - x + k - 1) / k});
    const long long firstRow = std::max({0LL, -srcY, y < c.top ? (c.top - y) / k : 0LL});
    const long long endRow = std::min({srcHeight, src.height_ - srcY, (c.bottom - y + k - 1) / k});
    if (firstCol >= endCol || firstRow >= endRow) return;
    Changed();
    const long long left = std::max<long long>(c.left, x + firstCol * k);
    const long long right = std::min<long long>(c.right, x + endCol * k);
    // Each source row is enlarged into its k lines at once, a run of the
    // source's pixels at a time (keyed: the runs of other pixels, as recorded
    // once the source was copied often enough).
    const OpaqueRuns* recorded = keyed ? src.RunsFor(key) : nullptr;
    for (long long row = firstRow; row < endRow; ++row) {
        const long long top = std::max<long long>(c.top, y + row * k);
        const long long bottom = std::min<long long>(c.bottom, y + (row + 1) * k);
        if (top >= bottom) continue;
        Colour* first = RowOf(static_cast<int>(top));
        // Source columns [runStart, runEnd) (relative to srcX), pixel sc at run[sc - runStart].
        auto enlarge = [&](long long runStart, long long runEnd, const Colour* run) {
            const long long begin = std::max(left, x + runStart * k), end = std::min(right, x + runEnd * k);
            if (begin >= end) return;
            // Whole squares inside the clip, then the clipped ends.
            const long long innerFirst = std::max(runStart, (begin - x + k - 1) / k);
            const long long innerEnd = std::min(runEnd, (end - x) / k);
            for (long long i = begin; i < std::min(end, x + innerFirst * k); ++i)
                first[i] = run[(i - x) / k - runStart];
            EnlargeRun(first + x + innerFirst * k, run + (innerFirst - runStart), std::max(0LL, innerEnd - innerFirst),
                       k);
            for (long long i = std::max(begin, x + innerEnd * k); i < end; ++i) first[i] = run[(i - x) / k - runStart];
            for (long long line = top + 1; line < bottom; ++line)
                std::copy(first + begin, first + end, RowOf(static_cast<int>(line)) + begin);
        };
        const long long sourceRow = srcY + row;
        if (recorded) {
            const std::size_t rowIndex = static_cast<std::size_t>(sourceRow);
            const OpaqueRuns::Run* run = recorded->runs.data() + recorded->rowFirst[rowIndex];
            const OpaqueRuns::Run* last = recorded->runs.data() + recorded->rowFirst[rowIndex + 1];
            for (; run != last; ++run) {
                const long long runStart = std::max(firstCol, run->begin - srcX);
                const long long runEnd = std::min(endCol, run->end - srcX);
                if (runStart < runEnd)
                    enlarge(runStart, runEnd, recorded->pixels.data() + run->first + (runStart + srcX - run->begin));
            }
            continue;
        }
        const Colour* from = src.Row(static_cast<int>(sourceRow)) + srcX;
        long long col = firstCol;
        while (col < endCol) {
            if (keyed) {
                while (col < endCol && from[col] == key) ++col;
                if (col == endCol) break;
            }
            const long long runStart = col;
            if (keyed) {
                while (col < endCol && from[col] != key) ++col;
            } else {
                col = endCol;
            }
            enlarge(runStart, col, from + runStart);
        }
    }
}

Pen Surface::SelectPen(const Pen& pen)
{
    Pen previous = pen_;
    pen_ = pen;
    return previous;
}

void Surface::MoveTo(int x, int y)
{
    position_ = {x, y};
    dashPhase_ = 0;
}

void Surface::LineTo(int x, int y)
{
    // At a larger scale the line is walked unit by unit, each unit's pixels
    // covered whole: straight lines and dashes then end where they end at
    // scale 1.
    unitSteps_ = scale_ > 1;
    DrawLine(position_.x, position_.y, x, y, false);
    unitSteps_ = false;
    position_ = {x, y};
}

void Surface::PlotPen(long long x, long long y, long long phase)
{
    if (unitSteps_) {
        if (pen_.width <= 1 && pen_.style == PenStyle::Dash && phase % kDashPeriod >= kDashOn) return;
        x *= scale_;
        y *= scale_;
        phase = 0;  // the dash was decided in units
    }
    if (PenSize() <= 1) {
        bool on = pen_.style != PenStyle::Dash || phase % kDashPeriod < kDashOn;
        if (on && x >= clip_.left && y >= clip_.top && x < clip_.right && y < clip_.bottom) {
            Changed();
            RowOf(static_cast<int>(y))[x] = pen_.colour & 0xFFFFFF;
        }
        return;
    }
    // A one-unit pen at a larger scale covers the unit's pixels and keeps its
    // dashes, scale times as long.
    if (pen_.width <= 1 && pen_.style == PenStyle::Dash && phase % (kDashPeriod * scale_) >= kDashOn * scale_) return;
    // Wide pens are solid squares centred on the path.
    const long long low = PenLow(), size = PenSize();
    long long x0 = std::max<long long>(clip_.left, x + low), y0 = std::max<long long>(clip_.top, y + low);
    long long x1 = std::min<long long>(clip_.right, x + low + size);
    long long y1 = std::min<long long>(clip_.bottom, y + low + size);
    if (x0 >= x1 || y0 >= y1) return;
    Changed();
    for (long long row = y0; row < y1; ++row) {
        Colour* line = RowOf(static_cast<int>(row));
        std::fill(line + x0, line + x1, pen_.colour & 0xFFFFFF);
    }
}

// Pixel i of a line of n steps along its longer axis lies i steps along that
// axis and round(i * shorter / n) steps along the other, halves rounded
// forward. Only the pixels whose pen can touch the surface are visited, so a
// line from far outside costs no more than one across it.
void Surface::DrawLine(int x0, int y0, int x1, int y1, bool includeEnd)
{
    const long long dx = static_cast<long long>(x1) - x0, dy = static_cast<long long>(y1) - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long n = std::max(std::llabs(dx), std::llabs(dy));
    const long long pixels = includeEnd ? n + 1 : n;
    const long long startPhase = dashPhase_;
    dashPhase_ += pixels;
    if (pixels == 0 || IsEmpty()) return;
    if (n == 0) {
        PlotPen(x0, y0, startPhase);
        return;
    }

    const long long major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const long long majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const long long minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long shorter = std::llabs(xMajor ? dy : dx);
    // A wide pen reaches past its centre. Unit by unit, everything counts in units.
    const long long margin = unitSteps_ ? std::max(pen_.width, 1) : std::max(PenSize(), 1LL);
    const long long surfaceWidth = unitSteps_ ? UnitWidth() : width_;
    const long long surfaceHeight = unitSteps_ ? UnitHeight() : height_;
    const long long majorSize = xMajor ? surfaceWidth : surfaceHeight, minorSize = xMajor ? surfaceHeight : surfaceWidth;

    // A line whose ends both lie where its pen can touch the surface lies
    // there whole (the curves of a piece's outline are hundreds of such short
    // lines): every step is walked without clipping.
    const auto reaches = [margin](long long v, long long size) { return v >= -margin && v <= size - 1 + margin; };
    if (reaches(x0, surfaceWidth) && reaches(x1, surfaceWidth) && reaches(y0, surfaceHeight) &&
        reaches(y1, surfaceHeight)) {
        WalkLine(major0, minor0, majorStep, minorStep, xMajor, n, shorter, 0, pixels - 1, 0, n, startPhase);
        return;
    }

    // Steps i in [first, last] whose major coordinate lies on the surface.
    __int128 first = 0, last = pixels - 1;
    const long long majorLow = -margin, majorHigh = majorSize - 1 + margin;
    if (majorStep > 0) {
        first = std::max<__int128>(first, majorLow - major0);
        last = std::min<__int128>(last, majorHigh - major0);
    } else {
        first = std::max<__int128>(first, major0 - majorHigh);
        last = std::min<__int128>(last, major0 - majorLow);
    }
    // The minor offset of step i, floor((2 i shorter + n) / 2n), never falls
    // as i grows: keep the steps whose offset lies in [offLow, offHigh].
    const long long minorLow = -margin, minorHigh = minorSize - 1 + margin;
    const __int128 offLow = minorStep > 0 ? minorLow - minor0 : minor0 - minorHigh;
    const __int128 offHigh = minorStep > 0 ? minorHigh - minor0 : minor0 - minorLow;
    if (shorter == 0) {
        if (offLow > 0 || offHigh < 0) return;
    } else {
        const __int128 twiceN = 2 * static_cast<__int128>(n), twiceShorter = 2 * static_cast<__int128>(shorter);
        first = std::max(first, CeilDiv(twiceN * offLow - n, twiceShorter));
        last = std::min(last, CeilDiv(twiceN * (offHigh + 1) - n, twiceShorter) - 1);
    }
    if (first > last) return;

    // Walk from the first visible step with the offset's remainder as the error term.
    const __int128 numerator = 2 * first * shorter + n;
    WalkLine(major0, minor0, majorStep, minorStep, xMajor, n, shorter, static_cast<long long>(first),
             static_cast<long long>(last), static_cast<long long>(numerator / (2 * n)),
             static_cast<long long>(numerator % (2 * n)), startPhase);
}

// Plots steps first..last of a line of n steps along its major axis, from the
// first step's minor offset and error term (the quotient and remainder of
// 2 first shorter + n by 2n).
void Surface::WalkLine(long long major0, long long minor0, long long majorStep, long long minorStep, bool xMajor,
                       long long n, long long shorter, long long first, long long last, long long offset,
                       long long remainder, long long startPhase)
{
    const long long twiceN = 2 * n;
    if (PenSize() <= 1) {
        // A thin pen's pixels straight into the rows: the commonest lines by far.
        Changed();
        const Colour colour = pen_.colour & 0xFFFFFF;
        const bool dashed = pen_.style == PenStyle::Dash;
        for (long long i = first; i <= last; ++i) {
            const long long major = major0 + majorStep * i, minor = minor0 + minorStep * offset;
            const long long x = xMajor ? major : minor, y = xMajor ? minor : major;
            if ((!dashed || (startPhase + i) % kDashPeriod < kDashOn) && x >= clip_.left && y >= clip_.top &&
                x < clip_.right && y < clip_.bottom)
                RowOf(static_cast<int>(y))[x] = colour;
            remainder += 2 * shorter;
            if (remainder >= twiceN) {
                remainder -= twiceN;
                ++offset;
            }
        }
        return;
    }
    for (long long i = first; i <= last; ++i) {
        long long major = major0 + majorStep * i, minor = minor0 + minorStep * offset;
        PlotPen(xMajor ? major : minor, xMajor ? minor : major, startPhase + i);
        remainder += 2 * shorter;
        if (remainder >= twiceN) {
            remainder -= twiceN;
            ++offset;
        }
    }
}

void Surface::PolyBezier(const Point* points, int count)
{
    if (!points || count < 4) return;
    if (scale_ == 1) {
        PolyBezierPixels(points, count);
        return;
    }
    // The curve through the same points in pixels: as smooth as the pixels allow.
    std::vector<Point> inPixels(points, points + count);
    for (Point& p : inPixels) {
        p.x = static_cast<int>(std::clamp<long long>(static_cast<long long>(p.x) * scale_, INT_MIN / 2, INT_MAX / 2));
        p.y = static_cast<int>(std::clamp<long long>(static_cast<long long>(p.y) * scale_, INT_MIN / 2, INT_MAX / 2));
    }
    PolyBezierPixels(inPixels.data(), count);
}

void Surface::PolyBezierPixels(const Point* points, int count)
{
    // A thin solid pen's chords of a couple of pixels between points on the
    // surface (nearly all of them) are walked right here, as DrawLine would.
    const bool thin = PenSize() <= 1 && pen_.style == PenStyle::Solid;
    auto onSurface = [this](Point p) {
        return p.x >= clip_.left && p.y >= clip_.top && p.x < clip_.right && p.y < clip_.bottom;
    };
    const Colour colour = pen_.colour & 0xFFFFFF;
    if (thin) Changed();
    auto WalkThin = [&](Point from, Point to) {
        const int dx = to.x - from.x, dy = to.y - from.y;
        if (dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2) {
            // Up to two pixels, without a branch that the processor could
            // guess wrong: the first, then with two steps the second, which
            // lies one step along each axis that moves at all. With no step
            // the first is drawn all the same: that point is drawn anyway,
            // by the next chord from it that moves or at the curve's end.
            const int n = std::max(std::abs(dx), std::abs(dy));
            RowOf(from.y)[from.x] = colour;
            const bool two = n == 2;
            const int secondX = from.x + (two ? (dx > 0) - (dx < 0) : 0);
            const int secondY = from.y + (two ? (dy > 0) - (dy < 0) : 0);
            RowOf(secondY)[secondX] = colour;
            dashPhase_ += n;
            return;
        }
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        const int n = std::max(std::abs(dx), std::abs(dy)), shorter = std::min(std::abs(dx), std::abs(dy));
        const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1, minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
        const int major0 = xMajor ? from.x : from.y, minor0 = xMajor ? from.y : from.x;
        int offset = 0, remainder = n;
        for (int i = 0; i < n; ++i) {
            const int major = major0 + majorStep * i, minor = minor0 + minorStep * offset;
            RowOf(xMajor ? minor : major)[xMajor ? major : minor] = colour;
            remainder += 2 * shorter;
            if (remainder >= 2 * n) {
                remainder -= 2 * n;
                ++offset;
            }
        }
        dashPhase_ += n;
    };
    for (int start = 0; start + 3 < count; start += 3) {
        const Point& p0 = points[start];
        const Point& p1 = points[start + 1];
        const Point& p2 = points[start + 2];
        const Point& p3 = points[start + 3];
        // Enough steps that no chord is longer than about two pixels.
        double hull = std::hypot(double(p1.x) - p0.x, double(p1.y) - p0.y) +
                      std::hypot(double(p2.x) - p1.x, double(p2.y) - p1.y) +
                      std::hypot(double(p3.x) - p2.x, double(p3.y) - p2.y);
        int steps = static_cast<int>(std::clamp(std::ceil(hull / 2.0), 1.0, 4096.0));
        // Read once: the pixels drawn below could, as far as the compiler
        // knows, be the points themselves.
        const double x0 = p0.x, x1 = p1.x, x2 = p2.x, x3 = p3.x, y0 = p0.y, y1 = p1.y, y2 = p2.y, y3 = p3.y;
        const double stepCount = steps;
        const Point last = p3;
        Point from = p0;
        for (int i = 1; i <= steps; ++i) {
            double t = static_cast<double>(i) / stepCount, u = 1.0 - t;
            double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            // The curve stays inside the hull of its points, so the rounded point fits an int.
            Point to{RoundHalfAway(a * x0 + b * x1 + c * x2 + d * x3), RoundHalfAway(a * y0 + b * y1 + c * y2 + d * y3)};
            if (i == steps) to = last;
            if (thin && onSurface(from) && onSurface(to))
                WalkThin(from, to);
            else
                DrawLine(from.x, from.y, to.x, to.y, false);
            from = to;
        }
    }
    const Point& end = points[3 * ((count - 1) / 3)];
    PlotPen(end.x, end.y, dashPhase_);
}
