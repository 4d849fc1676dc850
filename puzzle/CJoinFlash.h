// SPDX-License-Identifier: GPL-3.0-or-later
// What the board shows beside the pieces themselves: the brief flash of a
// group that has just joined, and the soft shadow under a lifted group.
#pragma once

#include "platform/Surface.h"
#include "puzzle/CPiece.h"

class CJoinFlash {
public:
    // How long a join flashes, in seconds.
    static constexpr float kSeconds = 0.45f;

    // A join made the group that holds this piece.
    void Start(int piece)
    {
        anchor = piece;
        timeLeft = kSeconds;
    }
    void Stop() { timeLeft = 0; }
    void Advance(float dt);
    bool IsOn() const { return timeLeft > 0; }
    int Anchor() const { return anchor; }
    float TimeLeft() const { return timeLeft; }
    // How bright the flash is now, 1 at the join and fading to 0.
    float Glow() const { return timeLeft > 0 ? timeLeft / kSeconds : 0.0f; }

    // The piece's shadow on the surface: its outline, darkened twice at two
    // offsets so that the middle is darker than the rim.
    static void DrawShadow(Surface& dest, const CPiece& piece, float x, float y);
    // How far the shadow reaches past the piece, right and down, in units.
    static constexpr int kShadowReach = 8;

private:
    int anchor = -1;
    float timeLeft = 0;
};
