// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CMgrInput.h"

#include <algorithm>
#include <utility>

#include "platform/InputHub.h"

CMgrInput InputMgr;

namespace {

bool IsKeyCode(int key) { return key >= 0 && key < CMgrInput::kKeyCount; }

}  // namespace

void CMgrInput::Init()
{
    Reset();
    leftHeld = false;
    cursorHeld = false;
    leftReleasedNow = pressDeferred = tapDeferred = false;
}

void CMgrInput::KeyDown(int key)
{
    if (IsKeyCode(key)) keys[key] = 1;
}

void CMgrInput::KeyUp(int key)
{
    if (IsKeyCode(key)) keys[key] = 0;
}

bool CMgrInput::IsKeyDown(int key) const { return IsKeyCode(key) && keys[key] != 0; }

void CMgrInput::Reset()
{
    std::fill(std::begin(keys), std::end(keys), 0u);
    leftButton = false;
    rightButton = false;
    middleButton = false;
    wheelSteps = wheelStepsNextFrame = 0;
    std::fill(std::begin(unseen), std::end(unseen), false);
    std::fill(std::begin(releaseAtFrameEnd), std::end(releaseAtFrameEnd), false);
    keyPressUnseen = keyReleaseHeld = false;
    keysForNextFrame.clear();
}

bool CMgrInput::HoldBackRelease(int slot, bool down)
{
    if (down) {
        unseen[slot] = true;
        releaseAtFrameEnd[slot] = false;  // pressed again before the frame: down it stays
        return false;
    }
    releaseAtFrameEnd[slot] = unseen[slot];
    return releaseAtFrameEnd[slot];
}

void CMgrInput::OnKey(int key, bool down)
{
    if (!IsKeyCode(key)) return;
    // A press after a release that waits for the frame's end (the frame would
    // see them together, as if held at once), and everything behind such a
    // press: kept in order for the frames after.
    if (!keysForNextFrame.empty() || (down && keyReleaseHeld)) {
        keysForNextFrame.push_back({key, down});
        return;
    }
    ApplyKey(key, down);
}

void CMgrInput::ApplyKey(int key, bool down)
{
    if (down) {
        ++keyPresses;
        keyPressUnseen = true;
    } else if (keyPressUnseen && !unseen[key]) {
        // A modifier let go right after the key it went with: the frame
        // still sees it held.
        releaseAtFrameEnd[key] = true;
        keyReleaseHeld = true;
        return;
    }
    if (HoldBackRelease(key, down)) {
        keyReleaseHeld = true;
        return;
    }
    keys[key] = down ? 1 : 0;
}

void CMgrInput::TakeWaitingKeys()
{
    std::vector<KeyEvent> waiting;
    waiting.swap(keysForNextFrame);
    for (const KeyEvent& event : waiting) OnKey(event.key, event.down);
}

void CMgrInput::HoldCursorAtButton(bool down)
{
    // A press outweighs a release before it: the frame sees the button down.
    if (cursorHeld && (heldAtPress || !down)) return;
    cursorHeld = true;
    heldAtPress = down;
    heldCursor = InputHub::Cursor();  // the hub has just taken the button's position
}

void CMgrInput::CountLeftPress(Point where)
{
    ++leftPresses;
    leftPressPoint = where;
}

void CMgrInput::SetLeftButton(bool down)
{
    if (down && !leftButton) CountLeftPress(GetCursor());
    if (!down && leftHeld) leftReleaseFrame = frames;
    leftButton = down;
    leftHeld = down;
}

void CMgrInput::OnLeftButton(bool down)
{
    if (DeferLeftPress(down)) return;
    HoldCursorAtButton(down);
    if (down) CountLeftPress(InputHub::Cursor());
    if (HoldBackRelease(kLeftSlot, down)) {
        heldBackReleasePoint = InputHub::Cursor();
        return;
    }
    if (!down && leftHeld) {
        leftReleaseFrame = frames;
        leftReleasedNow = true;
    }
    leftButton = down;
    leftHeld = down;
}

bool CMgrInput::DeferLeftPress(bool down)
{
    if (down && leftReleasedNow && !pressDeferred) {
        pressDeferred = true;
        tapDeferred = false;
        deferredPressPoint = InputHub::Cursor();
        return true;
    }
    if (pressDeferred) {
        // Let go or pressed again before even the release had its frame: the
        // deferred press is then a tap, or a press again.
        tapDeferred = !down;
        if (!down) heldBackReleasePoint = InputHub::Cursor();
        return true;
    }
    return false;
}

void CMgrInput::TakeDeferredPress()
{
    leftReleasedNow = false;
    if (!pressDeferred) return;
    pressDeferred = false;
    CountLeftPress(deferredPressPoint);
    leftButton = leftHeld = true;
    unseen[kLeftSlot] = true;
    releaseAtFrameEnd[kLeftSlot] = tapDeferred;
    // The next frame sees the press where it happened, as any press.
    cursorHeld = true;
    heldAtPress = true;
    heldCursor = deferredPressPoint;
}

void CMgrInput::OnRightButton(bool down)
{
    HoldCursorAtButton(down);
    if (!HoldBackRelease(kRightSlot, down)) rightButton = down;
}

void CMgrInput::OnWheel(int steps)
{
    if (unseen[kLeftSlot] || pressDeferred)
        wheelStepsNextFrame += steps;
    else
        wheelSteps += steps;
}

void CMgrInput::OnMiddleButton(bool down)
{
    HoldCursorAtButton(down);
    middleButton = down;
}

void CMgrInput::EndFrame()
{
    ++frames;
    cursorHeld = false;
    wheelSteps = std::exchange(wheelStepsNextFrame, 0);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (releaseAtFrameEnd[slot]) {
            if (slot == kLeftSlot) {
                leftButton = leftHeld = false;
                leftReleaseFrame = frames;  // the next frame sees it, where it happened
                cursorHeld = true;
                heldAtPress = false;
                heldCursor = heldBackReleasePoint;
            } else if (slot == kRightSlot) {
                rightButton = false;
            } else {
                keys[slot] = 0;
            }
        }
        releaseAtFrameEnd[slot] = false;
        unseen[slot] = false;
    }
    keyPressUnseen = keyReleaseHeld = false;
    TakeDeferredPress();
    TakeWaitingKeys();
}

bool CMgrInput::AnyKeyDown() const
{
    return std::any_of(std::begin(keys), std::end(keys), [](std::uint32_t flag) { return flag != 0; });
}

Point CMgrInput::GetCursor() { return cursorHeld ? heldCursor : InputHub::Cursor(); }
