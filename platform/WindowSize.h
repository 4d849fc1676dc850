// SPDX-License-Identifier: GPL-3.0-or-later
// How large the game's window is when it is not full screen, in screen
// pixels: a good share of the screen at first, then whatever size the player
// gave it (remembered between runs), always kept on the screen.
#pragma once

struct WindowExtent {
    int width = 0;
    int height = 0;
    bool IsKnown() const { return width > 0 && height > 0; }
};

class WindowSize {
public:
    // The smallest window the player can make: the frame stays readable.
    static constexpr int kMinWidth = 400;
    static constexpr int kMinHeight = 300;
    // A remembered size beyond any screen is no size at all.
    static constexpr int kMaxSide = 16384;

    // The first window on a screen area of usable size: the frame's shape,
    // three quarters of the area across or down, but never smaller than the
    // frame itself where the frame fits; on a screen smaller than the frame,
    // as large as fits.
    static WindowExtent Default(int frameWidth, int frameHeight, int usableWidth, int usableHeight);
    // A size the player chose in an earlier run, on this run's screen: held
    // within the usable area and no smaller than the smallest window.
    // Unknown stays unknown.
    static WindowExtent Fit(WindowExtent wanted, int usableWidth, int usableHeight);
    // Whether a remembered side is worth keeping at all.
    static bool IsPlausibleSide(int side) { return side >= 1 && side <= kMaxSide; }
};
