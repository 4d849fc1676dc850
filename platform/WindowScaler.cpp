// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowScaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

// Weights in 256ths: a weighted sum of one channel fits 16 bits, so across
// a row the three channels of a pixel go through one 64-bit multiply in
// lanes of 16 bits (red, green, blue from the bottom, then an empty one);
// down the rows each channel gets 32 bits.
constexpr int kWeightBits = 8;
constexpr std::uint32_t kOne = 1u << kWeightBits;

std::uint64_t Spread(Colour colour)
{
    return (colour & 0xFFull) | (colour & 0xFF00ull) << 8 | (colour & 0xFF0000ull) << 16;
}

std::uint32_t Pack(std::uint32_t red, std::uint32_t green, std::uint32_t blue, bool swapRedBlue)
{
    return swapRedBlue ? (red << 16 | green << 8 | blue) : (blue << 16 | green << 8 | red);
}

std::uint32_t Convert(Colour colour, bool swapRedBlue)
{
    return Pack(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF, swapRedBlue);
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

// Rows reduced across, weighed down into `sums` (four channels a pixel, in
// 16.16 fixed point): one plain loop per row that the compiler makes into
// vector instructions.
void AddWeighed(std::uint32_t* sums, const std::uint16_t* row, std::uint32_t weight, std::size_t count)
{
    for (std::size_t j = 0; j < count; ++j) sums[j] += weight * row[j];
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
    count.assign(static_cast<std::size_t>(size), 0);
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
        count[static_cast<std::size_t>(i)] = stride;
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
}

void WindowScaler::Axis::Reach(int from, int to, int& begin, int& end) const
{
    begin = 0;
    while (begin < size && first[static_cast<std::size_t>(begin)] + count[static_cast<std::size_t>(begin)] <= from)
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

void WindowScaler::ScaleRow(const Surface& frame, int frameRow, int left, int right, std::uint16_t* sums) const
{
    const Colour* row = frame.Row(frameRow);
    const std::size_t width = static_cast<std::size_t>(frame.Width());
    if (spreadRow.size() < width) spreadRow.resize(width);
    // Only the frame pixels these target pixels reach.
    const int from = across.first[static_cast<std::size_t>(left)];
    const int to = across.first[static_cast<std::size_t>(right - 1)] + across.stride;
    for (int x = from; x < to; ++x) spreadRow[static_cast<std::size_t>(x)] = Spread(row[x]);
    const std::size_t stride = static_cast<std::size_t>(across.stride);
    auto run = [&](auto taps) {
        constexpr int kTaps = decltype(taps)::value;
        for (int x = left; x < right; ++x) {
            const std::size_t at = static_cast<std::size_t>(x);
            const std::uint64_t sum = Across<kTaps>(&spreadRow[static_cast<std::size_t>(across.first[at])],
                                                    &across.weights[at * stride], across.stride);
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
    // Frame rows reduced across once each, kept in a ring as long as the
    // target rows below still need them; four 16-bit channels a pixel.
    const std::size_t rowLength = static_cast<std::size_t>(right - left);
    const std::size_t stride = static_cast<std::size_t>(down.stride);
    std::vector<std::uint16_t> ring(rowLength * 4 * stride);
    std::vector<int> ringRow(stride, -1);
    std::vector<std::uint32_t> sums(rowLength * 4);
    constexpr std::uint32_t half = 1u << (2 * kWeightBits - 1);
    // The frame pixels these target columns are made of.
    const int runFrom = across.first[static_cast<std::size_t>(left)];
    const std::size_t runBytes =
        static_cast<std::size_t>(across.first[static_cast<std::size_t>(right - 1)] + across.stride - runFrom) *
        sizeof(Colour);
    int lastMade = -1;
    std::size_t lastSlot = 0;
    for (int y = top; y < bottom; ++y) {
        const std::size_t at = static_cast<std::size_t>(y);
        std::fill(sums.begin(), sums.end(), half);
        const std::uint16_t* weight = &down.weights[at * stride];
        for (std::size_t k = 0; k < stride; ++k) {
            const int frameRow = down.first[at] + static_cast<int>(k);
            const std::size_t slot = static_cast<std::size_t>(frameRow) % stride;
            std::uint16_t* row = &ring[slot * rowLength * 4];
            if (ringRow[slot] != frameRow) {
                // A row just like the one made last (a plain background)
                // is that row again.
                const std::uint16_t* last = lastMade < 0 ? nullptr : &ring[lastSlot * rowLength * 4];
                if (last && std::memcmp(frame.Row(lastMade) + runFrom, frame.Row(frameRow) + runFrom, runBytes) == 0) {
                    if (last != row) std::memcpy(row, last, rowLength * 4 * sizeof *row);
                } else {
                    ScaleRow(frame, frameRow, left, right, row);
                }
                ringRow[slot] = frameRow;
                lastMade = frameRow;
                lastSlot = slot;
            }
            if (weight[k] != 0) AddWeighed(sums.data(), row, weight[k], sums.size());
        }
        std::uint32_t* to = target + y * pitch + left;
        for (std::size_t x = 0; x < rowLength; ++x) {
            const std::uint32_t* pixel = &sums[x * 4];
            to[x] = Pack(std::min<std::uint32_t>(pixel[0] >> 2 * kWeightBits, 255),
                         std::min<std::uint32_t>(pixel[1] >> 2 * kWeightBits, 255),
                         std::min<std::uint32_t>(pixel[2] >> 2 * kWeightBits, 255), swapRedBlue);
        }
    }
}
