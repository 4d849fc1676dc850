// SPDX-License-Identifier: GPL-3.0-or-later
// A horizontal slider with one knob that maps the knob's position to a whole
// number. The track is part of the screen's background; the owner polls
// GetValue after Update.
#pragma once

#include "resources/CImage.h"

class CSlider {
public:
    // The two knob images, at their natural size.
    void Load(const char* activePath, const char* noActivePath);
    void SetRangeX(float minimum, float maximum);
    void SetRange(int minimum, int maximum);
    // Places the knob (clamped to the range) and derives the value from it.
    void SetKnobX(float xPos);
    // Sets the value as given and places the knob where it belongs.
    void SetValue(int v);
    int GetValue() const { return value; }
    float GetKnobX() const { return knobX; }
    float GetKnobY() const { return knobY; }
    float GetKnobWidth() const { return activeImage.width; }
    float GetMinX() const { return minX; }
    float GetMaxX() const { return maxX; }

    bool IsMouseOver() const;
    // Whether the cursor lies on the track: the knob's row, from the left end
    // of its path to the right end of the knob at its rightmost place.
    bool IsMouseOverTrack() const;
    bool IsOverTrack(Point where) const;
    bool IsDragging() const { return dragging; }
    // Draws the knob and follows the left button: a press on the knob or the
    // track moves the knob to the cursor, and the knob follows the cursor's x
    // until the button is released, wherever the cursor goes meanwhile.
    void Update();
    void Release();

private:
    // The line through (minX, minValue) and (maxX, maxValue).
    void LineThroughEnds(float& k, float& b) const;
    void ClampKnob();

    bool hoverArmed = false;
    CImage activeImage;
    CImage noActiveImage;
    float minX = 0;
    float maxX = 100;
    int minValue = 0;
    int maxValue = 10;
    float knobX = 50;
    float knobY = 332;
    int value = 5;
    bool dragging = false;
};
