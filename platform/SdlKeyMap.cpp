// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SdlKeyMap.h"

#include <SDL.h>

#include "platform/VirtualKeys.h"

namespace {

struct KeyPair {
    SDL_Scancode scancode;
    int virtualKey;
};

// Every key with a fixed place; letters and digits are handled apart.
constexpr KeyPair kPlacedKeys[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
    {SDL_SCANCODE_KP_COMMA, VK_SEPARATOR},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
    {SDL_SCANCODE_MENU, VK_APPS},
    {SDL_SCANCODE_EXECUTE, VK_EXECUTE},
    {SDL_SCANCODE_HELP, VK_HELP},
    {SDL_SCANCODE_SELECT, VK_SELECT},
    {SDL_SCANCODE_CLEAR, VK_CLEAR},
    {SDL_SCANCODE_MUTE, VK_VOLUME_MUTE},
    {SDL_SCANCODE_VOLUMEUP, VK_VOLUME_UP},
    {SDL_SCANCODE_VOLUMEDOWN, VK_VOLUME_DOWN},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
    {SDL_SCANCODE_AUDIONEXT, VK_MEDIA_NEXT_TRACK},
    {SDL_SCANCODE_AUDIOPREV, VK_MEDIA_PREV_TRACK},
    {SDL_SCANCODE_AUDIOSTOP, VK_MEDIA_STOP},
    {SDL_SCANCODE_AUDIOPLAY, VK_MEDIA_PLAY_PAUSE},
    {SDL_SCANCODE_AUDIOMUTE, VK_VOLUME_MUTE},
    {SDL_SCANCODE_MEDIASELECT, VK_LAUNCH_MEDIA_SELECT},
    {SDL_SCANCODE_MAIL, VK_LAUNCH_MAIL},
    {SDL_SCANCODE_CALCULATOR, VK_LAUNCH_APP2},
    {SDL_SCANCODE_COMPUTER, VK_LAUNCH_APP1},
    {SDL_SCANCODE_AC_SEARCH, VK_BROWSER_SEARCH},
    {SDL_SCANCODE_AC_HOME, VK_BROWSER_HOME},
    {SDL_SCANCODE_AC_BACK, VK_BROWSER_BACK},
    {SDL_SCANCODE_AC_FORWARD, VK_BROWSER_FORWARD},
    {SDL_SCANCODE_AC_STOP, VK_BROWSER_STOP},
    {SDL_SCANCODE_AC_REFRESH, VK_BROWSER_REFRESH},
    {SDL_SCANCODE_AC_BOOKMARKS, VK_BROWSER_FAVORITES},
    {SDL_SCANCODE_SLEEP, VK_SLEEP},
};

int LetterOrDigit(int keycode)
{
    if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + (keycode - SDLK_a);
    if (keycode >= SDLK_0 && keycode <= SDLK_9) return '0' + (keycode - SDLK_0);
    return 0;
}

int PlacedLetterOrDigit(int scancode)
{
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
    // The digit row runs 1 to 9, then 0.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    return 0;
}

int FunctionOrKeypadKey(int scancode)
{
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return VK_F1 + (scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) return VK_F1 + 12 + (scancode - SDL_SCANCODE_F13);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) return VK_NUMPAD0 + 1 + (scancode - SDL_SCANCODE_KP_1);
    return 0;
}

}  // namespace

int SdlKeyMap::VirtualKey(int scancode, int keycode)
{
    // Keys that type a letter or digit in the player's layout go by meaning
    // (an AZERTY "A" is 'A'), except on the keypad, whose keys go by place.
    bool onKeypad = scancode >= SDL_SCANCODE_KP_DIVIDE && scancode <= SDL_SCANCODE_KP_PERIOD;
    if (!onKeypad) {
        if (int key = LetterOrDigit(keycode)) return key;
        if (int key = PlacedLetterOrDigit(scancode)) return key;
    }
    if (int key = FunctionOrKeypadKey(scancode)) return key;
    for (const KeyPair& pair : kPlacedKeys) {
        if (pair.scancode == scancode) return pair.virtualKey;
    }
    return 0;
}
