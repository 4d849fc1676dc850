// SPDX-License-Identifier: GPL-3.0-or-later
// The frame clock: read once per frame, it gives every screen the time that
// passed since the previous frame, so that movement runs at the same speed
// however fast frames come.
#pragma once

#include <cstdint>

class Clock;

class CTimer {
public:
    void Init();
    void Update();
    // Seconds between the last two updates; not clamped (the first update
    // after Init covers all of start-up, a pause covers the whole pause).
    float GetDelta() const { return delta; }
    // The time of the last update (or of Init), in seconds of the counter.
    double GetTime() const { return now; }
    // The counter's time right now, in seconds, without an update: for work
    // that keeps to a time budget within one frame.
    double ReadNow();
    // The millisecond clock of the same source (it seeds the random numbers).
    std::uint32_t GetMilliseconds();

    // The time since the last update is not counted: the next delta starts
    // from now. For a wait outside the game (a dialog of another program).
    void SkipPause();

    // Test hook: the clock to read; nullptr goes back to the system's.
    void SetClock(Clock* clock) { source = clock; }

private:
    Clock& Source();
    double ReadSeconds();

    float elapsed = 0;
    float delta = 0;
    std::int64_t frequency = 0;
    double startTime = 0;
    double now = 0;
    Clock* source = nullptr;
};

extern CTimer Timer;
