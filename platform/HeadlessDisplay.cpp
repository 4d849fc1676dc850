// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HeadlessDisplay.h"

#include <algorithm>

#include <cstring>

#include "platform/InputHub.h"
#include "platform/MessageBox.h"

HeadlessDisplay::HeadlessDisplay() { MessageBox::SendToStandardError(true); }

bool HeadlessDisplay::Open(const char* title_, int width_, int height_, bool fullScreen_)
{
    if (failOpen) {
        failOpen = false;
        return false;
    }
    open = true;
    ++opens;
    title = title_;
    width = width_;
    height = height_;
    fullScreen = fullScreen_;
    hasIcon = false;
    return true;
}

void HeadlessDisplay::Close()
{
    open = false;
    queued.clear();
}

bool HeadlessDisplay::SetIcon(const Surface& icon)
{
    hasIcon = !icon.IsEmpty();
    return hasIcon;
}

void HeadlessDisplay::SetTitle(const char* title_) { title = title_; }

void HeadlessDisplay::SetFullScreen(bool fullScreen_)
{
    if (fullScreen == fullScreen_) return;
    fullScreen = fullScreen_;
    Queue(InputEvent::Resize(width, height));
}

void HeadlessDisplay::SetScreenSize(int screenWidth, int screenHeight)
{
    Queue(InputEvent::Resize(screenWidth, screenHeight));
}

void HeadlessDisplay::PumpEvents()
{
    // Events queued while these are handled wait for the next pump, as a
    // real window's would.
    std::deque<InputEvent> now;
    now.swap(queued);
    for (const InputEvent& event : now) InputHub::Deliver(event);
}

void HeadlessDisplay::Present(const Surface& frame)
{
    lastFrame = frame;
    ++presents;
}

// Only the changed rows' part is copied, as a real window updates only that
// part of its picture: a test comparing LastFrame with a whole frame sees
// whatever the game left out.
void HeadlessDisplay::PresentArea(const Surface& frame, const PixelRect& changed)
{
    if (lastFrame.Width() != frame.Width() || lastFrame.Height() != frame.Height() ||
        lastFrame.Scale() != frame.Scale()) {
        Present(frame);
        return;
    }
    const int left = std::clamp(changed.left, 0, frame.Width());
    const int right = std::clamp(changed.right, left, frame.Width());
    const int top = std::clamp(changed.top, 0, frame.Height());
    const int bottom = std::clamp(changed.bottom, top, frame.Height());
    for (int y = top; y < bottom; ++y) std::copy(frame.Row(y) + left, frame.Row(y) + right, lastFrame.Row(y) + left);
    ++presents;
    ++areaPresents;
}

void HeadlessDisplay::ShowMessageBox(const char* caption, const char* text, bool)
{
    boxes += caption;
    boxes += ": ";
    boxes += text;
    if (boxes.empty() || boxes.back() != '\n') boxes += '\n';
    MessageBox::WriteToStandardError(caption, text);
}

// Nothing to make room for: the test only learns that the game asked.
void HeadlessDisplay::StepAside()
{
    steppedAside = true;
    ++stepAsides;
}

void HeadlessDisplay::ComeBack() { steppedAside = false; }
