// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/CButton.h"

#include <cstring>

#include "app/CMgrInput.h"
#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "sound/CMgrSound.h"

void PlayWidgetHoverSound()
{
    // LoadSample reads the file once and answers the cached index afterwards.
    int sample = SoundMgr.LoadSample(res::kSoundButton);
    if (sample >= 0) SoundMgr.PlaySample(sample);
}

void CButton::Load(const char* activePath, const char* noActivePath, float xPos, float yPos)
{
    ImageMgr.LoadImage(activeImage, activePath);
    ImageMgr.LoadImage(noActiveImage, noActivePath);
    sameImages = false;
    SetPosition(xPos, yPos);
}

void CButton::LoadSized(const char* activePath, const char* noActivePath, float activeWidth, float activeHeight,
                        float noActiveWidth, float noActiveHeight)
{
    ImageMgr.LoadImageScaled(activeImage, activePath, activeWidth, activeHeight);
    sameImages = std::strcmp(activePath, noActivePath) == 0 && activeWidth == noActiveWidth &&
                 activeHeight == noActiveHeight;
    if (sameImages)
        noActiveImage.Release();
    else
        ImageMgr.LoadImageScaled(noActiveImage, noActivePath, noActiveWidth, noActiveHeight);
    SetPosition(0, 0);
}

void CButton::LoadToggle(const char* path)
{
    ImageMgr.LoadImage(toggleImage, path);
    hasToggle = true;
}

void CButton::SetPosition(float xPos, float yPos)
{
    x = xPos;
    y = yPos;
}

bool CButton::IsMouseOver() const
{
    Point cursor = CMgrInput::GetCursor();
    float cx = static_cast<float>(cursor.x);
    float cy = static_cast<float>(cursor.y);
    return x < cx && cx < x + activeImage.width && y < cy && cy < y + activeImage.height;
}

bool CButton::Update()
{
    Surface& back = BackBuffer();
    if (!IsMouseOver()) {
        hoverArmed = true;
        ImageMgr.Draw(back, toggled ? toggleImage : NoActive(), x, y);
        return false;
    }
    if (hoverArmed) {
        hoverArmed = false;
        PlayWidgetHoverSound();
    }
    ImageMgr.Draw(back, activeImage, x, y);
    if (!InputMgr.IsLeftButtonDown()) return false;
    if (hasToggle) toggled = !toggled;
    if (action) {
        action();
        // The flag is a level: consuming it makes the action fire once per press.
        InputMgr.Reset();
    }
    return true;
}

void CButton::Release()
{
    activeImage.Release();
    noActiveImage.Release();
    if (hasToggle) toggleImage.Release();
}
