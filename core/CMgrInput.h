// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard and the two mouse buttons as levels: a flag is set while its
// key or button is down. A screen turns a level into one action by acting and
// then calling Reset, which consumes the press until the next key-down or
// button-down arrives. The window procedure (CApp::OnInput) writes the flags.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/Surface.h"

class CMgrInput {
public:
    static constexpr int kKeyCount = 256;

    void Init();
    // Virtual-key codes (platform/VirtualKeys.h); codes outside 0..255 are ignored.
    void KeyDown(int key);
    void KeyUp(int key);
    bool IsKeyDown(int key) const;
    // Level setter; a down that finds the flag up counts as a new press at the cursor.
    void SetLeftButton(bool down);
    void SetRightButton(bool down) { rightButton = down; }
    // What the window procedure reports, as it arrives. A press sets its flag
    // at once. A release clears it at once too, unless no frame has seen the
    // press yet: a tap (a touchpad's, a remote desktop's, a quick click) comes
    // as press and release together, and is then down for one whole frame and
    // released when that frame ends; the frame after sees the left button's
    // release where it happened. A left press right after the release of a
    // held button, before a frame saw the release, waits for the next frame:
    // the frame between sees the button up where it was let go, so a carried
    // piece is put down there before the next press takes anything.
    // Keys keep their presses whole the same way: while a key press waits
    // for its frame, every key release waits with it (the frame sees Ctrl
    // and Shift as they were when Z went down, however soon they were let
    // go), and a press that comes after such a held-back release waits,
    // with everything after it, for the next frame: every press is seen by
    // one frame, with the keys that were down with it and no others.
    void OnKey(int key, bool down);
    void OnLeftButton(bool down);
    void OnRightButton(bool down);
    // The end of every frame: what was down has now been seen, and the
    // releases held back take effect.
    void EndFrame();
    // Counts the key presses that took effect (0 before the first): a frame
    // that sees a new one is not the last frame again.
    unsigned KeyPressNumber() const { return keyPresses; }
    bool IsLeftButtonDown() const { return leftButton; }
    // The left button as the hand holds it: Reset does not clear it, so a
    // widget that consumed a press still sees where it ends.
    bool IsLeftButtonHeld() const { return leftHeld; }
    // Counts the left button's presses (0 before the first): a widget tells
    // the press it took from a later one.
    unsigned LeftPressNumber() const { return leftPresses; }
    // Where the latest left press happened, in back-buffer pixels.
    Point LeftPressPoint() const { return leftPressPoint; }
    // Counts the frames ended so far (EndFrame): the number of the frame now.
    unsigned FrameNumber() const { return frames; }
    // The frame that first sees the left button up after its last press.
    unsigned LeftReleaseFrame() const { return leftReleaseFrame; }
    // The left button's level only: the press is taken, the keys stay.
    void ConsumeLeftButton() { leftButton = false; }
    bool IsRightButtonDown() const { return rightButton; }
    // The middle button as a level; it only drags the table. Until the frame
    // ends the cursor is where it went down or up, as for the others.
    void OnMiddleButton(bool down);
    bool IsMiddleButtonDown() const { return middleButton; }
    // The wheel's steps since the last frame ended (positive away from the
    // player), for the screen to take (the picture page turns its pages, the
    // table zooms); the end of the frame drops what nobody took, so a turn
    // never acts on a later screen.
    // A turn that comes after a left press no frame has seen yet waits for
    // the next frame: the press is taken in the view it was made in, and the
    // turn then acts as it came, after it.
    void OnWheel(int steps);
    int PendingWheelSteps() const { return wheelSteps; }
    int TakeWheelSteps()
    {
        const int steps = wheelSteps;
        wheelSteps = 0;
        return steps;
    }
    // Every key flag and both buttons back to 0; key presses still waiting
    // for a frame are consumed too.
    void Reset();
    // Any of the 256 keys; the mouse buttons do not count.
    bool AnyKeyDown() const;

    // The cursor in back-buffer pixels, (0, 0) at the top-left of the frame;
    // not clipped to the frame. Until the end of the frame that first sees a
    // press or a release of either button, it is where that happened (the
    // first press, else the first release; a tap's left release is seen the
    // frame after its press): the moves that came after it before the frame are seen by the
    // next one, so a quick press-and-drag takes what was under the press, and
    // a release followed at once by a move (a pointer let go on the move, a
    // driven pointer) still ends on what was under the release.
    static Point GetCursor();

private:
    // Where the held-back state of the two buttons follows the keys'.
    static constexpr int kLeftSlot = kKeyCount;
    static constexpr int kRightSlot = kKeyCount + 1;
    static constexpr int kSlotCount = kKeyCount + 2;

    // Answers whether the release has to wait for the end of the frame.
    bool HoldBackRelease(int slot, bool down);
    // A button going down or up before any frame saw another: the cursor
    // stays there (at the press, when a press follows a release).
    static void HoldCursorAtButton(bool down);
    void CountLeftPress(Point where);
    // Answers whether the left button's change waits for the next frame.
    bool DeferLeftPress(bool down);
    // The end of a frame: a deferred press takes effect for the next one.
    void TakeDeferredPress();
    void ApplyKey(int key, bool down);
    // The key events held for the next frame, in order, until one waits again.
    void TakeWaitingKeys();

    struct KeyEvent {
        int key;
        bool down;
    };

    std::uint32_t keys[kKeyCount] = {};
    unsigned keyPresses = 0;
    bool keyPressUnseen = false;  // some key went down since the last frame ended
    bool keyReleaseHeld = false;  // some key's release waits for the frame's end
    std::vector<KeyEvent> keysForNextFrame;
    bool leftButton = false;
    bool rightButton = false;
    bool middleButton = false;
    int wheelSteps = 0;
    int wheelStepsNextFrame = 0;
    bool leftHeld = false;
    unsigned leftPresses = 0;
    Point leftPressPoint{};
    unsigned frames = 0;
    unsigned leftReleaseFrame = 0;
    // Pressed since the last frame ended: no frame has seen it yet.
    bool unseen[kSlotCount] = {};
    // Released before any frame saw the press: cleared at the end of the frame.
    bool releaseAtFrameEnd[kSlotCount] = {};
    // Where the left button was let go when that release waits for the frame's end.
    Point heldBackReleasePoint{};
    // The held left button was let go since the last frame ended.
    bool leftReleasedNow = false;
    // A left press that came after that release, kept for the next frame, and
    // whether it was let go again (a tap).
    bool pressDeferred = false;
    bool tapDeferred = false;
    Point deferredPressPoint{};
    static inline bool cursorHeld = false;
    static inline bool heldAtPress = false;
    static inline Point heldCursor{};
};

extern CMgrInput InputMgr;
