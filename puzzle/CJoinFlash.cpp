// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/CJoinFlash.h"

#include <algorithm>

namespace {

// The shadow falls down and to the right of a lifted piece; each of its two
// layers keeps this share of what lies under it.
constexpr int kNearOffset = 4, kFarOffset = CJoinFlash::kShadowReach;
constexpr int kKeepPerLayer = 200;  // of 256

Colour Darker(Colour c)
{
    return MakeColour(RedOf(c) * kKeepPerLayer >> 8, GreenOf(c) * kKeepPerLayer >> 8, BlueOf(c) * kKeepPerLayer >> 8);
}

// The mask's pixels land on the destination's: (left, top) is in units, and
// a mask of another scale than the destination's is stretched to it. Only the
// destination's clip is darkened.
void DarkenOutline(Surface& dest, const PieceMask& mask, int left, int top)
{
    const PixelRect& clip = dest.ClipRect();
    const long long destScale = dest.Scale(), maskScale = mask.Scale();
    const long long leftPixel = left * destScale, topPixel = top * destScale;
    const long long height = mask.Height() * destScale / maskScale;
    for (long long y = 0; y < height; ++y) {
        const long long row = topPixel + y;
        if (row < clip.top || row >= clip.bottom) continue;
        Colour* pixels = nullptr;
        mask.ForEachRun(static_cast<int>(y * maskScale / destScale), [&](int begin, int end) {
            const long long from = std::max<long long>(clip.left, leftPixel + begin * destScale / maskScale);
            const long long to = std::min<long long>(clip.right, leftPixel + end * destScale / maskScale);
            if (from >= to) return;
            if (!pixels) pixels = dest.Row(static_cast<int>(row));
            for (long long x = from; x < to; ++x) pixels[x] = Darker(pixels[x]);
        });
    }
}

}  // namespace

void CJoinFlash::Advance(float dt)
{
    if (timeLeft <= 0) return;
    timeLeft = std::max(0.0f, timeLeft - dt);
}

void CJoinFlash::DrawShadow(Surface& dest, const CPiece& piece, float x, float y)
{
    const int left = static_cast<int>(x), top = static_cast<int>(y);
    DarkenOutline(dest, piece.mask, left + kFarOffset, top + kFarOffset);
    DarkenOutline(dest, piece.mask, left + kNearOffset, top + kNearOffset);
}
