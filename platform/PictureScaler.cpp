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
// shares of it, in 256ths.
struct Share {
    int first = 0;
    std::vector<std::uint16_t> weights;
};

std::vector<Share> SharesAlong(int target, int source)
{
    std::vector<Share> shares(static_cast<std::size_t>(target));
    const double step = static_cast<double>(source) / target;
    for (int i = 0; i < target; ++i) {
        Share& share = shares[static_cast<std::size_t>(i)];
        const double begin = i * step, end = std::min<double>(source, (i + 1) * step);
        share.first = std::min(source - 1, static_cast<int>(begin));
        int given = 0;
        for (int s = share.first; s < source && s < end; ++s) {
            const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
            const int weight = static_cast<int>(covered / (end - begin) * 256.0 + 0.5);
            share.weights.push_back(static_cast<std::uint16_t>(weight));
            given += weight;
        }
        if (share.weights.empty()) share.weights.push_back(0);
        share.weights.back() = static_cast<std::uint16_t>(share.weights.back() + 256 - given);  // whole
    }
    return shares;
}

// Rows [fromRow, toRow) of the reduction: `in` is sourceWidth pixels a row,
// `out` as many as there are column shares.
void ReduceRows(const Colour* in, int sourceWidth, Colour* out, const std::vector<Share>& columns,
                const std::vector<Share>& rows, int fromRow, int toRow)
{
    const int width = static_cast<int>(columns.size());
    std::vector<std::uint32_t> sum(static_cast<std::size_t>(width) * 3);
    for (int y = fromRow; y < toRow; ++y) {
        std::fill(sum.begin(), sum.end(), 0u);
        const Share& rowShare = rows[static_cast<std::size_t>(y)];
        for (std::size_t r = 0; r < rowShare.weights.size(); ++r) {
            const std::uint32_t rowWeight = rowShare.weights[r];
            if (rowWeight == 0) continue;
            const Colour* line = in + static_cast<std::size_t>(rowShare.first + static_cast<int>(r)) * sourceWidth;
            for (int x = 0; x < width; ++x) {
                const Share& share = columns[static_cast<std::size_t>(x)];
                std::uint32_t red = 0, green = 0, blue = 0;
                for (std::size_t c = 0; c < share.weights.size(); ++c) {
                    const Colour p = line[share.first + static_cast<int>(c)];
                    red += RedOf(p) * share.weights[c];
                    green += GreenOf(p) * share.weights[c];
                    blue += BlueOf(p) * share.weights[c];
                }
                std::uint32_t* s = sum.data() + static_cast<std::size_t>(x) * 3;
                s[0] += red * rowWeight;
                s[1] += green * rowWeight;
                s[2] += blue * rowWeight;
            }
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
    const std::vector<Share> columns = SharesAlong(width, picture.Width());
    const std::vector<Share> rows = SharesAlong(height, picture.Height());
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
