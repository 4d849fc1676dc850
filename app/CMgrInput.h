// The keyboard and the two mouse buttons as levels: a flag is set while its
// key or button is down. A screen turns a level into one action by acting and
// then calling Reset, which consumes the press until the next key-down or
// button-down arrives. The window procedure (CApp::OnInput) writes the flags.
#pragma once

#include <cstdint>

#include "platform/Surface.h"

class CMgrInput {
public:
    static constexpr int kKeyCount = 256;

    void Init();
    // Virtual-key codes (platform/VirtualKeys.h); codes outside 0..255 are ignored.
    void KeyDown(int key);
    void KeyUp(int key);
    bool IsKeyDown(int key) const;
    void SetLeftButton(bool down) { leftButton = down; }
    void SetRightButton(bool down) { rightButton = down; }
    bool IsLeftButtonDown() const { return leftButton; }
    bool IsRightButtonDown() const { return rightButton; }
    // Every key flag and both buttons back to 0.
    void Reset();
    // Any of the 256 keys; the mouse buttons do not count.
    bool AnyKeyDown() const;

    // The cursor in back-buffer pixels, (0, 0) at the top-left of the frame;
    // not clipped to the frame.
    static Point GetCursor();

private:
    std::uint32_t keys[kKeyCount] = {};
    bool leftButton = false;
    bool rightButton = false;
};

extern CMgrInput InputMgr;
