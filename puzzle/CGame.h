// The puzzle in play. Placeholder until the puzzle lands.
#pragma once

class CGame {
public:
    void Update() {}
    void FreePieces() {}

    int backgroundColor[3] = {127, 154, 168};
};

extern CGame Game;
