// SPDX-License-Identifier: GPL-3.0-or-later
// Where the frame goes in a window of another size: as large as it fits with
// its shape kept, centred, the rest left black. Also takes a window position
// back to frame pixels.
#pragma once

#include "platform/Surface.h"

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class Letterbox {
public:
    // A frame of frameWidth x frameHeight shown in an output of outputWidth x outputHeight.
    Letterbox(int frameWidth, int frameHeight, int outputWidth, int outputHeight);

    // The part of the output the frame covers.
    const ScreenRect& Target() const { return target; }
    // A point of the output in frame pixels; outside the frame it goes on
    // counting (negative to the left, beyond the width to the right).
    Point ToFrame(int outputX, int outputY) const;
    // The drawing scale that gives the target its own pixels' worth of
    // detail: the smallest whole scale of the frame at least as large as the
    // target, so that the frame is only ever reduced on its way to the
    // screen (slightly, mostly), never stretched up; held to maxScale.
    int DrawingScale(int maxScale) const;

private:
    int frameWidth;
    int frameHeight;
    ScreenRect target;
};
