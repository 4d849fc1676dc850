// SPDX-License-Identifier: GPL-3.0-or-later
// The spine's own cost per frame: one frame of the logo screen (clear, clock,
// title, sound update, present to a headless window), beside the least any
// frame costs: filling the 800 x 600 back buffer and copying it once.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "HeadlessGame.h"
#include "core/CTimer.h"
#include "resources/BackBuffer.h"
#include "screens/CLogo.h"

namespace {

using bench::Seconds;

void BM_FrameStepBesideFillAndCopy(benchmark::State& state)
{
    bench::HeadlessGame game(1);
    if (!game.Ready()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    Surface reference(kClientWidth, kClientHeight);
    Surface copy;
    double frameSeconds = 0, referenceSeconds = 0;
    for (auto _ : state) {
        // Keeps the logo screen up: after five seconds it would load the menus.
        Logo.SetStartTime(static_cast<float>(Timer.GetTime()));
        const bench::Clock::time_point start = bench::Clock::now();
        game.Frames(1);
        const bench::Clock::time_point middle = bench::Clock::now();
        reference.Fill(kWhite);
        copy = reference;
        benchmark::DoNotOptimize(copy.Pixels());
        const bench::Clock::time_point end = bench::Clock::now();
        frameSeconds += Seconds(middle - start);
        referenceSeconds += Seconds(end - middle);
    }
    state.counters["frame_us"] = benchmark::Counter(frameSeconds * 1e6 / state.iterations());
    state.counters["fill_copy_us"] = benchmark::Counter(referenceSeconds * 1e6 / state.iterations());
    state.counters["ratio"] = benchmark::Counter(referenceSeconds > 0 ? frameSeconds / referenceSeconds : 0);
}
BENCHMARK(BM_FrameStepBesideFillAndCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
