// SPDX-License-Identifier: GPL-3.0-or-later
// The whole game for a benchmark: started in a headless window (which keeps
// a copy of every frame it is given) at a drawing scale, in a folder of its
// own with the build's data archive linked in, its clock advanced by hand a
// 60th of a second a frame; on the way out every piece and picture let go
// and the game shut down, so that the next benchmark starts it afresh. One
// at a time: the game is the program's one App.
//
// Beside the start-up, what the benchmarks do with it: frames with input
// queued before them, a piece picked up and carried, and the puzzle of
// about a thousand pieces (39 x 26) cut from the large photograph
// (BenchPhoto.h) as PLAY on the cut page makes it.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "platform/HeadlessDisplay.h"
#include "platform/InputEvent.h"
#include "platform/ManualClock.h"
#include "platform/Surface.h"

namespace bench {

class HeadlessGame {
public:
    // Started and two frames drawn: the back buffer at the scale, as the
    // pieces cut next will be.
    explicit HeadlessGame(int scale);
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // False when the game could not be started (no temporary folder).
    bool Ready() const { return ready; }

    void Frames(int count);
    // Input for the next frame.
    void Queue(const InputEvent& event) { display.Queue(event); }

    // Processor seconds of one whole frame of the view as it is (a move of
    // the pointer, which draws the frame again), averaged over frames.
    double WholeFrame(int frames);
    // Presses on the middle of one piece after another in the middle of the
    // screen until one is carried; at: where it was taken.
    bool PickUpAPiece(Point& at);
    // Processor seconds of one frame while the group carried goes to and fro.
    double CarryingFrame(Point at, int frames);

    // The cut page of the photograph at 39 along its longer side, as the
    // player leaves it before PLAY.
    bool ChooseThousandPieces(const std::string& path);

    // Where PLAY's time went, in seconds: the picture read again (the first
    // pieces cut beside it), the rest of the pieces, and play set up with
    // its first frame.
    struct PlayTimes {
        double picture = 0;
        double pieces = 0;
        double start = 0;
    };
    // PLAY: the picture decoded again on its thread while every piece is
    // cut, then play and its first frame, as the progress page leads to it.
    PlayTimes Play();

    // The thousand pieces of the large photograph in play; false, and the
    // benchmark skipped with the reason, when that could not be had.
    bool StartThousandPieces(benchmark::State& state);

private:
    std::string folder;
    HeadlessDisplay display;
    ManualClock clock;
    bool ready = false;
};

}  // namespace bench
