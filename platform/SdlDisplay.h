// SPDX-License-Identifier: GPL-3.0-or-later
// The real window, through SDL2. Full screen is a borderless window over the
// whole desktop that shows the frame scaled with its shape kept (black bars
// where the shapes differ); otherwise a plain, resizable window of the size
// the player gave it (at first a share of the screen, WindowSize), with the
// frame scaled into it the same way. Frames
// are paced to the display's refresh: by vsync where the renderer has it and
// it really waits, otherwise by a timed wait. The frame goes through SDL's
// accelerated renderer; where there is none, or where OpenGL itself only
// draws on the processor, the game scales the frame into the window's own
// pixels (WindowScaler) and sends only the part that changed.
#pragma once

#include <cstdint>

#include "platform/Display.h"
#include "platform/FramePacer.h"
#include "platform/WindowScaler.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;
union SDL_Event;

class SdlDisplay : public Display {
public:
    SdlDisplay() = default;
    ~SdlDisplay() override;
    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;

    bool Open(const char* title, int width, int height, bool fullScreen) override;
    void Close() override;
    bool IsOpen() const override { return window != nullptr; }
    bool SetIcon(const Surface& icon) override;
    void SetTitle(const char* title) override;
    void SetFullScreen(bool fullScreen) override;
    bool IsFullScreen() const override;
    int ClientWidth() const override { return width; }
    int ClientHeight() const override { return height; }
    int DrawingScale() const override;
    WindowExtent WindowedSize() const override;
    void PumpEvents() override;
    void Present(const Surface& frame) override;
    void PresentSame(const Surface& frame) override;
    void ExpectQuiet(double seconds) override;
    void PresentArea(const Surface& frame, const PixelRect& changed) override;
    void ShowMessageBox(const char* caption, const char* text, bool isError) override;
    void StepAside() override;
    void ComeBack() override;
    const char* PresenterNote() const override { return presenterNote; }

private:
    // The game draws at most this many pixels a unit (2400 x 1800): enough
    // for screens up to 2400 pixels high without stretching.
    static constexpr int kMaxDrawingScale = 3;
    // The longest sleep of a screen at rest, in seconds.
    static constexpr double kLongestQuietWait = 0.25;
    static bool StartVideo();
    bool CreateRenderer();
    static bool OpenGlIsSoftware();
    void TranslateEvent(const SDL_Event& event);
    void TranslateKey(const SDL_Event& event, bool down);
    Point ToFrame(int windowX, int windowY) const;
    void UpdateRefreshRate();
    void CoverDisplay();
    // The size the window takes as a window on the display it is on.
    WindowExtent WindowedSizeOnScreen() const;
    void WaitForNextFrame();
    void WaitWithoutPresent();
    // Sleeps until input comes or the seconds are over, whichever is first.
    void WaitForInput(double seconds);
    // The frame into the texture, and the texture to the window.
    bool ShowFrameTexture(const Surface& frame);
    // The texture, drawn to the window's letterbox.
    void ShowTexture();
    // The window's own pixels, where the game scales the frame itself.
    bool OpenWindowPixels();
    bool OutputSize(int& outputWidth, int& outputHeight) const;
    // The whole frame into the window's pixels; false when they are not to be had.
    bool ShowWhole(const Surface& frame);
    // Only the target pixels that `changed` (frame pixels) reaches; false
    // when the window's pixels no longer hold the last frame shown.
    bool ShowArea(const Surface& frame, const PixelRect& changed);

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    // Without a renderer: the window's pixels, the frame scaled into them.
    bool ownPixels = false;
    bool swapRedBlue = false;  // the window's pixels hold red in the high byte
    WindowScaler scaler;
    SDL_Surface* shownSurface = nullptr;  // the window's pixels that hold the last frame
    ScreenRect shownTarget;
    int textureWidth = 0;
    int textureHeight = 0;
    int width = 0;
    int height = 0;
    char title[256] = {};
    char presenterNote[384] = {};
    bool steppedAside = false;
    bool fullScreenBeforeStepAside = false;
    FramePacer pacer;
    double quietUntil = 0;  // nothing changes by itself before then (Seconds())
    std::uint64_t shownFingerprint = 0;  // of the frame last sent to the screen
    bool fingerprintKnown = false;       // false after a part of a frame was sent
    int shownWidth = 0;
    int shownHeight = 0;
    bool mustShow = true;  // the window needs a frame whatever it shows
    bool fullScreenPending = false;  // full screen asked for, not yet requested of the window manager
};
