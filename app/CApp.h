// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: start-up and shutdown, the window, the back buffer
// every screen draws into, the application state and the frame loop.
// Its roles: CAppStart.cpp (start-up, shutdown), CAppSettings.cpp ("conf.pvd"),
// CAppWindow.cpp (the window, its back buffer and scale, messages, outside
// dialogs), CAppFrame.cpp (the frame loop and resting), CAppInput.cpp (input).
#pragma once

#include <climits>
#include <functional>
#include <cstdint>
#include <string>

#include "core/CSystem.h"
#include "platform/Paths.h"
#include "platform/Surface.h"
#include "platform/WindowSize.h"
#include "resources/BackBuffer.h"
#include "core/CFile.h"

class Display;
struct InputEvent;

class CApp : public SystemHost {
public:
    // The whole start-up, in order: defaults, program folder, settings, data
    // archive, window, subsystems. Then Run, then CloseDown.
    void StartUp();
    // After the loop: run counters, settings file, Shutdown.
    void CloseDown();

    void SetDefaults();
    void FindProgramFolder();
    void ReadSettings();
    void WriteSettings();
    void UpdateRunCounters();
    void CreateMainWindow();
    void InitSubsystems();
    // The rest of start-up, which the first frame does not need: the fonts.
    // Runs once: in the second frame, or sooner when the first frame leaves
    // the logo screen or shows another.
    void InitAfterFirstFrame() override;
    // Frames until the quit message.
    void Run();
    // One turn of the loop: hands the waiting input to the game, then draws one
    // frame unless the quit message came. Answers false once the quit message came.
    bool Step();
    void Frame();
    void Clear(Colour colour);
    void Present();
    void CreateBackBuffer();
    void OnResize();
    // Releases everything that was started (and skips what was not), closes the
    // window and logs the shutdown line. Safe to call at any point.
    void Shutdown() override;

    // The window procedure: every input event reaches the game here.
    void OnInput(const InputEvent& event);
    // Ends the loop after the input already waiting, as the quit message does.
    void PostQuit() override { quitPosted = true; }
    bool IsQuitPosted() const { return quitPosted; }
    // A message box over the game's window (or on its own when there is no
    // window); waits for OK. The game goes on afterwards.
    void ShowMessageBox(const char* caption, const char* text) override;
    // A message for the player: one or two sentences saying what happened and
    // what to do. Inside the game's window (drawn by the game, OK to dismiss,
    // the game goes on beneath) when there is one; before the window exists a
    // system box (or the desktop's dialog tool, or standard error).
    void ShowMessage(const std::string& text) override;
    // The file last dropped onto the window and not yet taken; a screen that
    // takes drops answers it with TakeDroppedFile (empty when none).
    std::string TakeDroppedFile() override;
    // Runs a dialog of another program that the game waits for: the window
    // steps aside while it is open so that it is seen, and the time it takes
    // is not play time.
    void RunOutsideDialog(const std::function<void()>& dialog) override;

    // All drawing of a frame goes into this surface (the back buffer the
    // resources keep, so that the screens and the puzzle draw without the
    // application).
    Surface& GetBackDC() { return BackBuffer(); }
    Display* GetWindow() { return window; }
    // The folder of the executable, where "data.000" lies; ends with "/".
    const char* GetProgramFolder() const { return CFile::GetProgramFolder(); }
    // Where the game writes its files: the program folder when it is writable,
    // otherwise the user's data folder. Ends with "/".
    const char* GetWriteFolder() const { return CFile::GetWriteFolder(); }
    // The window's outer size in back-buffer pixels: the client area plus the
    // frame of a window (805 x 635); the logo screen centres on it.
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    void SetState(unsigned value) override { state = value; }
    unsigned GetState() const override { return state; }
    void SetResizePending() { resizePending = true; }
    // The run counters kept in "conf.pvd".
    int GetNumRunForWeb() const { return NumRunForWeb; }
    int GetNumRunForUpdate() const { return NumRunForUpdate; }
    // Frames drawn since start-up.
    long GetFrameCount() const { return frameCount; }
    // Frames of play drawn and presented only where the carried group moved.
    long GetPartialFrameCount() const { return partialFrameCount; }
    // Test hook: off, every frame of play is drawn and presented whole.
    static void UsePartialFrames(bool use) { partialFrames = use; }

    // Test hooks: point the game at folders of a test's own (kept by
    // FindProgramFolder; nullptr lets it find them again), and give it a
    // window of the test's (opened and closed by the game, never deleted;
    // nullptr goes back to the real window).
    void SetProgramFolder(const char* folder);
    void SetWriteFolder(const char* folder);
    void UseDisplay(Display* display) { testDisplay = display; }

    // From the command line, before StartUp: start in the window
    // instead of full screen; a picture the menu opens on the cut page as
    // soon as it comes up (empty: none).
    void StartWindowed(bool windowed) { startWindowed = windowed; }
    // The window as "conf.pvd" remembers it: full screen or a window, and the
    // window's size in screen pixels (unknown until a run had a window).
    bool GetFullScreenChoice() const { return fullScreenChoice; }
    WindowExtent GetWindowedSize() const { return windowedSize; }
    void OpenPictureAtStart(const std::string& path) { startPicture = path; }

    // The player is away: the window minimised, hidden or not in front. The
    // play clock stands still meanwhile.
    bool IsPlayerAway() const { return !windowFocused || !windowShown; }
    // Seconds the first run's hint line ("F1: HELP") still shows on the board.
    float GetHintSecondsLeft() const { return hintSecondsLeft; }
    // The hint is not needed any more (the player found the help card).
    void EndHint() { hintSecondsLeft = 0; }

private:
    // The outer size of the window is its client area plus the frame a window
    // would have: borders and caption.
    static constexpr int kFrameWidth = 5;
    static constexpr int kFrameHeight = 35;

    void ReleaseWindow();
    // The keys and clicks of the cards (help and pause): answers whether the
    // event was theirs, opening or closing one.
    bool OnCardInput(const InputEvent& event);
    // A frame with a card over the screen, in place of the screen's own.
    void CardFrame();
    // The hint line of the first run, over the board.
    void DrawHint();
    bool HintShown() const { return hintSecondsLeft > 0; }
    // One key of "conf.pvd" and its value.
    void ApplySetting(const char* key, const char* value);

    int NumRunForWeb = 0;
    int NumRunForUpdate = 0;
    char title[100] = {};
    int width = 805;
    int height = 635;
    bool fullScreen = true;
    bool fullScreenChoice = true;  // the player's last Alt+Enter, kept between runs
    WindowExtent windowedSize;
    Display* window = nullptr;
    float backWidth = 0;
    float backHeight = 0;
    bool resizePending = false;
    unsigned state = STATE_LOGO;

    bool quitPosted = false;
    bool windowFocused = true;  // until the window says otherwise: a bare X server never does
    bool windowShown = true;
    bool clockWasStopped = false;  // the play clock stood still in the last frame of play
    float hintSecondsLeft = 0;
    bool hintDrawn = false;  // the last frame of play showed the hint
    bool musicKeyHeld = false;
    std::string droppedFile;
    bool programFolderGiven = false;
    bool writeFolderGiven = false;
    bool shuttingDown = false;
    bool lateStarted = false;
    unsigned shownState = STATE_LOGO;  // the state of the last frame, to notice a change
    long frameCount = 0;
    // Resting frames of play (see Frame): what the last full frame of play
    // was drawn from, whether it changed none of it, and the back buffer it left.
    std::uint64_t RestKey() const;
    unsigned long inputEvents = 0;
    bool restStable = false;
    int menuStillFrames = 0;  // full menu frames in a row drawn from the same key
    std::uint64_t restKey = 0;
    std::uint64_t restBackVersion = 0;
    // A frame of play that changes only the carried group's area (see
    // CGame::ChangedArea) redraws and presents that area alone: it needs the
    // back buffer exactly as the last frame of play left it, with the panel
    // in the same state.
    static inline bool partialFrames = true;
    long partialFrameCount = 0;
    bool clockDrawnAlone = false;         // the last frame of play drew only the clock's next second
    unsigned long clockFrameInputs = 0;   // input events seen by then
    std::uint64_t playBackVersion = 0;  // the back buffer after the last frame of play; 0 after any other
    std::uint64_t playPanel = 0;         // the panel's signature then
    Display* testDisplay = nullptr;
    bool startWindowed = false;
    std::string startPicture;
};

extern CApp App;
