// SPDX-License-Identifier: GPL-3.0-or-later
// How many pixels across one unit of the 800 x 600 screen the art is being
// drawn at: 1 for the game's own size, 2 and 3 for large screens. Every
// Canvas and Mask takes the scale in force when it is made, and the art's
// coordinates, sizes, blurs and font cells stay in units, so the same
// drawing code paints every scale at its own resolution.
#pragma once

class ArtScale {
public:
    static int Current() { return current; }

    // Draws at `scale` until it goes out of scope.
    class Use {
    public:
        explicit Use(int scale) : previous(current) { current = scale < 1 ? 1 : scale; }
        ~Use() { current = previous; }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        int previous;
    };

private:
    static inline int current = 1;
};
