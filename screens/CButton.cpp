// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/CButton.h"

#include <cstring>
#include <utility>

#include "core/CMgrInput.h"
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

void CButton::TakeImage(CImage image)
{
    activeImage = std::move(image);
    noActiveImage.Release();
    sameImages = true;
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

bool CButton::PressBeganOver() const
{
    Point press = InputMgr.LeftPressPoint();
    float px = static_cast<float>(press.x);
    float py = static_cast<float>(press.y);
    return x < px && px < x + activeImage.width && y < py && py < y + activeImage.height;
}

bool CButton::TakeClick(bool over)
{
    // A later press means the one taken ended unseen.
    if (pressTaken != 0 && InputMgr.LeftPressNumber() != pressTaken) pressTaken = 0;
    if (pressTaken == 0) {
        if (over && InputMgr.IsLeftButtonDown() && PressBeganOver()) {
            pressTaken = InputMgr.LeftPressNumber();
            InputMgr.ConsumeLeftButton();
        }
        return false;
    }
    if (InputMgr.IsLeftButtonHeld()) return false;
    pressTaken = 0;
    // Only in the frame that sees the release: a button that was off screen
    // then knows nothing of where the press ended.
    return over && InputMgr.LeftReleaseFrame() == InputMgr.FrameNumber();
}

bool CButton::Update()
{
    Surface& back = BackBuffer();
    const bool over = IsMouseOver();
    if (!over) {
        hoverArmed = true;
        ImageMgr.Draw(back, toggled ? toggleImage : NoActive(), x, y);
    } else {
        if (hoverArmed) {
            hoverArmed = false;
            PlayWidgetHoverSound();
        }
        ImageMgr.Draw(back, activeImage, x, y);
    }
    if (!TakeClick(over)) return false;
    if (hasToggle) toggled = !toggled;
    if (action) {
        action();
        // Nothing else acts on the keys and buttons of the frame that clicked.
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
