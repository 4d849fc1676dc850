// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowSize.h"

#include <algorithm>

namespace {

// The largest size of the frame's shape that fits in width x height.
WindowExtent LargestOfShape(int frameWidth, int frameHeight, long long width, long long height)
{
    WindowExtent fit;
    if (width * frameHeight <= height * frameWidth) {
        fit.width = static_cast<int>(width);
        fit.height = static_cast<int>(width * frameHeight / frameWidth);
    } else {
        fit.height = static_cast<int>(height);
        fit.width = static_cast<int>(height * frameWidth / frameHeight);
    }
    fit.width = std::max(fit.width, 1);
    fit.height = std::max(fit.height, 1);
    return fit;
}

}  // namespace

WindowExtent WindowSize::Default(int frameWidth, int frameHeight, int usableWidth, int usableHeight)
{
    frameWidth = std::max(frameWidth, 1);
    frameHeight = std::max(frameHeight, 1);
    if (usableWidth <= 0 || usableHeight <= 0) return {frameWidth, frameHeight};
    if (frameWidth > usableWidth || frameHeight > usableHeight)
        return LargestOfShape(frameWidth, frameHeight, usableWidth, usableHeight);
    WindowExtent share = LargestOfShape(frameWidth, frameHeight, usableWidth * 3LL / 4, usableHeight * 3LL / 4);
    if (share.width < frameWidth) return {frameWidth, frameHeight};
    return share;
}

WindowExtent WindowSize::Fit(WindowExtent wanted, int usableWidth, int usableHeight)
{
    if (!wanted.IsKnown()) return {};
    if (usableWidth > 0) wanted.width = std::min(wanted.width, usableWidth);
    if (usableHeight > 0) wanted.height = std::min(wanted.height, usableHeight);
    wanted.width = std::max(wanted.width, std::min(kMinWidth, usableWidth > 0 ? usableWidth : kMinWidth));
    wanted.height = std::max(wanted.height, std::min(kMinHeight, usableHeight > 0 ? usableHeight : kMinHeight));
    return wanted;
}
