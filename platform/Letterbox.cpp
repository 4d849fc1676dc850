// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Letterbox.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounds a quotient towards minus infinity, so that the pixel left of the
// frame's first column is -1, not 0.
int FloorDivide(long long numerator, long long denominator)
{
    return static_cast<int>(std::floor(static_cast<double>(numerator) / static_cast<double>(denominator)));
}

}  // namespace

Letterbox::Letterbox(int frameWidth_, int frameHeight_, int outputWidth, int outputHeight)
    : frameWidth(std::max(frameWidth_, 1)), frameHeight(std::max(frameHeight_, 1))
{
    outputWidth = std::max(outputWidth, 1);
    outputHeight = std::max(outputHeight, 1);
    // Compare the two shapes in whole numbers: the wider side decides.
    if (static_cast<long long>(outputWidth) * frameHeight >= static_cast<long long>(outputHeight) * frameWidth) {
        target.height = outputHeight;
        target.width = std::max(1, static_cast<int>(static_cast<long long>(outputHeight) * frameWidth / frameHeight));
    } else {
        target.width = outputWidth;
        target.height = std::max(1, static_cast<int>(static_cast<long long>(outputWidth) * frameHeight / frameWidth));
    }
    target.x = (outputWidth - target.width) / 2;
    target.y = (outputHeight - target.height) / 2;
}

int Letterbox::DrawingScale(int maxScale) const
{
    const long long across = (static_cast<long long>(target.width) + frameWidth - 1) / frameWidth;
    const long long down = (static_cast<long long>(target.height) + frameHeight - 1) / frameHeight;
    return static_cast<int>(std::clamp<long long>(std::max(across, down), 1, std::max(maxScale, 1)));
}

Point Letterbox::ToFrame(int outputX, int outputY) const
{
    return {FloorDivide(static_cast<long long>(outputX - target.x) * frameWidth, target.width),
            FloorDivide(static_cast<long long>(outputY - target.y) * frameHeight, target.height)};
}
