// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PictureScaler.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#pragma GCC diagnostic pop

namespace {

// Every pixel weighed from the source pixels around it, whichever way the
// picture changes size; empty when the filter could not get its memory.
Surface Filtered(const Surface& picture, int width, int height)
{
    Surface result(width, height);
    // Four bytes a pixel, red first; the unused top byte rides along as a
    // fourth colour channel that stays zero.
    const auto* from = reinterpret_cast<const unsigned char*>(picture.Pixels());
    auto* to = reinterpret_cast<unsigned char*>(result.Pixels());
    const int ok = stbir_resize_uint8_generic(from, picture.Width(), picture.Height(),
                                              picture.Width() * static_cast<int>(sizeof(Colour)), to, width, height,
                                              width * static_cast<int>(sizeof(Colour)), 4, STBIR_ALPHA_CHANNEL_NONE, 0,
                                              STBIR_EDGE_CLAMP, STBIR_FILTER_MITCHELL, STBIR_COLORSPACE_SRGB, nullptr);
    if (!ok) return {};
    Colour* pixel = result.Pixels();
    for (long long i = 0, n = static_cast<long long>(width) * height; i < n; ++i) pixel[i] &= 0xFFFFFF;
    return result;
}

// For each target pixel along a side, the source pixels under it with their
// shares of it, in 256ths, laid out flat: target pixel i takes `count[i]`
// source pixels from `first[i]` on, their weights from `offset[i]` on.
struct Shares {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<std::uint16_t> weights;
    int most = 0;  // the most source pixels any target pixel takes
};

Shares SharesAlong(int target, int source)
{
    Shares shares;
    shares.first.resize(static_cast<std::size_t>(target));
    shares.count.resize(static_cast<std::size_t>(target));
    shares.offset.resize(static_cast<std::size_t>(target));
    const double step = static_cast<double>(source) / target;
    for (int i = 0; i < target; ++i) {
        const double begin = i * step, end = std::min<double>(source, (i + 1) * step);
        const int first = std::min(source - 1, static_cast<int>(begin));
        const std::size_t offset = shares.weights.size();
        int given = 0;
        for (int s = first; s < source && s < end; ++s) {
            const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
            const int weight = static_cast<int>(covered / (end - begin) * 256.0 + 0.5);
            shares.weights.push_back(static_cast<std::uint16_t>(weight));
            given += weight;
        }
        if (shares.weights.size() == offset) shares.weights.push_back(0);
        // Whole: the last share takes up what rounding left over or gave too
        // much, as far as it holds; across many source pixels the rounding
        // can give more than the last one has, and the others give back the rest.
        const int last = shares.weights.back() + 256 - given;
        shares.weights.back() = static_cast<std::uint16_t>(std::max(0, last));
        for (int excess = -last; excess > 0;)
            for (std::size_t w = offset; w < shares.weights.size() && excess > 0; ++w)
                if (shares.weights[w] > 0) {
                    --shares.weights[w];
                    --excess;
                }
        const std::size_t at = static_cast<std::size_t>(i);
        shares.first[at] = first;
        shares.offset[at] = static_cast<int>(offset);
        shares.count[at] = static_cast<int>(shares.weights.size() - offset);
        shares.most = std::max(shares.most, shares.count[at]);
    }
    return shares;
}

// One source row reduced across: each target pixel's red, green and blue,
// weighed in 256ths of it. The shares of a pixel make 256 in all, so a
// weighed channel stays under 65,536: red and blue are weighed together,
// in the two halves of one number.
void ReduceAcross(const Colour* line, const Shares& columns, std::uint32_t* out)
{
    static_assert(RedOf(MakeColour(1, 2, 3)) == 1 && BlueOf(MakeColour(1, 2, 3)) == 3 &&
                      MakeColour(1, 2, 3) == 0x030201u,
                  "red in the low byte, blue in the third");
    const int width = static_cast<int>(columns.first.size());
    for (int x = 0; x < width; ++x) {
        const std::size_t at = static_cast<std::size_t>(x);
        const Colour* p = line + columns.first[at];
        const std::uint16_t* weight = columns.weights.data() + columns.offset[at];
        std::uint32_t redBlue = 0, green = 0;
        for (int c = 0; c < columns.count[at]; ++c) {
            redBlue += (p[c] & 0xFF00FFu) * weight[c];
            green += ((p[c] >> 8) & 0xFFu) * weight[c];
        }
        out[3 * at] = redBlue & 0xFFFFu;
        out[3 * at + 1] = green;
        out[3 * at + 2] = redBlue >> 16;
    }
}

// Rows [fromRow, toRow) of the reduction: `in` is sourceWidth pixels a row,
// `out` as many as there are column shares. Each source row is reduced
// across once and kept while the target rows that take it are made: whole
// numbers throughout, so the sums are those of weighing every source pixel
// by its row's and its column's share at once.
void ReduceRows(const Colour* in, int sourceWidth, Colour* out, const Shares& columns, const Shares& rows,
                int fromRow, int toRow)
{
    const int width = static_cast<int>(columns.first.size());
    const std::size_t rowSize = static_cast<std::size_t>(width) * 3;
    // The last source rows reduced across, by their number modulo the ring's size.
    const int ring = rows.most + 1;
    std::vector<std::uint32_t> across(rowSize * static_cast<std::size_t>(ring));
    std::vector<int> held(static_cast<std::size_t>(ring), -1);
    std::vector<std::uint32_t> sum(rowSize);
    for (int y = fromRow; y < toRow; ++y) {
        std::fill(sum.begin(), sum.end(), 0u);
        const std::size_t at = static_cast<std::size_t>(y);
        const std::uint16_t* rowWeight = rows.weights.data() + rows.offset[at];
        for (int r = 0; r < rows.count[at]; ++r) {
            if (rowWeight[r] == 0) continue;
            const int source = rows.first[at] + r;
            const std::size_t slot = static_cast<std::size_t>(source % ring);
            std::uint32_t* reduced = across.data() + slot * rowSize;
            if (held[slot] != source) {
                ReduceAcross(in + static_cast<std::size_t>(source) * sourceWidth, columns, reduced);
                held[slot] = source;
            }
            const std::uint32_t weight = rowWeight[r];
            for (std::size_t i = 0; i < rowSize; ++i) sum[i] += reduced[i] * weight;
        }
        Colour* line = out + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t* s = sum.data() + static_cast<std::size_t>(x) * 3;
            line[x] = MakeColour(static_cast<int>((s[0] + 32768) >> 16), static_cast<int>((s[1] + 32768) >> 16),
                                 static_cast<int>((s[2] + 32768) >> 16));
        }
    }
}

Surface Nearest(const Surface& picture, int width, int height)
{
    Surface result(width, height);
    result.StretchBlit(0, 0, width, height, picture, 0, 0, picture.Width(), picture.Height());
    return result;
}

}  // namespace

Surface PictureScaler::Resize(const Surface& picture, int width, int height)
{
    if (picture.IsEmpty() || width <= 0 || height <= 0) return {};
    if (width >= picture.Width() && height >= picture.Height()) return Nearest(picture, width, height);
    Surface result = Filtered(picture, width, height);
    // Only its own memory can fail the filter: the nearest pixels still give a picture.
    return result.IsEmpty() ? Nearest(picture, width, height) : result;
}

Surface PictureScaler::ReduceByArea(const Surface& picture, int width, int height)
{
    if (picture.IsEmpty() || width <= 0 || height <= 0) return {};
    if (width > picture.Width() || height > picture.Height()) return Nearest(picture, width, height);
    const Shares columns = SharesAlong(width, picture.Width());
    const Shares rows = SharesAlong(height, picture.Height());
    Surface result(width, height);
    Colour* out = result.Pixels();
    const Colour* in = picture.Pixels();
    const int bands = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    std::vector<std::future<void>> others;
    for (int band = 1; band < bands; ++band)
        others.push_back(std::async(std::launch::async, ReduceRows, in, picture.Width(), out, std::cref(columns),
                                    std::cref(rows), height * band / bands, height * (band + 1) / bands));
    ReduceRows(in, picture.Width(), out, columns, rows, 0, height / bands);
    for (std::future<void>& other : others) other.get();
    return result;
}

Surface PictureScaler::ResizeSmooth(const Surface& picture, int width, int height)
{
    if (picture.IsEmpty() || width <= 0 || height <= 0) return {};
    if (width == picture.Width() && height == picture.Height()) return Nearest(picture, width, height);
    Surface result = Filtered(picture, width, height);
    return result.IsEmpty() ? Nearest(picture, width, height) : result;
}
