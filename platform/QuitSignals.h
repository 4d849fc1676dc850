// SPDX-License-Identifier: GPL-3.0-or-later
// The session ending under the game: SIGTERM (a logout, a shutdown, a "kill")
// and SIGHUP (the terminal gone) become a request to quit, which the window
// hands to the game as a close request at its next pump, so that the normal
// way out runs: the puzzle in play and the settings are saved.
#pragma once

class QuitSignals {
public:
    // Catches SIGTERM and SIGHUP from now on. Safe to call more than once.
    static void Install();
    // Whether one of them came since the last call (and forgets it).
    static bool TakeRequest();
};
