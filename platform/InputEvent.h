// SPDX-License-Identifier: GPL-3.0-or-later
// One thing the player did, as the game's window procedure receives it.
// Both window back-ends (the real window and the headless one of the tests)
// turn what they see into these and hand every one to InputHub::Deliver.
#pragma once

#include <string>

enum class InputEventType {
    KeyDown,          // key: a Windows virtual-key code below 256; auto-repeat sends it again
    KeyUp,            // key
    ButtonDown,       // button, x, y
    ButtonUp,         // button, x, y
    MouseMove,        // x, y
    Close,            // the window's close box, or the system asking the game to quit
    Resize,           // the window changed size; x, y hold its new size in screen pixels
    ToggleFullScreen, // Alt+Enter: switch between full screen and a plain window
    Drop,             // text: a file (its path) or text dropped onto the window
    Wheel,            // key: the wheel's steps, positive away from the player; x, y: the cursor
    Focus,            // x: 1 the window took the keyboard focus, 0 it lost it
    Shown,            // x: 1 the window is on screen again, 0 it was minimised or hidden
};

enum class MouseButton { Left, Right, Middle };

// Positions are in back-buffer pixels: (0, 0) is the top-left corner of the
// frame the game draws, whatever the window's size and scaling. They are not
// clipped to the frame.
struct InputEvent {
    InputEventType type = InputEventType::MouseMove;
    int key = 0;
    MouseButton button = MouseButton::Left;
    int x = 0;
    int y = 0;
    std::string text;

    static InputEvent KeyDown(int key) { return {InputEventType::KeyDown, key, MouseButton::Left, 0, 0, {}}; }
    static InputEvent KeyUp(int key) { return {InputEventType::KeyUp, key, MouseButton::Left, 0, 0, {}}; }
    static InputEvent ButtonDown(MouseButton button, int x, int y)
    {
        return {InputEventType::ButtonDown, 0, button, x, y, {}};
    }
    static InputEvent ButtonUp(MouseButton button, int x, int y) { return {InputEventType::ButtonUp, 0, button, x, y, {}}; }
    static InputEvent MouseMove(int x, int y) { return {InputEventType::MouseMove, 0, MouseButton::Left, x, y, {}}; }
    static InputEvent Close() { return {InputEventType::Close, 0, MouseButton::Left, 0, 0, {}}; }
    static InputEvent Resize(int width, int height) { return {InputEventType::Resize, 0, MouseButton::Left, width, height, {}}; }
    static InputEvent ToggleFullScreen() { return {InputEventType::ToggleFullScreen, 0, MouseButton::Left, 0, 0, {}}; }
    // A path, or a "file://" address as file managers drop it.
    static InputEvent Drop(const std::string& dropped)
    {
        return {InputEventType::Drop, 0, MouseButton::Left, 0, 0, dropped};
    }

    static InputEvent Wheel(int steps, int x, int y) { return {InputEventType::Wheel, steps, MouseButton::Left, x, y, {}}; }
    static InputEvent Focus(bool focused) { return {InputEventType::Focus, 0, MouseButton::Left, focused ? 1 : 0, 0, {}}; }
    static InputEvent Shown(bool shown) { return {InputEventType::Shown, 0, MouseButton::Left, shown ? 1 : 0, 0, {}}; }

    bool operator==(const InputEvent&) const = default;
};
