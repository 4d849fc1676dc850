// SPDX-License-Identifier: GPL-3.0-or-later
// A group carried across a 13 x 13 board: the whole game's frame (drawing,
// present to a headless window, which copies what it is given) at drawing
// scale 1, 2 and 3, with frames drawn and presented only where the group
// moved, beside the same frames drawn whole. The counters:
//   ratio        a carrying frame / a whole frame of the same carry
//   whole_copies a whole frame / one plain copy of a frame of that size
// Both in processor time of the thread. The clock's seconds are among the
// carrying frames, as in play (one whole frame a second). The same again
// with the table in its close-up.
// Last seen: ratio about 0.13, 0.05 and 0.035 to 0.04 at scales 1, 2 and 3;
// in the close-up 0.16, 0.08 and 0.076.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "HeadlessGame.h"
#include "app/CApp.h"
#include "puzzle/CGame.h"
#include "resources/BackBuffer.h"

namespace {

using bench::HeadlessGame;

// The 13 x 13 board in play; false when the game did not start.
bool StartBoard(HeadlessGame& game)
{
    if (!game.Ready()) return false;
    bench::StartCut13x13(7, false);
    App.SetState(STATE_GAME);
    game.Frames(3);
    return true;
}

// The carry with the table in its close-up (zoom 2): pieces drawn from
// their copies at the zoom, the carried part mapped through the view.
void DragFrames(benchmark::State& state, bool closeUp)
{
    const int scale = static_cast<int>(state.range(0));
    HeadlessGame game(scale);
    const bool started = StartBoard(game);
    if (started && closeUp) {
        Game.SetView(Game.GetView().LastStep(), {200, 150});
        game.Frames(2);
    }
    Point at;
    if (!started || !game.PickUpAPiece(at)) {
        state.SkipWithError("no piece to carry");
        return;
    }
    game.CarryingFrame(at, 20);  // the pieces' runs recorded, the first frames behind
    double inPart = 0, whole = 0;
    long iterations = 0;
    const long partialBefore = App.GetPartialFrameCount();
    for (auto _ : state) {
        App.UsePartialFrames(true);
        inPart += game.CarryingFrame(at, 20);
        App.UsePartialFrames(false);
        whole += game.CarryingFrame(at, 20);
        ++iterations;
    }
    App.UsePartialFrames(true);
    if (App.GetPartialFrameCount() == partialBefore) state.SkipWithError("no frame was drawn in part");
    const double copy = bench::ScreenCopy(kClientWidth * scale, kClientHeight * scale);
    state.counters["ratio"] = whole > 0 ? inPart / whole : 0.0;
    state.counters["whole_copies"] = iterations > 0 ? whole / static_cast<double>(iterations) / copy : 0.0;
}
void BM_DragFrameAtScale(benchmark::State& state) { DragFrames(state, false); }
BENCHMARK(BM_DragFrameAtScale)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(10);
void BM_DragFrameCloseUpAtScale(benchmark::State& state) { DragFrames(state, true); }
BENCHMARK(BM_DragFrameCloseUpAtScale)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(10);

// The frame that shows the next zoom step at the pointer (every piece in
// sight copied again at its new size), beside a whole frame that changes
// nothing. The counter:
//   ratio  a frame of a new zoom step / a whole frame at rest
void BM_ZoomStepFrameAtScale(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    HeadlessGame game(scale);
    if (!StartBoard(game) || Game.GetView().LastStep() < 2) {
        state.SkipWithError("no close-up to zoom to");
        return;
    }
    double stepping = 0, resting = 0;
    long steps = 0;
    for (auto _ : state) {
        for (int wheel : {1, 1, -1, -1}) {
            game.Queue(InputEvent::Wheel(wheel, 400, 300));
            const double start = bench::ThreadSeconds();
            game.Frames(1);
            stepping += bench::ThreadSeconds() - start;
            ++steps;
            // The same view again, drawn whole (a move of the pointer).
            game.Queue(InputEvent::MouseMove(401, 300));
            const double again = bench::ThreadSeconds();
            game.Frames(1);
            resting += bench::ThreadSeconds() - again;
            game.Queue(InputEvent::MouseMove(400, 300));
            game.Frames(1);
        }
    }
    state.counters["ratio"] = resting > 0 ? stepping / resting : 0.0;
    state.counters["step_ms"] = steps > 0 ? 1000 * stepping / static_cast<double>(steps) : 0.0;
}
BENCHMARK(BM_ZoomStepFrameAtScale)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
