// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowScaler.h"

#include <algorithm>
#include <cmath>

namespace {

// Weights in fixed point: 14 bits, so that a weight times a channel sum of
// the first pass (16 bits) stays within 32 bits.
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;
// The first pass keeps 8 bits below a channel's own: (8 + 14) - 6 = 16 bits.
constexpr int kFirstPassShift = 6;
constexpr int kSecondPassShift = 2 * kWeightBits - kFirstPassShift;
constexpr int kChannels = 3;

std::uint32_t Pack(std::uint32_t red, std::uint32_t green, std::uint32_t blue, bool swapRedBlue)
{
    return swapRedBlue ? (red << 16 | green << 8 | blue) : (blue << 16 | green << 8 | red);
}

std::uint32_t Convert(Colour colour, bool swapRedBlue)
{
    return Pack(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF, swapRedBlue);
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
    stride = static_cast<int>(std::ceil(2 * radius)) + 1;
    weights.assign(static_cast<std::size_t>(size) * stride, 0);
    std::vector<double> taps(static_cast<std::size_t>(stride));
    for (int i = 0; i < size; ++i) {
        const double centre = (i + 0.5) * step - 0.5;
        // Frame pixels beyond an edge count as the edge pixel.
        const int from = std::clamp(static_cast<int>(std::floor(centre - radius)), 0, frameSize - 1);
        std::fill(taps.begin(), taps.end(), 0.0);
        double total = 0;
        int last = from;
        for (int x = static_cast<int>(std::floor(centre - radius)); x <= static_cast<int>(std::ceil(centre + radius));
             ++x) {
            const double weight = 1.0 - std::abs(x - centre) / radius;
            if (weight <= 0) continue;
            const int at = std::clamp(x, 0, frameSize - 1);
            taps[static_cast<std::size_t>(at - from)] += weight;
            total += weight;
            last = std::max(last, at);
        }
        const int runLength = last - from + 1;
        first[static_cast<std::size_t>(i)] = from;
        count[static_cast<std::size_t>(i)] = runLength;
        // Rounded weights that add up to exactly one, so that a plain colour
        // stays that colour: what rounding lost goes to the largest.
        std::uint16_t* own = &weights[static_cast<std::size_t>(i) * stride];
        int sum = 0;
        int largest = 0;
        for (int k = 0; k < runLength; ++k) {
            own[k] = static_cast<std::uint16_t>(std::lround(taps[static_cast<std::size_t>(k)] / total * kOne));
            sum += own[k];
            if (own[k] > own[largest]) largest = k;
        }
        own[largest] = static_cast<std::uint16_t>(own[largest] + (kOne - sum));
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
    for (int x = left; x < right; ++x) {
        const std::size_t at = static_cast<std::size_t>(x);
        const Colour* pixel = row + across.first[at];
        const std::uint16_t* weight = &across.weights[at * static_cast<std::size_t>(across.stride)];
        std::uint32_t red = 0, green = 0, blue = 0;
        for (int k = 0; k < across.count[at]; ++k) {
            red += weight[k] * (pixel[k] & 0xFF);
            green += weight[k] * (pixel[k] >> 8 & 0xFF);
            blue += weight[k] * (pixel[k] >> 16 & 0xFF);
        }
        constexpr std::uint32_t half = 1u << (kFirstPassShift - 1);
        std::uint16_t* out = sums + static_cast<std::size_t>(x - left) * kChannels;
        out[0] = static_cast<std::uint16_t>((red + half) >> kFirstPassShift);
        out[1] = static_cast<std::uint16_t>((green + half) >> kFirstPassShift);
        out[2] = static_cast<std::uint16_t>((blue + half) >> kFirstPassShift);
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
    // target rows below still need them.
    const std::size_t rowLength = static_cast<std::size_t>(right - left) * kChannels;
    std::vector<std::uint16_t> ring(rowLength * static_cast<std::size_t>(down.stride));
    std::vector<int> ringRow(static_cast<std::size_t>(down.stride), -1);
    std::vector<const std::uint16_t*> rowSums(static_cast<std::size_t>(down.stride));
    constexpr std::uint32_t half = 1u << (kSecondPassShift - 1);
    for (int y = top; y < bottom; ++y) {
        const std::size_t at = static_cast<std::size_t>(y);
        const int firstRow = down.first[at];
        const int rows = down.count[at];
        for (int k = 0; k < rows; ++k) {
            const int frameRow = firstRow + k;
            const std::size_t slot = static_cast<std::size_t>(frameRow % down.stride);
            std::uint16_t* sums = &ring[slot * rowLength];
            if (ringRow[slot] != frameRow) {
                ScaleRow(frame, frameRow, left, right, sums);
                ringRow[slot] = frameRow;
            }
            rowSums[static_cast<std::size_t>(k)] = sums;
        }
        const std::uint16_t* weight = &down.weights[at * static_cast<std::size_t>(down.stride)];
        std::uint32_t* to = target + y * pitch;
        for (int x = 0; x < right - left; ++x) {
            std::uint32_t channel[kChannels] = {half, half, half};
            for (int k = 0; k < rows; ++k) {
                const std::uint16_t* sum = rowSums[static_cast<std::size_t>(k)] + static_cast<std::size_t>(x) * kChannels;
                for (int c = 0; c < kChannels; ++c) channel[c] += weight[k] * std::uint32_t{sum[c]};
            }
            to[left + x] = Pack(std::min<std::uint32_t>(channel[0] >> kSecondPassShift, 255),
                                std::min<std::uint32_t>(channel[1] >> kSecondPassShift, 255),
                                std::min<std::uint32_t>(channel[2] >> kSecondPassShift, 255), swapRedBlue);
        }
    }
}
