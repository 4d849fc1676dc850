// SPDX-License-Identifier: GPL-3.0-or-later
// What the screens and the puzzle ask of the application without knowing it:
// the application state, the end of the run, a message box, a dialog of
// another program, the window's outer size. Each request goes to the host the
// application serves at start (CApp is one, `SystemHost`); with the log, the
// errors, the clock and the input it is a service everyone may call, and it
// includes nothing above it.
#pragma once

#include <functional>
#include <string>

constexpr unsigned STATE_LOGO = 0;
constexpr unsigned STATE_MENU = 1;
constexpr unsigned STATE_GAME = 3;

// The application's side of the requests below.
class SystemHost {
public:
    virtual void SetState(unsigned state) = 0;
    virtual unsigned GetState() const = 0;
    virtual void PostQuit() = 0;
    virtual void ShowMessageBox(const char* caption, const char* text) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual std::string TakeDroppedFile() = 0;
    virtual void RunOutsideDialog(const std::function<void()>& dialog) = 0;
    virtual void InitAfterFirstFrame() = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // Releases everything that was started; a critical error calls it.
    virtual void Shutdown() = 0;

protected:
    ~SystemHost() = default;
};

class CSystem {
public:
    // The application that answers the requests (set once, by its constructor).
    void Serve(SystemHost* application) { host = application; }
    // Releases what the application started, if it is there (a critical error).
    void Shutdown();

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

private:
    SystemHost* host = nullptr;
};

extern CSystem System;
