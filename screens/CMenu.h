// The menu screens and the in-game panel. The pages arrive with the screens;
// the three game options the puzzle reads are here already.
#pragma once

class CMenu {
public:
    void Update() {}
    void Release() {}
    void LoadResources() { border = false; }
    // The in-game panel, drawn over the board each frame of play.
    void UpdateGamePanel() {}

    // Game options: class-wide switches read by the puzzle.
    static bool IsBorder() { return border; }
    static void SetBorder(bool value) { border = value; }
    static bool IsShowPicture() { return showPicture; }

    // The pre-joined outer ring; set only from a loaded saved game.
    static bool border;
    // The in-game edge-pieces filter.
    static bool borderOnly;
    // The small picture window on the board.
    static bool showPicture;
};

extern CMenu Menu;
