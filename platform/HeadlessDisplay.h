// SPDX-License-Identifier: GPL-3.0-or-later
// A window that exists only in memory, for tests: it keeps the last frame it
// was given, delivers the events a test queued, and writes message boxes to
// standard error (constructing one turns every other message box of the
// process to standard error too, so that no test ever waits on a dialog).
#pragma once

#include <deque>
#include <string>

#include "platform/Display.h"
#include "platform/InputEvent.h"

class HeadlessDisplay : public Display {
public:
    HeadlessDisplay();

    bool Open(const char* title, int width, int height, bool fullScreen) override;
    void Close() override;
    bool IsOpen() const override { return open; }
    bool SetIcon(const Surface& icon) override;
    void SetTitle(const char* title) override;
    void SetFullScreen(bool fullScreen) override;
    bool IsFullScreen() const override { return fullScreen; }
    int ClientWidth() const override { return width; }
    int ClientHeight() const override { return height; }
    int DrawingScale() const override { return drawingScale; }
    void PumpEvents() override;
    void Present(const Surface& frame) override;
    void PresentArea(const Surface& frame, const PixelRect& changed) override;
    void ShowMessageBox(const char* caption, const char* text, bool isError) override;
    void StepAside() override;
    void ComeBack() override;

    // Test side.
    // The event reaches the game at the next PumpEvents, before the next frame.
    void Queue(const InputEvent& event) { queued.push_back(event); }
    // The size on the (imaginary) screen; a change queues a Resize event like a real window.
    void SetScreenSize(int screenWidth, int screenHeight);
    // The drawing scale the window asks for (1 unless a test says), with a
    // Resize event as a real window's change of size brings.
    void SetDrawingScale(int scale)
    {
        drawingScale = scale;
        Queue(InputEvent::Resize(width * scale, height * scale));
    }
    // Makes the next Open fail, as when there is no display.
    void FailNextOpen() { failOpen = true; }

    const Surface& LastFrame() const { return lastFrame; }
    long PresentCount() const { return presents; }
    // Of those, the frames of which only a part was presented.
    long AreaPresentCount() const { return areaPresents; }
    const std::string& Title() const { return title; }
    bool HasIcon() const { return hasIcon; }
    int OpenCount() const { return opens; }
    // Every message box shown, as "caption: text" lines.
    const std::string& MessageBoxes() const { return boxes; }
    // Whether the window is stepped aside now, and how often it stepped aside.
    bool IsSteppedAside() const { return steppedAside; }
    int StepAsideCount() const { return stepAsides; }

private:
    bool open = false;
    bool fullScreen = false;
    bool failOpen = false;
    bool hasIcon = false;
    bool steppedAside = false;
    int stepAsides = 0;
    int width = 0;
    int height = 0;
    int opens = 0;
    int drawingScale = 1;
    long presents = 0;
    long areaPresents = 0;
    std::string title;
    std::string boxes;
    Surface lastFrame;
    std::deque<InputEvent> queued;
};
