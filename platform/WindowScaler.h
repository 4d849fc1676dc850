// SPDX-License-Identifier: GPL-3.0-or-later
// The frame brought to the size it has in the window, for windows that show
// pixels the game writes itself (no graphics card to scale it). Every target
// pixel is a weighted average of the frame pixels around its centre: a tent
// as wide as a target pixel where the frame gets smaller (so that reducing
// 1600 x 1200 to 1440 x 1080 keeps fine lines), the two nearest pixels where
// it grows, the pixel itself at the same size. The weights of a target pixel
// depend only on where it lies, never on which part is being made: a part
// of the target made after a change of the frame is pixel for pixel what
// the whole target made from the same frame would hold there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Letterbox.h"
#include "platform/Surface.h"

class WindowScaler {
public:
    WindowScaler() = default;
    // A frame of frameWidth x frameHeight pixels shown as targetWidth x targetHeight.
    WindowScaler(int frameWidth, int frameHeight, int targetWidth, int targetHeight);

    bool Fits(int frameWidth, int frameHeight, int targetWidth, int targetHeight) const;
    int TargetWidth() const { return across.size; }
    int TargetHeight() const { return down.size; }

    // The target pixels (from its top-left corner) that the frame pixels in
    // `changed` reach; empty (zero width or height) when none.
    ScreenRect TargetArea(const PixelRect& changed) const;
    // Makes the target pixels of `area` from the frame. `target` is where the
    // target's top-left pixel goes, `pitch` the pixels from one row of the
    // destination to the next. The destination holds red in the high byte
    // when swapRedBlue (the frame holds it in the low byte).
    void Scale(const Surface& frame, const ScreenRect& area, std::uint32_t* target, std::ptrdiff_t pitch,
               bool swapRedBlue) const;

private:
    // For one direction: the frame pixels each target pixel is made of, in
    // a run from `first`, with weights in fixed point that add up to kOne.
    struct Axis {
        int size = 0;       // target pixels
        int frameSize = 0;  // frame pixels
        int stride = 0;     // frame pixels (and weights) of every target pixel
        std::vector<int> first;
        std::vector<std::uint16_t> weights;
        // Across, when a run is at most four pixels: each target pixel's
        // weights laid out for the 16-bit lanes of four frame pixels'
        // bytes (the fourth byte of each weighed zero).
        std::vector<std::uint16_t> laneWeights;
        void Build(int frameSize, int targetSize);
        // The run [begin, end) of target pixels that frame pixels [from, to) reach.
        void Reach(int from, int to, int& begin, int& end) const;
    };

    // Target pixels [left, right) of one frame row, reduced across into
    // four 16-bit channels a pixel, in the order they are sent. `spread`
    // is room for a frame row and four pixels more, the row's own work.
    void ScaleRow(const Surface& frame, int frameRow, int left, int right, bool swapRedBlue, std::uint64_t* spread,
                  std::uint16_t* sums) const;
    // Target rows [top, bottom) of columns [left, right); `target` is where
    // the target's top-left pixel goes. Bands of rows are independent.
    void ScaleBand(const Surface& frame, int left, int right, int top, int bottom, std::uint32_t* target,
                   std::ptrdiff_t pitch, bool swapRedBlue) const;

    Axis across;
    Axis down;
};
