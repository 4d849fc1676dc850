// SPDX-License-Identifier: GPL-3.0-or-later
// How long the game's process has been running, and the wall clock: for the
// log line that tells how long start-up took to the first frame on screen.
#pragma once

class ProcessTimes {
public:
    // Seconds since the process started (to the system's tick, 10 ms or finer).
    static double SinceStart();
    // Seconds since 1970 on the wall clock, to the microsecond, for comparing
    // with a time taken outside the game just before it was started.
    static double WallClock();
    // Seconds of processor time the process has used, all its threads: on a
    // machine busy with other work, start-up's own cost.
    static double ProcessorTime();
};
