// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the window system's keys into the game's virtual-key codes.
#pragma once

class SdlKeyMap {
public:
    // scancode is an SDL_Scancode (the key's place on a US keyboard, USB HID
    // usage numbers), keycode an SDL_Keycode (what the key means in the
    // player's layout). Letters and digits follow the layout, every other key
    // its place. Answers 0 for a key the game has no code for.
    static int VirtualKey(int scancode, int keycode);
};
