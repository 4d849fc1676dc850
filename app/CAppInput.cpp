// SPDX-License-Identifier: GPL-3.0-or-later
// CApp's window procedure: every input event reaches the game here.
#include "app/CApp.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "core/CLog.h"
#include "platform/Display.h"
#include "core/CMgrInput.h"
#include "platform/InputEvent.h"
#include "platform/Paths.h"
#include "platform/VirtualKeys.h"
#include "puzzle/CGame.h"
#include "screens/CCard.h"
#include "screens/CMenu.h"
#include "screens/CMessage.h"
#include "screens/CPictureOpening.h"
#include "sound/CMgrSound.h"

namespace {

// Switches the music on or off on every screen.
constexpr int kMusicKey = 'M';
// Open the help card on every screen; pause a puzzle in play.
constexpr int kHelpKeys[] = {VK_F1, VK_OEM_2};
constexpr int kPauseKeys[] = {'P', VK_PAUSE};

template <std::size_t N>
bool IsOneOf(int key, const int (&keys)[N])
{
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

}  // namespace

void CApp::OnInput(const InputEvent& event)
{
    ++inputEvents;
    // Enter and Escape answer a message on screen; Escape then does not quit.
    if (event.type == InputEventType::KeyDown && Message.OnKeyDown(event.key)) return;
    // Escape gives up on a picture being opened; no other key reaches the game then.
    if (event.type == InputEventType::KeyDown && PictureOpening.OnKeyDown(event.key)) return;
    if (OnCardInput(event)) return;
    switch (event.type) {
    case InputEventType::Drop:
        // Only the menu's picture and cut pages take a picture; a drop during
        // play, on the logo or behind a message is ignored.
        droppedFile.clear();
        if (state == STATE_MENU && !Message.IsShowing() && !PictureOpening.IsBusy() &&
            (CMenu::GetPage() == MENU_PICTURES || CMenu::GetPage() == MENU_CUT)) {
            droppedFile = Paths::FromDroppedText(event.text);
            if (droppedFile.empty()) Log.Write("CApp: Dropped text names no file: %s\n", event.text.c_str());
        }
        return;
    case InputEventType::Close:
        PostQuit();
        break;
    case InputEventType::Resize:
        SetResizePending();
        break;
    case InputEventType::KeyDown:
    case InputEventType::KeyUp: {
        const bool down = event.type == InputEventType::KeyDown;
        // The music key belongs to no screen: it works everywhere and is
        // never taken for "any key".
        if (event.key == kMusicKey) {
            // Held down, the key repeats; only a fresh press switches.
            if (down && !musicKeyHeld) SoundMgr.SetMusicOn(!SoundMgr.IsMusicOn());
            musicKeyHeld = down;
            return;
        }
        InputMgr.OnKey(event.key, down);
        break;
    }
    case InputEventType::ButtonDown:
    case InputEventType::ButtonUp: {
        bool down = event.type == InputEventType::ButtonDown;
        if (event.button == MouseButton::Left) {
            InputMgr.OnLeftButton(down);
        } else if (event.button == MouseButton::Right) {
            InputMgr.OnRightButton(down);
        } else {
            InputMgr.OnMiddleButton(down);
        }
        break;
    }
    case InputEventType::Wheel:
        InputMgr.OnWheel(event.key);
        return;
    case InputEventType::ToggleFullScreen:
        if (window) {
            window->SetFullScreen(!window->IsFullScreen());
            fullScreenChoice = window->IsFullScreen();
        }
        return;
    case InputEventType::MouseMove:
        return;  // the cursor is tracked where input enters; nothing for the flags
    case InputEventType::Focus:
        windowFocused = event.x != 0;
        return;
    case InputEventType::Shown:
        windowShown = event.x != 0;
        return;
    }
    // Escape ends the game from any screen, at the first message after it went down.
    if (InputMgr.IsKeyDown(VK_ESCAPE)) PostQuit();
}

bool CApp::OnCardInput(const InputEvent& event)
{
    if (event.type == InputEventType::KeyUp) {
        Card.OnKeyUp(event.key);
        return false;  // a release always reaches the flags
    }
    const bool keyDown = event.type == InputEventType::KeyDown;
    if (!keyDown && event.type != InputEventType::ButtonDown) return false;
    // Escape still quits and M still switches the music, with a card or without.
    if (keyDown && (event.key == VK_ESCAPE || event.key == kMusicKey)) return false;
    if (Card.OnPress(keyDown ? event.key : 0)) return true;
    if (!keyDown) return false;
    if (IsOneOf(event.key, kHelpKeys)) {
        Card.ShowHelp(state, Game.IsCompleted(), event.key);
        EndHint();  // found it
        return true;
    }
    if (IsOneOf(event.key, kPauseKeys) && state == STATE_GAME && !Game.IsCompleted()) {
        Card.ShowPause(event.key);
        return true;
    }
    return false;
}

std::string CApp::TakeDroppedFile()
{
    std::string taken;
    taken.swap(droppedFile);
    return taken;
}
