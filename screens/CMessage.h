// SPDX-License-Identifier: GPL-3.0-or-later
// A message for the player, drawn by the game inside its own window (so it
// shows full screen and on every display) over the screen it interrupts,
// with an OK button. While it shows, that screen stands still and gets no
// input; a click on OK, Enter or Escape dismisses it, and the screen goes on
// exactly as it was. Messages that come while one shows wait their turn.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "platform/Surface.h"

class CMessage {
public:
    void Show(const std::string& text);
    // A question with two buttons: `yes` runs after a click on the first;
    // the second, Enter and Escape only dismiss it (the safe answer).
    void Ask(const std::string& text, const std::string& yesLabel, const std::string& noLabel,
             std::function<void()> yes);
    bool IsShowing() const { return !texts.empty(); }
    // The message on screen; empty when none.
    std::string GetText() const { return texts.empty() ? std::string() : texts.front().text; }
    void Dismiss();
    // A key going down while a message shows: Enter and Escape dismiss it.
    // Answers whether the key was the message's (the game must not see it).
    bool OnKeyDown(int key);
    // Called by the frame in place of the screen's own update: draws the
    // screen as it last was, dimmed, and the message over it; a click on OK
    // dismisses it, any other click is swallowed.
    void Update(Surface& back);
    // Keeps the finished frame as the screen behind the message (the frame
    // calls it before presenting, so a message shown during a frame has the
    // whole of that frame behind it).
    void KeepBackdrop(const Surface& back);
    // The OK button (a question's first) on the back buffer.
    PixelRect OkButton() const;
    // A question's second button; empty for a plain message.
    PixelRect SecondButton() const;
    // Forgets every message (a fresh start).
    void Clear();

private:
    struct Entry {
        std::string text;
        std::string yesLabel = "OK";
        std::string noLabel;  // empty: a plain message with its one button
        std::function<void()> yes;
    };
    bool IsQuestion() const { return !texts.empty() && !texts.front().noLabel.empty(); }
    void DrawButton(Surface& back, const PixelRect& rect, const std::string& label) const;

    std::deque<Entry> texts;
    Surface backdrop;
    bool haveBackdrop = false;
    int boxHeight = 0;
};

extern CMessage Message;
