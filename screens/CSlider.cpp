// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/CSlider.h"

#include "core/CMgrInput.h"
#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"
#include "screens/CButton.h"

void CSlider::Load(const char* activePath, const char* noActivePath)
{
    ImageMgr.LoadImage(activeImage, activePath);
    ImageMgr.LoadImage(noActiveImage, noActivePath);
    hoverArmed = true;
}

void CSlider::SetRangeX(float minimum, float maximum)
{
    minX = minimum;
    maxX = maximum;
}

void CSlider::SetRange(int minimum, int maximum)
{
    minValue = minimum;
    maxValue = maximum;
}

void CSlider::LineThroughEnds(float& k, float& b) const
{
    k = maxX > minX ? static_cast<float>(maxValue - minValue) / (maxX - minX) : 0.0f;
    b = static_cast<float>(minValue) - k * minX;
}

void CSlider::ClampKnob()
{
    if (knobX > maxX) knobX = maxX;
    if (knobX < minX) knobX = minX;
}

void CSlider::SetKnobX(float xPos)
{
    knobX = xPos;
    ClampKnob();
    if (maxX <= minX) {  // no track to slide along
        value = minValue;
        return;
    }
    float k, b;
    LineThroughEnds(k, b);
    value = static_cast<int>(k * knobX + b);
    // The sum can land a hair below a whole number; the clamp repairs the left end.
    if (value < minValue) value = minValue;
    if (value > maxValue) value = maxValue;
}

void CSlider::SetValue(int v)
{
    value = v;
    float k, b;
    LineThroughEnds(k, b);
    // A range of one value has no slope: its only place is the left end.
    knobX = k != 0 ? (static_cast<float>(v) - b) / k : minX;
    ClampKnob();
}

bool CSlider::IsMouseOver() const
{
    Point cursor = CMgrInput::GetCursor();
    float cx = static_cast<float>(cursor.x);
    float cy = static_cast<float>(cursor.y);
    return knobX < cx && cx < knobX + activeImage.width && knobY < cy && cy < knobY + activeImage.height;
}

bool CSlider::IsMouseOverTrack() const { return IsOverTrack(CMgrInput::GetCursor()); }

bool CSlider::IsOverTrack(Point where) const
{
    float cx = static_cast<float>(where.x);
    float cy = static_cast<float>(where.y);
    return minX < cx && cx < maxX + activeImage.width && knobY < cy && cy < knobY + activeImage.height;
}

void CSlider::Update()
{
    Surface& back = BackBuffer();
    float cx = static_cast<float>(CMgrInput::GetCursor().x);
    float w = activeImage.width;
    bool over = IsMouseOver();
    if (over) {
        ImageMgr.Draw(back, activeImage, knobX, knobY);
        if (hoverArmed) {
            hoverArmed = false;
            PlayWidgetHoverSound();
        }
    } else {
        hoverArmed = true;
        ImageMgr.Draw(back, noActiveImage, knobX, knobY);
    }
    if (!InputMgr.IsLeftButtonDown()) {
        dragging = false;
        return;
    }
    // Only a press on the knob or the track takes hold (the knob lies on the
    // track); a press that began elsewhere and slides onto it does not. Once
    // held, a drag that slips off the track keeps moving the knob.
    if (!dragging && IsOverTrack(InputMgr.LeftPressPoint())) dragging = true;
    if (dragging) SetKnobX(cx - w / 2);
}

void CSlider::Release()
{
    activeImage.Release();
    noActiveImage.Release();
}
