// SPDX-License-Identifier: GPL-3.0-or-later
// Turns a JPEG photograph into one of the game's puzzle pictures: decoded,
// reduced with a proper resampling filter to the size the game shows it at,
// and with pure black lifted a step, since black is the see-through colour
// of every piece the game cuts.
#pragma once

#include <string>

#include "platform/Surface.h"
#include "resources/ResourceNames.h"

class PictureMaker {
public:
    // Longer side of every shipped picture: the size of the cut picture.
    static constexpr int kLongerSide = res::kPictureLongerSide;

    // Answers false with a message in `error` when the file does not decode.
    static bool Make(const std::string& jpegPath, int longerSide, Surface& out, std::string& error);

    // Pure black pixels become (1, 1, 1).
    static void LiftBlack(Surface& surface);
};
