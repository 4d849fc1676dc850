// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowScaler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <future>
#include <system_error>
#include <thread>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Weights in 256ths: a weighted sum of one channel fits 16 bits, so across
// a row the four bytes of a pixel go through one 64-bit multiply in lanes
// of 16 bits; down the rows each channel is weighed in 16 bits again.
constexpr int kWeightBits = 8;
constexpr std::uint32_t kOne = 1u << kWeightBits;
// A target pixel's rows weighed in one pass when there are this many or
// fewer (every reduction and enlargement the game makes).
constexpr int kMostFastTaps = 4;
// Whole frames are split into bands of rows made side by side; parts
// smaller than this (a carried piece, the clock) are not worth a thread.
constexpr std::size_t kLeastBandPixels = 256 * 1024;
constexpr unsigned kMostBands = 4;

std::uint32_t Pack(std::uint32_t red, std::uint32_t green, std::uint32_t blue, bool swapRedBlue)
{
    return swapRedBlue ? (red << 16 | green << 8 | blue) : (blue << 16 | green << 8 | red);
}

std::uint32_t Convert(Colour colour, bool swapRedBlue)
{
    return Pack(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF, swapRedBlue);
}

// A frame pixel as the four bytes the window holds, in memory order, each
// in a lane of 16 bits, so that a weighted row comes out ready to send.
std::uint64_t SpreadAsSent(Colour colour, bool swapRedBlue)
{
    std::uint32_t sent = Convert(colour, swapRedBlue);
    if constexpr (std::endian::native == std::endian::big)
        sent = sent >> 24 | (sent >> 8 & 0xFF00) | (sent << 8 & 0xFF0000) | sent << 24;
    return (sent & 0xFFull) | (sent & 0xFF00ull) << 8 | (sent & 0xFF0000ull) << 16 | (sent & 0xFF000000ull) << 24;
}

// One target pixel across: `taps` spread frame pixels weighed.
template <int kTaps>
std::uint64_t Across(const std::uint64_t* spread, const std::uint16_t* weight, int taps)
{
    std::uint64_t sum = 0;
    const int n = kTaps > 0 ? kTaps : taps;
    for (int k = 0; k < n; ++k) sum += weight[k] * spread[k];
    return sum;
}

// One target row down from kTaps rows reduced across: each weight takes
// the high half of a 16-bit product (a row's share rounded down, off by
// less than a 256th of a level; a plain colour's share is exact), so that
// the loop runs sixteen channels at a time where the processor can.
template <int kTaps>
void Down(const std::uint16_t* const* rows, const std::uint16_t* weight, std::uint8_t* __restrict out,
          std::size_t count)
{
    std::uint16_t scaled[kTaps];
    for (int k = 0; k < kTaps; ++k)
        scaled[k] = static_cast<std::uint16_t>(std::min<std::uint32_t>(std::uint32_t{weight[k]} << 8, 0xFFFF));
    const std::uint16_t* __restrict row[kTaps];
    for (int k = 0; k < kTaps; ++k) row[k] = rows[k];
    std::size_t j = 0;
#if defined(__SSE2__)
    __m128i factor[kTaps];
    for (int k = 0; k < kTaps; ++k) factor[k] = _mm_set1_epi16(static_cast<short>(scaled[k]));
    const __m128i half = _mm_set1_epi16(1 << (kWeightBits - 1));
    for (; j + 16 <= count; j += 16) {
        __m128i low = half, high = half;
        for (int k = 0; k < kTaps; ++k) {
            const auto* from = reinterpret_cast<const __m128i*>(row[k] + j);
            low = _mm_add_epi16(low, _mm_mulhi_epu16(_mm_loadu_si128(from), factor[k]));
            high = _mm_add_epi16(high, _mm_mulhi_epu16(_mm_loadu_si128(from + 1), factor[k]));
        }
        low = _mm_srli_epi16(low, kWeightBits);
        high = _mm_srli_epi16(high, kWeightBits);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_packus_epi16(low, high));
    }
#endif
    for (; j < count; ++j) {
        std::uint16_t sum = 1u << (kWeightBits - 1);
        for (int k = 0; k < kTaps; ++k)
            sum = static_cast<std::uint16_t>(sum + ((std::uint32_t{row[k][j]} * scaled[k]) >> 16));
        out[j] = static_cast<std::uint8_t>(sum >> kWeightBits);
    }
}

// The same for a target pixel made of many rows (a window much smaller
// than the frame), exact in 32 bits.
void DownMany(const std::uint16_t* const* rows, const std::uint16_t* weight, int taps, std::uint32_t* sums,
              std::uint8_t* out, std::size_t count)
{
    std::fill(sums, sums + count, 1u << (2 * kWeightBits - 1));
    for (int k = 0; k < taps; ++k) {
        const std::uint32_t w = weight[k];
        if (w == 0) continue;
        const std::uint16_t* row = rows[k];
        for (std::size_t j = 0; j < count; ++j) sums[j] += w * row[j];
    }
    for (std::size_t j = 0; j < count; ++j)
        out[j] = static_cast<std::uint8_t>(std::min<std::uint32_t>(sums[j] >> 2 * kWeightBits, 255));
}

}  // namespace

WindowScaler::WindowScaler(int frameWidth, int frameHeight, int targetWidth, int targetHeight)
{
    across.Build(frameWidth, targetWidth);
    down.Build(frameHeight, targetHeight);
}

bool WindowScaler::Fits(int frameWidth, int frameHeight, int targetWidth, int targetHeight) const
{
    return across.frameSize == frameWidth && down.frameSize == frameHeight && across.size == targetWidth &&
           down.size == targetHeight;
}

void WindowScaler::Axis::Build(int frameSize_, int targetSize)
{
    frameSize = std::max(frameSize_, 0);
    size = frameSize > 0 ? std::max(targetSize, 0) : 0;
    first.assign(static_cast<std::size_t>(size), 0);
    if (size == 0) return;
    const double step = static_cast<double>(frameSize) / size;  // frame pixels a target pixel
    // Where the frame shrinks, a target pixel gathers what lies within one of
    // its own widths; where it grows, the two nearest frame pixels.
    const double radius = std::max(step, 1.0);
    // Every target pixel weighs a run of the same length (zero weights fill
    // it), so that the loops over the runs have a fixed length.
    // The frame pixels with a weight lie less than a radius from the centre:
    // at most the radius's double, rounded up.
    stride = std::min(static_cast<int>(std::ceil(2 * radius)), frameSize);
    weights.assign(static_cast<std::size_t>(size) * stride, 0);
    std::vector<double> taps(static_cast<std::size_t>(stride));
    for (int i = 0; i < size; ++i) {
        const double centre = (i + 0.5) * step - 0.5;
        const int from = std::clamp(static_cast<int>(std::floor(centre - radius)) + 1, 0, frameSize - stride);
        std::fill(taps.begin(), taps.end(), 0.0);
        double total = 0;
        for (int x = static_cast<int>(std::floor(centre - radius)); x <= static_cast<int>(std::ceil(centre + radius));
             ++x) {
            const double weight = 1.0 - std::abs(x - centre) / radius;
            if (weight <= 0) continue;
            // Frame pixels beyond an edge count as the edge pixel.
            const int at = std::clamp(x, from, from + stride - 1);
            taps[static_cast<std::size_t>(at - from)] += weight;
            total += weight;
        }
        first[static_cast<std::size_t>(i)] = from;
        // Rounded weights that add up to exactly one, so that a plain colour
        // stays that colour: what rounding lost goes to the largest.
        std::uint16_t* own = &weights[static_cast<std::size_t>(i) * stride];
        int sum = 0;
        int largest = 0;
        for (int k = 0; k < stride; ++k) {
            own[k] = static_cast<std::uint16_t>(std::lround(taps[static_cast<std::size_t>(k)] / total * kOne));
            sum += own[k];
            if (own[k] > own[largest]) largest = k;
        }
        own[largest] = static_cast<std::uint16_t>(own[largest] + (static_cast<int>(kOne) - sum));
    }
    laneWeights.assign(stride <= kMostFastTaps ? static_cast<std::size_t>(size) * 16 : 0, 0);
    for (std::size_t i = 0; i < laneWeights.size() / 16; ++i)
        for (std::size_t k = 0; k < static_cast<std::size_t>(stride); ++k)
            for (std::size_t channel = 0; channel < 3; ++channel)
                laneWeights[i * 16 + k * 4 + channel] = weights[i * static_cast<std::size_t>(stride) + k];
}

void WindowScaler::Axis::Reach(int from, int to, int& begin, int& end) const
{
    begin = 0;
    while (begin < size && first[static_cast<std::size_t>(begin)] + stride <= from)
        ++begin;
    end = begin;
    while (end < size && first[static_cast<std::size_t>(end)] < to) ++end;
}

ScreenRect WindowScaler::TargetArea(const PixelRect& changed) const
{
    const int left = std::max(changed.left, 0);
    const int right = std::min(changed.right, across.frameSize);
    const int top = std::max(changed.top, 0);
    const int bottom = std::min(changed.bottom, down.frameSize);
    if (left >= right || top >= bottom) return {};
    int x0, x1, y0, y1;
    across.Reach(left, right, x0, x1);
    down.Reach(top, bottom, y0, y1);
    if (x0 >= x1 || y0 >= y1) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

void WindowScaler::ScaleRow(const Surface& frame, int frameRow, int left, int right, bool swapRedBlue,
                           std::uint64_t* spread, std::uint16_t* sums) const
{
    const Colour* row = frame.Row(frameRow);
    // Only the frame pixels these target pixels reach.
    const int from = across.first[static_cast<std::size_t>(left)];
    const int to = across.first[static_cast<std::size_t>(right - 1)] + across.stride;
#if defined(__SSE2__)
    if (!across.laneWeights.empty()) {
        // Four frame pixels from the start of each run, their bytes in
        // 16-bit lanes, weighed and added: the run is copied first so that
        // the last loads stay inside it.
        auto* run = reinterpret_cast<Colour*>(spread);
        std::memcpy(run, row + from, static_cast<std::size_t>(to - from) * sizeof(Colour));
        std::fill(run + (to - from), run + (to - from) + kMostFastTaps, Colour{0});
        const __m128i zero = _mm_setzero_si128();
        for (int x = left; x < right; ++x) {
            const std::size_t at = static_cast<std::size_t>(x);
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run + (across.first[at] - from)));
            const auto* weight = reinterpret_cast<const __m128i*>(&across.laneWeights[at * 16]);
            __m128i sum = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pixels, zero), _mm_loadu_si128(weight)),
                                        _mm_mullo_epi16(_mm_unpackhi_epi8(pixels, zero), _mm_loadu_si128(weight + 1)));
            sum = _mm_add_epi16(sum, _mm_srli_si128(sum, 8));
            if (swapRedBlue) sum = _mm_shufflelo_epi16(sum, _MM_SHUFFLE(3, 0, 1, 2));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(sums + (at - static_cast<std::size_t>(left)) * 4), sum);
        }
        return;
    }
#endif
    for (int x = from; x < to; ++x) spread[x] = SpreadAsSent(row[x], swapRedBlue);
    const std::size_t stride = static_cast<std::size_t>(across.stride);
    auto run = [&](auto taps) {
        constexpr int kTaps = decltype(taps)::value;
        for (int x = left; x < right; ++x) {
            const std::size_t at = static_cast<std::size_t>(x);
            const std::uint64_t sum =
                Across<kTaps>(&spread[across.first[at]], &across.weights[at * stride], across.stride);
            std::memcpy(sums + static_cast<std::size_t>(x - left) * 4, &sum, sizeof sum);
        }
    };
    switch (across.stride) {
    case 1: run(std::integral_constant<int, 1>{}); break;
    case 2: run(std::integral_constant<int, 2>{}); break;
    case 3: run(std::integral_constant<int, 3>{}); break;
    case 4: run(std::integral_constant<int, 4>{}); break;
    default: run(std::integral_constant<int, 0>{}); break;
    }
}

void WindowScaler::Scale(const Surface& frame, const ScreenRect& area, std::uint32_t* target, std::ptrdiff_t pitch,
                         bool swapRedBlue) const
{
    if (frame.Width() != across.frameSize || frame.Height() != down.frameSize) return;
    const int left = std::max(area.x, 0);
    const int right = std::min(area.x + area.width, across.size);
    const int top = std::max(area.y, 0);
    const int bottom = std::min(area.y + area.height, down.size);
    if (left >= right || top >= bottom) return;
    if (across.size == across.frameSize && down.size == down.frameSize) {
        // The same size: every pixel is its own.
        for (int y = top; y < bottom; ++y) {
            const Colour* from = frame.Row(y);
            std::uint32_t* to = target + y * pitch;
            for (int x = left; x < right; ++x) to[x] = Convert(from[x], swapRedBlue);
        }
        return;
    }
    // A whole frame goes in bands, one a core; each band stands alone, so
    // the pixels are the same however many there are.
    const std::size_t pixels = static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bottom - top);
    static const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, kMostBands);
    const int bands = static_cast<int>(std::min<std::size_t>(cores, std::max<std::size_t>(pixels / kLeastBandPixels, 1)));
    const int rows = bottom - top;
    auto bandTop = [&](int band) { return top + rows * band / bands; };
    std::vector<std::future<void>> others;
    int launched = 1;
    for (; launched < bands; ++launched) {
        const int from = bandTop(launched), to = bandTop(launched + 1);
        try {
            others.push_back(std::async(std::launch::async, [=, this, &frame] {
                ScaleBand(frame, left, right, from, to, target, pitch, swapRedBlue);
            }));
        } catch (const std::system_error&) {
            break;  // no thread to be had: this one makes the rest
        }
    }
    ScaleBand(frame, left, right, top, bandTop(1), target, pitch, swapRedBlue);
    if (launched < bands) ScaleBand(frame, left, right, bandTop(launched), bottom, target, pitch, swapRedBlue);
    for (std::future<void>& other : others) other.get();
}

void WindowScaler::ScaleBand(const Surface& frame, int left, int right, int top, int bottom, std::uint32_t* target,
                             std::ptrdiff_t pitch, bool swapRedBlue) const
{
    // Frame rows reduced across once each, kept in a ring as long as the
    // target rows below still need them; four 16-bit channels a pixel.
    const std::size_t rowLength = static_cast<std::size_t>(right - left);
    const std::size_t channels = rowLength * 4;
    const std::size_t stride = static_cast<std::size_t>(down.stride);
    std::vector<std::uint16_t> ring(channels * stride);
    std::vector<int> ringRow(stride, -1);
    std::vector<const std::uint16_t*> rows(stride);
    std::vector<std::uint64_t> spread(static_cast<std::size_t>(frame.Width()) + kMostFastTaps);
    std::vector<std::uint32_t> sums(down.stride > kMostFastTaps ? channels : 0);
    // The frame pixels these target columns are made of.
    const int runFrom = across.first[static_cast<std::size_t>(left)];
    const std::size_t runBytes =
        static_cast<std::size_t>(across.first[static_cast<std::size_t>(right - 1)] + across.stride - runFrom) *
        sizeof(Colour);
    int lastMade = -1;
    std::size_t lastSlot = 0;
    for (int y = top; y < bottom; ++y) {
        const std::size_t at = static_cast<std::size_t>(y);
        for (std::size_t k = 0; k < stride; ++k) {
            const int frameRow = down.first[at] + static_cast<int>(k);
            const std::size_t slot = static_cast<std::size_t>(frameRow) % stride;
            std::uint16_t* row = &ring[slot * channels];
            if (ringRow[slot] != frameRow) {
                // A row just like the one made last (a plain background)
                // is that row again.
                const std::uint16_t* last = lastMade < 0 ? nullptr : &ring[lastSlot * channels];
                if (last && std::memcmp(frame.Row(lastMade) + runFrom, frame.Row(frameRow) + runFrom, runBytes) == 0) {
                    if (last != row) std::memcpy(row, last, channels * sizeof *row);
                } else {
                    ScaleRow(frame, frameRow, left, right, swapRedBlue, spread.data(), row);
                }
                ringRow[slot] = frameRow;
                lastMade = frameRow;
                lastSlot = slot;
            }
            rows[k] = row;
        }
        const std::uint16_t* weight = &down.weights[at * stride];
        auto* out = reinterpret_cast<std::uint8_t*>(target + y * pitch + left);
        switch (down.stride) {
        case 1: Down<1>(rows.data(), weight, out, channels); break;
        case 2: Down<2>(rows.data(), weight, out, channels); break;
        case 3: Down<3>(rows.data(), weight, out, channels); break;
        case 4: Down<4>(rows.data(), weight, out, channels); break;
        default: DownMany(rows.data(), weight, down.stride, sums.data(), out, channels); break;
        }
    }
}
