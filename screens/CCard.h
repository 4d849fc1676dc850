// SPDX-License-Identifier: GPL-3.0-or-later
// A card over the screen that the next key or click closes: the help card
// (F1 or ?), which tells the controls the game has on the screen it covers,
// and the pause card (P or Pause during play), which covers the whole board
// so that a pause cannot be spent studying it. While a card shows, the
// screen below stands still and sees no input; the play clock with it.
// The application opens it, hands it the presses (OnPress) and calls Update
// in place of the screen's own frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Surface.h"

class CCard {
public:
    enum class Kind { None, Help, Pause };
    // One line of the help card: the keys (or the mouse) and what they do.
    struct Row {
        std::string keys;
        std::string meaning;
    };

    // The help card for the screen of the application state; a solved
    // puzzle has other controls than one in play. The key that opens a card
    // (held, it repeats) does not close it until it was let go.
    void ShowHelp(unsigned state, bool puzzleSolved, int openingKey);
    void ShowPause(int openingKey);
    bool IsShowing() const { return kind != Kind::None; }
    Kind GetKind() const { return kind; }
    // A key going down or a button pressed: closes the card. Answers
    // whether a card took the press (the screen below must not see it).
    // A mouse button is key 0.
    bool OnPress(int key);
    // A key let go: the key that opened the card may close it from now on.
    void OnKeyUp(int key);
    void Close();
    // Draws the card over the screen it covers (the help card over that
    // screen dimmed, the pause card over nothing of it). Answers false, having
    // drawn nothing, when the back buffer already shows the card.
    bool Update(Surface& back);

    // What the help card says on a screen: the controls that work there.
    static std::vector<Row> HelpRows(unsigned state, bool puzzleSolved);

private:
    void KeepBackdrop(const Surface& back);
    void DrawCard(Surface& back, const std::string& title, const std::vector<Row>& rows,
                  const std::string& footer) const;

    Kind kind = Kind::None;
    std::vector<Row> rows;
    int heldKey = 0;  // held since it opened the card; 0 once let go
    Surface backdrop;
    bool haveBackdrop = false;
    std::uint64_t drawnVersion = 0;  // the back buffer as the card last left it
};

extern CCard Card;
