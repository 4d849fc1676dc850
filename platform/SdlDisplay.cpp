// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SdlDisplay.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/GraphicsDevice.h"
#include "platform/InputHub.h"
#include "platform/Letterbox.h"
#include "platform/MessageBox.h"
#include "platform/QuitSignals.h"
#include "platform/SdlKeyMap.h"
#include "platform/VirtualKeys.h"

#if defined(__SANITIZE_ADDRESS__)
#define PAVENDRA_KEEP_GL_LOADED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PAVENDRA_KEEP_GL_LOADED 1
#endif
#endif
#ifndef PAVENDRA_KEEP_GL_LOADED
#define PAVENDRA_KEEP_GL_LOADED 0
#endif

namespace {

// Keys that reach the game only as the window system's own: Alt, F10 and
// everything typed with Alt held (Alt+Enter, Alt+F4, ...). A player toggling
// full screen does not want the logo screen to take it for "any key".
bool IsSystemKey(const SDL_Keysym& key, int virtualKey)
{
    return virtualKey == VK_MENU || virtualKey == VK_F10 || (key.mod & KMOD_ALT) != 0;
}

// A 64-bit fingerprint of a frame's pixels, in four independent lanes so
// that it runs at memory speed: two different frames share one with a chance
// of one in 2^64, far below anything a player could ever meet, and an equal
// one would only hold the old picture until the next change.
std::uint64_t Fingerprint(const Surface& frame)
{
    constexpr std::uint64_t kPrime = 0x9E3779B97F4A7C15ull;
    std::uint64_t lane[4] = {1, 2, 3, 4};
    const std::size_t count = static_cast<std::size_t>(frame.Width()) * static_cast<std::size_t>(frame.Height());
    const Colour* pixels = frame.Pixels();
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        for (int k = 0; k < 4; ++k) {
            std::uint64_t word;
            std::memcpy(&word, pixels + i + 2 * k, sizeof word);
            lane[k] = (lane[k] ^ word) * kPrime;
            lane[k] ^= lane[k] >> 29;
        }
    }
    std::uint64_t hash = count;
    for (; i < count; ++i) hash = (hash ^ pixels[i]) * kPrime;
    for (std::uint64_t l : lane) {
        hash = (hash ^ l) * kPrime;
        hash ^= hash >> 32;
    }
    return hash;
}

// Names of OpenGL renderers that draw on the processor, not on a graphics
// card, as the drivers report them (lower case).
bool NamesSoftwareRasteriser(const char* name)
{
    char lower[256];
    std::size_t n = 0;
    for (; name[n] && n + 1 < sizeof lower; ++n) {
        lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[n])));
    }
    lower[n] = '\0';
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "software renderer"}) {
        if (std::strstr(lower, word)) return true;
    }
    return false;
}

// The name OpenGL gave for its renderer ("none" when there is no OpenGL),
// and whether it draws on the processor; asked once per run.
char openGlRenderer[256] = "";
bool openGlIsSoftware = false;
bool openGlAsked = false;

double Seconds()
{
    return static_cast<double>(SDL_GetPerformanceCounter()) / static_cast<double>(SDL_GetPerformanceFrequency());
}

}  // namespace

SdlDisplay::~SdlDisplay() { Close(); }

// The video system starts with the first window and stays up until the
// process ends. In the sanitizer builds the OpenGL library stays loaded too:
// the window system's libraries are then never unloaded while the game runs,
// so that whatever they keep for themselves is still known by name when the
// leak checker looks at the end. Elsewhere it is loaded only when a renderer
// wants it.
bool SdlDisplay::StartVideo()
{
    static bool started = false;
    if (started) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Without a display SDL falls back to drivers that show nothing: a game in
    // an invisible window could never be ended by its player.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetError("no display to open a window on");
        return false;
    }
#if PAVENDRA_KEEP_GL_LOADED
    SDL_GL_LoadLibrary(nullptr);  // no OpenGL is fine: the renderer then draws in software
#endif
    // After SDL's own handlers: the end of the session reaches the game as a
    // close request, whichever signal brings it.
    QuitSignals::Install();
    started = true;
    return true;
}

bool SdlDisplay::Open(const char* title_, int width_, int height_, bool fullScreen)
{
    Close();
    if (!StartVideo()) {
        std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
        return false;
    }
    width = width_;
    height = height_;
    std::snprintf(title, sizeof title, "%s", title_);

    // A click that brings the window to the front is a click in the game too.
    // Window managers give the window the focus on that press and then let
    // the press through; SDL would drop a press that comes within a few
    // milliseconds of the focus otherwise.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Scale the frame smoothly when the screen is larger than the frame.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // A window of a good share of the screen, or of the size the player gave
    // it last time; the frame is letterboxed into whatever size it has.
    windowedSize = WindowedSizeOnScreen();
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, windowedSize.width,
                              windowedSize.height, SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (window) SDL_SetWindowMinimumSize(window, WindowSize::kMinWidth, WindowSize::kMinHeight);
    if (!window || !CreateRenderer()) {
        std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        Close();
        return false;
    }
    // After the renderer, which may build the window anew for its own needs;
    // before the window shows, so that it never flashes up small. The window
    // manager is asked for full screen only once the first frame is on
    // screen: waiting for its answer would hold the first frame back.
    if (fullScreen) {
        CoverDisplay();
        fullScreenPending = true;
    }
    SDL_ShowWindow(window);
    UpdateRefreshRate();
    return true;
}

// The game draws every frame itself and hands over one finished picture:
// OpenGL only scales it. Where OpenGL itself draws on the processor (no
// graphics card, a virtual machine, a remote desktop) it brings nothing but
// its shader compiler's tens of megabytes; the game then scales the frame
// into the window's own pixels, which also lets it send the window only
// what changed. SDL's software renderer is the last resort.
bool SdlDisplay::CreateRenderer()
{
    if (!OpenGlIsSoftware()) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    }
    if (!renderer) {
        // The window's own pixels, shown by the window system: no hidden
        // OpenGL renderer behind them either.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (OpenWindowPixels()) {
            pacer.SetVsyncClaimed(false);
            std::snprintf(presenterNote, sizeof presenterNote,
                          "Frames scaled by the game into the window's own pixels; OpenGL: %s%s", openGlRenderer,
                          openGlIsSoftware && openGlAsked ? ", a software rasteriser, not used" : "");
            return true;
        }
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!renderer) return false;
    SDL_RendererInfo info;
    bool known = SDL_GetRendererInfo(renderer, &info) == 0;
    bool vsync = known && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    pacer.SetVsyncClaimed(vsync);
    std::snprintf(presenterNote, sizeof presenterNote, "Frames shown by SDL's %s renderer%s; OpenGL: %s%s",
                  known ? info.name : "unknown", vsync ? " (vsync claimed)" : "", openGlRenderer,
                  openGlIsSoftware && openGlAsked ? ", a software rasteriser, not used" : "");
    return true;
}

// Four bytes a pixel with red either at the bottom, as the game keeps it, or
// at the top, as most X servers do; anything else is left to SDL's renderer.
// The pixels themselves are made with the first frame, at the window's size
// by then (full screen comes before it).
bool SdlDisplay::OpenWindowPixels()
{
    const Uint32 format = SDL_GetWindowPixelFormat(window);
    if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) {
        swapRedBlue = true;
    } else if (format == SDL_PIXELFORMAT_BGR888 || format == SDL_PIXELFORMAT_ABGR8888) {
        swapRedBlue = false;
    } else {
        return false;
    }
    ownPixels = true;
    return true;
}

bool SdlDisplay::OutputSize(int& outputWidth, int& outputHeight) const
{
    outputWidth = outputHeight = 0;
    if (renderer) return SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) == 0;
    if (!window) return false;
    SDL_GetWindowSizeInPixels(window, &outputWidth, &outputHeight);
    return outputWidth > 0 && outputHeight > 0;
}

// Asks OpenGL once, in a small hidden window of its own, which renderer it
// has; the window, its context and the library are let go again at once.
// Without any graphics device, or told to draw in software, OpenGL could
// only draw on the processor: it is not even loaded.
bool SdlDisplay::OpenGlIsSoftware()
{
    if (*openGlRenderer) return openGlIsSoftware;
    const char* forced = SDL_getenv("LIBGL_ALWAYS_SOFTWARE");
    if (forced && *forced && std::strcmp(forced, "0") != 0) {
        std::snprintf(openGlRenderer, sizeof openGlRenderer, "not asked (told to draw in software)");
        openGlIsSoftware = true;
        return true;
    }
    if (!GraphicsDevice::MayBePresent()) {
        std::snprintf(openGlRenderer, sizeof openGlRenderer, "not asked (no graphics device)");
        openGlIsSoftware = true;
        return true;
    }
    openGlAsked = true;
    std::snprintf(openGlRenderer, sizeof openGlRenderer, "none");
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!probe) return false;
    if (SDL_GLContext context = SDL_GL_CreateContext(probe)) {
        using GetString = const GLubyte*(APIENTRY*)(GLenum);
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const GLubyte* name = getString ? getString(GL_RENDERER) : nullptr;
        if (name) {
            std::snprintf(openGlRenderer, sizeof openGlRenderer, "%s", reinterpret_cast<const char*>(name));
            openGlIsSoftware = NamesSoftwareRasteriser(openGlRenderer);
        }
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(probe);
    return openGlIsSoftware;
}

void SdlDisplay::Close()
{
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    textureWidth = textureHeight = 0;
    ownPixels = false;
    shownSurface = nullptr;
    scaler = WindowScaler();
    shownWidth = shownHeight = 0;
    mustShow = true;
    fullScreenPending = false;
}

bool SdlDisplay::SetIcon(const Surface& picture)
{
    if (!window || picture.IsEmpty()) return false;
    // SDL copies the pixels; the surface only lends them for the call.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Colour*>(picture.Pixels()), picture.Width(),
                                                           picture.Height(), 32, picture.Width() * 4,
                                                           SDL_PIXELFORMAT_XBGR8888);
    if (!icon) return false;
    SDL_SetColorKey(icon, SDL_TRUE, SDL_MapRGB(icon->format, 0, 0, 0));
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
    return true;
}

void SdlDisplay::SetTitle(const char* title_)
{
    // The game sets its title every frame; only a change goes to the window system.
    if (!window || std::strncmp(title, title_, sizeof title - 1) == 0) return;
    std::snprintf(title, sizeof title, "%s", title_);
    SDL_SetWindowTitle(window, title);
}

void SdlDisplay::SetFullScreen(bool fullScreen)
{
    if (!window || fullScreen == IsFullScreen()) return;
    mustShow = true;
    if (fullScreen) {
        windowedSize = WindowedSize();  // the player's window comes back as it was
        CoverDisplay();
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        fullScreenPending = false;
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, SDL_TRUE);
        windowedSize = WindowedSizeOnScreen();
        SDL_SetWindowSize(window, windowedSize.width, windowedSize.height);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    UpdateRefreshRate();
}

// Covers the whole display without a border: where no window manager takes
// up the full-screen request (a bare X server), the window is then full
// screen all the same.
void SdlDisplay::CoverDisplay()
{
    SDL_Rect bounds;
    int index = SDL_GetWindowDisplayIndex(window);
    if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &bounds) == 0) {
        SDL_SetWindowBordered(window, SDL_FALSE);
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
}

WindowExtent SdlDisplay::WindowedSizeOnScreen() const
{
    SDL_Rect usable{0, 0, 0, 0};
    int index = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (SDL_GetDisplayUsableBounds(index < 0 ? 0 : index, &usable) != 0) usable = SDL_Rect{0, 0, 0, 0};
    if (windowedSize.IsKnown()) return WindowSize::Fit(windowedSize, usable.w, usable.h);
    return WindowSize::Default(width, height, usable.w, usable.h);
}

WindowExtent SdlDisplay::WindowedSize() const
{
    if (!window || IsFullScreen() || steppedAside) return windowedSize;
    WindowExtent now;
    SDL_GetWindowSize(window, &now.width, &now.height);
    return now.IsKnown() ? now : windowedSize;
}

bool SdlDisplay::IsFullScreen() const
{
    if (fullScreenPending) return true;
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}

void SdlDisplay::UpdateRefreshRate()
{
    SDL_DisplayMode mode;
    int index = window ? SDL_GetWindowDisplayIndex(window) : 0;
    bool known = index >= 0 && SDL_GetCurrentDisplayMode(index, &mode) == 0;
    pacer.SetRefreshRate(known ? mode.refresh_rate : 0);
}

int SdlDisplay::DrawingScale() const
{
    int outputWidth = 0, outputHeight = 0;
    if (!OutputSize(outputWidth, outputHeight)) return 1;
    return Letterbox(width, height, outputWidth, outputHeight).DrawingScale(kMaxDrawingScale);
}

Point SdlDisplay::ToFrame(int windowX, int windowY) const
{
    int windowWidth = width, windowHeight = height;
    SDL_GetWindowSize(window, &windowWidth, &windowHeight);
    return Letterbox(width, height, windowWidth, windowHeight).ToFrame(windowX, windowY);
}

void SdlDisplay::PumpEvents()
{
    if (!window) return;
    if (fullScreenPending && shownWidth > 0) {
        // The first frame is on screen: now the window manager may take its time.
        fullScreenPending = false;
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        UpdateRefreshRate();
        mustShow = true;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) TranslateEvent(event);
    if (QuitSignals::TakeRequest()) InputHub::Deliver(InputEvent::Close());
}

void SdlDisplay::TranslateEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        InputHub::Deliver(InputEvent::Close());
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            InputHub::Deliver(InputEvent::Close());
        } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            mustShow = true;
            InputHub::Deliver(InputEvent::Resize(event.window.data1, event.window.data2));
        } else if (event.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) {
            mustShow = true;
            UpdateRefreshRate();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_MAXIMIZED) {
            mustShow = true;
        } else if (event.window.event == SDL_WINDOWEVENT_SHOWN || event.window.event == SDL_WINDOWEVENT_RESTORED) {
            mustShow = true;
            InputHub::Deliver(InputEvent::Shown(true));
        } else if (event.window.event == SDL_WINDOWEVENT_MINIMIZED || event.window.event == SDL_WINDOWEVENT_HIDDEN) {
            InputHub::Deliver(InputEvent::Shown(false));
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ||
                   event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            InputHub::Deliver(InputEvent::Focus(event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED));
        }
        break;
    case SDL_KEYDOWN:
        TranslateKey(event, true);
        break;
    case SDL_KEYUP:
        TranslateKey(event, false);
        break;
    case SDL_MOUSEMOTION: {
        Point at = ToFrame(event.motion.x, event.motion.y);
        InputHub::Deliver(InputEvent::MouseMove(at.x, at.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (event.button.button != SDL_BUTTON_LEFT && event.button.button != SDL_BUTTON_RIGHT &&
            event.button.button != SDL_BUTTON_MIDDLE)
            break;
        MouseButton button = event.button.button == SDL_BUTTON_LEFT    ? MouseButton::Left
                             : event.button.button == SDL_BUTTON_RIGHT ? MouseButton::Right
                                                                       : MouseButton::Middle;
        Point at = ToFrame(event.button.x, event.button.y);
        InputHub::Deliver(event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::ButtonDown(button, at.x, at.y)
                                                            : InputEvent::ButtonUp(button, at.x, at.y));
        break;
    }
    case SDL_MOUSEWHEEL: {
        // Whole steps only; a flipped wheel turns the other way.
        const int steps = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        if (steps == 0) break;
        const Point at = InputHub::Cursor();
        InputHub::Deliver(InputEvent::Wheel(steps, at.x, at.y));
        break;
    }
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
        if (event.drop.file) {
            InputHub::Deliver(InputEvent::Drop(event.drop.file));
            SDL_free(event.drop.file);
        }
        break;
    default:
        break;
    }
}

void SdlDisplay::TranslateKey(const SDL_Event& event, bool down)
{
    const SDL_Keysym& key = event.key.keysym;
    int virtualKey = SdlKeyMap::VirtualKey(key.scancode, key.sym);
    if (down && (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0) {
        if (!event.key.repeat) InputHub::Deliver(InputEvent::ToggleFullScreen());
        return;
    }
    if (virtualKey == 0) return;
    if (!down) {
        // A release always goes through: a flag left set would stick.
        InputHub::Deliver(InputEvent::KeyUp(virtualKey));
    } else if (!IsSystemKey(key, virtualKey)) {
        InputHub::Deliver(InputEvent::KeyDown(virtualKey));
    }
}

void SdlDisplay::Present(const Surface& frame)
{
    if ((!renderer && !ownPixels) || frame.IsEmpty()) return;
    // A frame just like the one on screen is not sent again: while nothing
    // moves the game then costs little more than drawing its frames. The
    // window system asks for a fresh one when the window was uncovered, resized
    // or changed between full screen and a window.
    const std::uint64_t fingerprint = Fingerprint(frame);
    if (!mustShow && fingerprintKnown && fingerprint == shownFingerprint && shownWidth == frame.Width() &&
        shownHeight == frame.Height()) {
        WaitWithoutPresent();
        return;
    }
    if (ownPixels ? !ShowWhole(frame) : !ShowFrameTexture(frame)) {
        // Nothing reached the window; the loop still keeps to the beat.
        WaitWithoutPresent();
        return;
    }
    shownFingerprint = fingerprint;
    fingerprintKnown = true;
    shownWidth = frame.Width();
    shownHeight = frame.Height();
    mustShow = false;
    WaitForNextFrame();
}

bool SdlDisplay::ShowFrameTexture(const Surface& frame)
{
    if (!texture || textureWidth != frame.Width() || textureHeight != frame.Height()) {
        if (texture) SDL_DestroyTexture(texture);
        // Our pixels hold red in the low byte: XBGR in SDL's words.
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STATIC, frame.Width(),
                                    frame.Height());
        textureWidth = texture ? frame.Width() : 0;
        textureHeight = texture ? frame.Height() : 0;
        if (!texture) return false;
    }
    SDL_UpdateTexture(texture, nullptr, frame.Pixels(), frame.Width() * static_cast<int>(sizeof(Colour)));
    ShowTexture();
    return true;
}

// The texture holds the frame last shown: only the changed part is sent to
// it (at a drawing scale of 2 or 3 a whole frame is millions of pixels), and
// no fingerprint is taken, which would read the whole frame. The next whole
// frame then always goes out.
void SdlDisplay::PresentArea(const Surface& frame, const PixelRect& changed)
{
    if ((!renderer && !ownPixels) || frame.IsEmpty()) return;
    const int left = std::clamp(changed.left, 0, frame.Width());
    const int right = std::clamp(changed.right, left, frame.Width());
    const int top = std::clamp(changed.top, 0, frame.Height());
    const int bottom = std::clamp(changed.bottom, top, frame.Height());
    if (ownPixels) {
        if (mustShow || shownWidth != frame.Width() || shownHeight != frame.Height() || left == right ||
            top == bottom || !ShowArea(frame, PixelRect{left, top, right, bottom})) {
            Present(frame);
            return;
        }
        fingerprintKnown = false;
        WaitForNextFrame();
        return;
    }
    if (mustShow || !texture || textureWidth != frame.Width() || textureHeight != frame.Height() ||
        shownWidth != frame.Width() || shownHeight != frame.Height() || left == right || top == bottom) {
        Present(frame);
        return;
    }
    const SDL_Rect area{left, top, right - left, bottom - top};
    SDL_UpdateTexture(texture, &area, frame.Row(top) + left, frame.Width() * static_cast<int>(sizeof(Colour)));
    ShowTexture();
    fingerprintKnown = false;
    WaitForNextFrame();
}

bool SdlDisplay::ShowWhole(const Surface& frame)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface || surface->format->BytesPerPixel != 4 ||
        (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0))
        return false;
    const ScreenRect target = Letterbox(frame.Width(), frame.Height(), surface->w, surface->h).Target();
    if (!scaler.Fits(frame.Width(), frame.Height(), target.width, target.height))
        scaler = WindowScaler(frame.Width(), frame.Height(), target.width, target.height);
    // The bars beside or above and below the frame.
    const SDL_Rect bars[] = {{0, 0, surface->w, target.y},
                             {0, target.y + target.height, surface->w, surface->h - target.y - target.height},
                             {0, target.y, target.x, target.height},
                             {target.x + target.width, target.y, surface->w - target.x - target.width, target.height}};
    for (const SDL_Rect& bar : bars)
        if (bar.w > 0 && bar.h > 0) SDL_FillRect(surface, &bar, SDL_MapRGB(surface->format, 0, 0, 0));
    auto* pixels = static_cast<std::uint32_t*>(surface->pixels);
    const std::ptrdiff_t pitch = surface->pitch / 4;
    scaler.Scale(frame, ScreenRect{0, 0, target.width, target.height}, pixels + target.y * pitch + target.x, pitch,
                 swapRedBlue);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
    shownSurface = surface;
    shownTarget = target;
    return true;
}

bool SdlDisplay::ShowArea(const Surface& frame, const PixelRect& changed)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface || surface != shownSurface) return false;
    const ScreenRect target = Letterbox(frame.Width(), frame.Height(), surface->w, surface->h).Target();
    if (target.x != shownTarget.x || target.y != shownTarget.y || target.width != shownTarget.width ||
        target.height != shownTarget.height || !scaler.Fits(frame.Width(), frame.Height(), target.width, target.height))
        return false;
    const ScreenRect area = scaler.TargetArea(changed);
    if (area.width <= 0 || area.height <= 0) return true;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    auto* pixels = static_cast<std::uint32_t*>(surface->pixels);
    const std::ptrdiff_t pitch = surface->pitch / 4;
    scaler.Scale(frame, area, pixels + target.y * pitch + target.x, pitch, swapRedBlue);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    const SDL_Rect sent{target.x + area.x, target.y + area.y, area.width, area.height};
    SDL_UpdateWindowSurfaceRects(window, &sent, 1);
    return true;
}

void SdlDisplay::ShowTexture()
{
    int outputWidth = 0, outputHeight = 0;
    SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight);
    ScreenRect target = Letterbox(textureWidth, textureHeight, outputWidth, outputHeight).Target();
    SDL_Rect destination{target.x, target.y, target.width, target.height};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &destination);
    SDL_RenderPresent(renderer);
}

void SdlDisplay::PresentSame(const Surface& frame)
{
    if (!mustShow && shownWidth == frame.Width() && shownHeight == frame.Height()) {
        WaitWithoutPresent();
        return;
    }
    Present(frame);
}

void SdlDisplay::ExpectQuiet(double seconds) { quietUntil = Seconds() + seconds; }

void SdlDisplay::WaitWithoutPresent()
{
    const double now = Seconds();
    double wait = pacer.WaitWithoutPresent(now);
    // A screen at rest sleeps until input or its next change of its own,
    // not a refresh period at a time; now and then it wakes all the same,
    // for whatever no event announces (a quit signal).
    const double quiet = std::min(quietUntil - now, kLongestQuietWait);
    quietUntil = 0;
    if (quiet > wait) {
        WaitForInput(quiet);
        return;
    }
    if (wait <= 0) return;
    double start = Seconds();
    SDL_Delay(static_cast<Uint32>(wait * 1000.0));
    pacer.WaitDone(Seconds() - start);
}

void SdlDisplay::WaitForInput(double seconds)
{
    const double start = Seconds();
    // Rounded up: waking a little early would only mean another wait.
    const int milliseconds = static_cast<int>(std::ceil(seconds * 1000.0));
    // With no event given, an event that comes stays queued for PumpEvents.
    SDL_WaitEventTimeout(nullptr, milliseconds);
    pacer.WaitDone(Seconds() - start);
}

void SdlDisplay::WaitForNextFrame()
{
    double wait = pacer.WaitAfterPresent(Seconds());
    if (wait <= 0) return;
    double start = Seconds();
    SDL_Delay(static_cast<Uint32>(wait * 1000.0));
    pacer.WaitDone(Seconds() - start);
}

void SdlDisplay::ShowMessageBox(const char* caption, const char* text, bool isError)
{
    MessageBox::WriteToStandardError(caption, text);
    if (MessageBox::IsSentToStandardError()) return;
    Uint32 flags = isError ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, caption, text, window) == 0) return;
    // Some X servers have no box for a parent window: try without one, then
    // the desktop's tools (the text is on standard error already).
    if (SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) == 0) return;
    MessageBox::ShowWithTool(caption, text, isError ? MessageBoxIcon::Error : MessageBoxIcon::Information);
}

// A full-screen window stays above every other on most desktops: it becomes
// a plain window while another program's dialog is open. A new window opens
// above the others with or without a window manager, so the game's window is
// not minimised: a minimised window would have to be brought back by a
// window manager, which may not even have heard of the minimising yet when
// the dialog closes (and without one it never comes back).
void SdlDisplay::StepAside()
{
    if (!window || steppedAside) return;
    windowedSize = WindowedSize();
    steppedAside = true;
    fullScreenBeforeStepAside = IsFullScreen();
    if (fullScreenBeforeStepAside) SetFullScreen(false);
    SDL_PumpEvents();  // hands the requests to the window system now, before the wait
}

// Raised, and with the keyboard focus: without a window manager nobody else
// gives it back, and with one the focus may have gone anywhere meanwhile.
void SdlDisplay::ComeBack()
{
    if (!window || !steppedAside) return;
    steppedAside = false;
    // Whatever the window system did meanwhile is known before asking more of it.
    SDL_PumpEvents();
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window);
    mustShow = true;
    if (fullScreenBeforeStepAside) SetFullScreen(true);
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
}
