// SPDX-License-Identifier: GPL-3.0-or-later
// The three game options the puzzle reads; the menus and the in-game panel
// set them through CMenu, whose names for them refer here.
#pragma once

struct GameOptions {
    // The pre-joined outer ring; set only from a loaded saved game.
    bool border = false;
    // The in-game edge-pieces filter.
    bool borderOnly = false;
    // The small picture window on the board.
    bool showPicture = false;
};

inline GameOptions Options;
