// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the whole game inside a test, without a window: the real start-up,
// frame loop and shutdown, with a headless display that keeps the last frame
// and delivers queued input, and a clock that only moves when the test says.
//
//     HeadlessGame game;                 // program folder: the build's bin/ (data.000)
//     game.Start();
//     game.Click(400, 300);              // press, one frame, release, one frame
//     game.RunUntil([] { return App.GetState() == STATE_MENU; }, 600);
//     EXPECT_EQ(game.Frame().GetPixel(10, 10), kBlack);
//     game.Finish();                     // the normal end: settings, shutdown
//
// Each frame advances the clock by FrameStep() seconds (1/60 by default)
// before it runs. The game writes its files into a fresh temporary folder.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>

#include "app/CApp.h"
#include "core/CLog.h"
#include "core/CTimer.h"
#include "platform/HeadlessDisplay.h"
#include "platform/InputHub.h"
#include "platform/ManualClock.h"
#include "platform/VirtualKeys.h"
#include "core/CFile.h"
#include "screens/CPictureOpening.h"
#include "support/TempFolder.h"

class HeadlessGame {
public:
    static std::string BuildBinFolder() { return PAVENDRA_BIN_DIR "/"; }

    // programFolder: where the game looks for "data.000" and loose resources.
    explicit HeadlessGame(std::string programFolder = BuildBinFolder()) : programFolder_(std::move(programFolder)) {}

    ~HeadlessGame()
    {
        if (started_ && !finished_) App.Shutdown();
        App.UseDisplay(nullptr);
        App.SetProgramFolder(nullptr);
        App.SetWriteFolder(nullptr);
        Timer.SetClock(nullptr);
        DataFile.CloseArchive();
        Log.Restart();
        InputHub::SetRecorder(nullptr);
        InputHub::ResetCursor();
    }
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // The game's start-up, as the executable runs it.
    void Start()
    {
        // Tests make no sound: SDL's silent audio device, unless the test chose one.
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        Log.Restart();
        InputHub::ResetCursor();
        App.UseDisplay(&display_);
        App.SetProgramFolder(programFolder_.c_str());
        App.SetWriteFolder(writeFolder_.Path().c_str());
        Timer.SetClock(&clock_);
        // A picture the player opens is decoded within the frame that opens
        // it: frames here run faster than any decoder.
        CPictureOpening::DecodeAtOnce(true);
        App.StartUp();
        started_ = true;
    }

    // The normal end after the loop: run counters, settings, shutdown.
    void Finish()
    {
        App.CloseDown();
        finished_ = true;
    }

    // Runs up to `count` frames; stops early when the game quits. Answers the
    // number of frames drawn.
    int RunFrames(int count)
    {
        int drawn = 0;
        for (; drawn < count; ++drawn) {
            clock_.Advance(frameStep_);
            if (!App.Step()) break;
        }
        return drawn;
    }

    // Runs frames until the condition holds (checked before each frame) or
    // maxFrames were drawn or the game quit. Answers whether it holds.
    bool RunUntil(const std::function<bool()>& condition, int maxFrames)
    {
        for (int i = 0; i < maxFrames; ++i) {
            if (condition()) return true;
            if (RunFrames(1) == 0) break;
        }
        return condition();
    }

    // Input; each reaches the game before the next frame.
    void Queue(const InputEvent& event) { display_.Queue(event); }
    void MoveMouse(int x, int y) { Queue(InputEvent::MouseMove(x, y)); }
    void PressKey(int key) { Queue(InputEvent::KeyDown(key)); }
    void ReleaseKey(int key) { Queue(InputEvent::KeyUp(key)); }
    void PressButton(MouseButton button, int x, int y)
    {
        MoveMouse(x, y);
        Queue(InputEvent::ButtonDown(button, x, y));
    }
    void ReleaseButton(MouseButton button, int x, int y) { Queue(InputEvent::ButtonUp(button, x, y)); }
    // A key pressed for one frame, then released for one frame.
    void TapKey(int key)
    {
        PressKey(key);
        RunFrames(1);
        ReleaseKey(key);
        RunFrames(1);
    }
    // A left click: pressed for one frame, then released for one frame.
    void Click(int x, int y, MouseButton button = MouseButton::Left)
    {
        PressButton(button, x, y);
        RunFrames(1);
        ReleaseButton(button, x, y);
        RunFrames(1);
    }

    void SetFrameStep(double seconds) { frameStep_ = seconds; }
    double FrameStep() const { return frameStep_; }
    ManualClock& Clock() { return clock_; }
    HeadlessDisplay& Display() { return display_; }
    // The frame the game presented last.
    const Surface& Frame() const { return display_.LastFrame(); }
    const TempFolder& WriteFolder() const { return writeFolder_; }
    std::string LogText() const { return writeFolder_.Read("debug.log"); }

private:
    std::string programFolder_;
    TempFolder writeFolder_;
    HeadlessDisplay display_;
    ManualClock clock_;
    double frameStep_ = 1.0 / 60.0;
    bool started_ = false;
    bool finished_ = false;
};
