// SPDX-License-Identifier: GPL-3.0-or-later
// The one door every input event passes through on its way to the game.
// The real window, the headless window and tests all call Deliver; the game
// installs its window procedure as the handler. A test may also install a
// recorder, which sees each event before the handler does, so that a whole
// game can be recorded and replayed.
//
// The hub also tracks the cursor from the pointer events that pass it, so a
// replayed game sees the same cursor positions as the recorded one.
#pragma once

#include <functional>

#include "platform/InputEvent.h"
#include "platform/Surface.h"

class InputHub {
public:
    using Listener = std::function<void(const InputEvent&)>;

    static void SetHandler(Listener handler);
    static void SetRecorder(Listener recorder);

    static void Deliver(const InputEvent& event);

    // The cursor in back-buffer pixels, as the last pointer event left it.
    static Point Cursor();
    // Forgets the cursor (back to (0, 0)); for a fresh start in tests.
    static void ResetCursor();
};
