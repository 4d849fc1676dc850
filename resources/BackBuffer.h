// SPDX-License-Identifier: GPL-3.0-or-later
// The frame every screen draws into: the application makes it at the client
// area's size when the window opens, presents it once a frame and releases it
// at shutdown; the screens, the puzzle and the fonts draw into it.
#pragma once

#include "platform/Surface.h"

// The frame every screen draws: the client area in back-buffer pixels.
constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;

Surface& BackBuffer();
