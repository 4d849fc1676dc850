// SPDX-License-Identifier: GPL-3.0-or-later
// The game's window, as the game sees it: a client area of a fixed size in
// back-buffer pixels that shows one finished frame at a time, a title, an
// icon, full screen or not, and a source of input events. Two back-ends:
// SdlDisplay (a real window) and HeadlessDisplay (tests, no window at all).
#pragma once

#include <cstddef>

#include "platform/Surface.h"
#include "platform/WindowSize.h"

class Display {
public:
    virtual ~Display() = default;

    // Opens the window with a client area of width x height back-buffer
    // pixels, covering the whole screen (scaled, shape kept) when fullScreen.
    // False when no window can be made.
    virtual bool Open(const char* title, int width, int height, bool fullScreen) = 0;
    // Closes the window; safe to call when it is not open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // The window icon, decoded by the caller; black is transparent. False
    // when it cannot be shown (the window then keeps its icon).
    virtual bool SetIcon(const Surface& icon) = 0;
    virtual void SetTitle(const char* title) = 0;
    virtual void SetFullScreen(bool fullScreen) = 0;
    virtual bool IsFullScreen() const = 0;

    // The window's size when it is not full screen, in screen pixels. Set
    // before Open: a size the player chose in an earlier run (unknown: a
    // share of the screen). Answers the size the window has as a window now,
    // or had when it last was one.
    virtual void SetWindowedSize(WindowExtent size) { windowedSize = size; }
    virtual WindowExtent WindowedSize() const { return windowedSize; }

    // The client area in back-buffer pixels: the size the window was opened
    // with, however large it is on the screen.
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // How many pixels across and down the frame gives each client-area pixel,
    // so that it reaches the screen with the screen's own detail: the window
    // scales the frame down to its size, never up (Letterbox::DrawingScale).
    virtual int DrawingScale() const { return 1; }

    // Hands every event that is waiting to InputHub::Deliver, in order.
    virtual void PumpEvents() = 0;
    // Shows a finished frame and holds the game back to the display's refresh.
    virtual void Present(const Surface& frame) = 0;
    // The frame last presented, not drawn again and known to be unchanged:
    // only the wait, unless the window asked for its picture again.
    virtual void PresentSame(const Surface& frame) { Present(frame); }
    // Said before PresentSame: nothing on screen changes by itself for this
    // many seconds unless input comes, so the wait after the frame may last
    // until then, ending the moment input arrives. Holds for one frame.
    virtual void ExpectQuiet(double seconds) { (void)seconds; }
    // A frame that differs from the one last presented only inside the
    // rectangle (in the frame's pixels): only that part need reach the window.
    virtual void PresentArea(const Surface& frame, const PixelRect& changed)
    {
        (void)changed;
        Present(frame);
    }

    // A modal message box over the window, waiting for OK.
    virtual void ShowMessageBox(const char* caption, const char* text, bool isError) = 0;

    // Another program's window that the game waits for (the file dialog) must
    // not open unseen behind a full-screen game: StepAside leaves full screen
    // (a new window opens above any other, with or without a window manager,
    // so the window is never minimised); ComeBack puts it back as it was,
    // raised and with the keyboard focus. In pairs.
    virtual void StepAside() = 0;
    virtual void ComeBack() = 0;

    // For the log: how frames reach the screen, and why.
    virtual const char* PresenterNote() const { return ""; }

protected:
    WindowExtent windowedSize;
};
