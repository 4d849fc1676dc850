// SPDX-License-Identifier: GPL-3.0-or-later
// What the screens and the puzzle ask of the application without knowing it:
// the application state, the end of the run, a message box, a dialog of
// another program, the window's outer size. Each request goes to App; with
// the log, the errors, the clock and the input it is a service everyone may
// call.
#pragma once

#include <functional>
#include <string>

constexpr unsigned STATE_LOGO = 0;
constexpr unsigned STATE_MENU = 1;
constexpr unsigned STATE_GAME = 3;

class CSystem {
public:
    void SetState(unsigned state);
    unsigned GetState() const;
    // Ends the loop after the input already waiting, as the quit message does.
    void PostQuit();
    // A message box over the game's window; waits for OK.
    void ShowMessageBox(const char* caption, const char* text);
    // A message for the player (sentences saying what happened and what to
    // do), drawn by the game in its window with an OK button; the game goes
    // on beneath once it is dismissed. See CApp::ShowMessage.
    void ShowMessage(const std::string& text);
    // The picture file last dropped onto the window on a menu page, once;
    // empty when none is waiting.
    std::string TakeDroppedFile();
    // Runs a dialog of another program with the window stepped aside; its
    // time is not play time.
    void RunOutsideDialog(const std::function<void()>& dialog);
    // Starts what start-up left for after the first frame (the fonts) now, if
    // it has not run yet.
    void InitAfterFirstFrame();
    // The window's outer size in back-buffer pixels (805 x 635).
    int GetWidth() const;
    int GetHeight() const;
};

extern CSystem System;
