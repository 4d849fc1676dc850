// SPDX-License-Identifier: GPL-3.0-or-later
// A picture button, optionally a two-state toggle. Immediate-mode: the screen
// that shows it calls Update once per frame; Update tests the cursor, plays
// the hover sound, draws the button and reacts to the left mouse button.
#pragma once

#include "resources/CImage.h"

// Plays the widgets' hover sound "Sounds/Button.wav" (nothing when silent).
void PlayWidgetHoverSound();

class CButton {
public:
    using Action = void (*)();

    // Both images at their natural size; the active image is the hit box.
    void Load(const char* activePath, const char* noActivePath, float xPos, float yPos);
    // Both images scaled into their boxes with the proportions kept; at (0, 0).
    void LoadSized(const char* activePath, const char* noActivePath, float activeWidth, float activeHeight,
                   float noActiveWidth, float noActiveHeight);
    // A picture made elsewhere (a thumbnail read from the shelf), shown the
    // same both ways; at (0, 0).
    void TakeImage(CImage image);
    // Makes the button a toggle with this image for its "on" mark.
    void LoadToggle(const char* path);
    void SetPosition(float xPos, float yPos);
    void SetAction(Action function) { action = function; }
    float GetWidth() const { return NoActive().width; }
    float GetHeight() const { return NoActive().height; }
    float GetX() const { return x; }
    float GetY() const { return y; }
    bool IsToggled() const { return toggled; }

    // Strictly inside: the image's first row and column are outside, its last inside.
    bool IsMouseOver() const;
    // Draws the button; answers whether it was clicked in this frame: pressed
    // on it and released on it, as on every desktop. A press on the button is
    // consumed at once, so nothing under it sees it; a press that began
    // elsewhere (a carried piece, a selection frame) never clicks it. On a
    // click a toggle flips and the action runs.
    bool Update();
    void ResetToggle() { toggled = false; }
    void Release();

private:
    // A thumbnail shows the same picture both ways: it is held once.
    const CImage& NoActive() const { return sameImages ? activeImage : noActiveImage; }
    bool PressBeganOver() const;
    // Follows the press taken by the button; true on the frame it ends on the button.
    bool TakeClick(bool over);

    CImage activeImage;
    CImage noActiveImage;  // empty when sameImages
    bool sameImages = false;
    CImage toggleImage;
    float x = 0;
    float y = 0;
    Action action = nullptr;
    bool hasToggle = false;
    bool toggled = false;
    bool hoverArmed = false;
    // The press the button took (CMgrInput::LeftPressNumber), 0 for none.
    unsigned pressTaken = 0;
};
