// SPDX-License-Identifier: GPL-3.0-or-later
// What the puzzle and board benchmarks share: a generated picture, and the
// reference they are reported against, one plain copy of a picture of a given
// size measured in the same run (of a whole frame of the screen, for the
// benchmarks of the whole game: ScreenCopy).
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>

#include <cstdlib>

#include "platform/Letterbox.h"
#include "platform/Surface.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/BackBuffer.h"
#include "resources/CImage.h"
#include "screens/CMenu.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// A colourful picture with no pure black, which would be transparent.
inline CImage MakePicture(int width, int height)
{
    CImage picture;
    picture.width = static_cast<float>(width);
    picture.height = static_cast<float>(height);
    picture.surface = Surface(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) picture.surface.SetPixel(x, y, MakeColour(1 + x % 250, 1 + y % 250, 77));
    }
    return picture;
}

// A 448 x 448 picture cut 13 x 13, every piece built and play started, with
// the random scatter of the given seed.
inline void StartCut13x13(unsigned seed, bool border)
{
    std::srand(seed);
    CMenu::SetBorder(border);
    CutPreview.TestHookSetPicture(MakePicture(448, 448));
    CutPreview.SetDefaults();
    CutPreview.SetPieces(13);
    CutPreview.Refresh();
    CutPreview.StartBuild();
    while (!CutPreview.BuildStep()) {
    }
    Game.StartGame();
}

// Seconds of one call, averaged over enough calls to take about 50 ms.
template <class Work>
double SecondsPerCall(Work&& work)
{
    long calls = 0;
    const Clock::time_point start = Clock::now();
    Clock::duration spent{};
    do {
        work();
        ++calls;
        spent = Clock::now() - start;
    } while (spent < std::chrono::milliseconds(50));
    return std::chrono::duration<double>(spent).count() / static_cast<double>(calls);
}

// Seconds of one plain copy of a picture of this size.
inline double CopyOfPicture(int width, int height)
{
    const Surface picture = MakePicture(width, height).surface;
    Surface copy(width, height);
    return SecondsPerCall([&] {
        copy.Blit(0, 0, width, height, picture, 0, 0);
        benchmark::DoNotOptimize(copy.Pixels());
    });
}

// Runs the benchmark loop over work and reports its time per call against
// the reference time per call as the "ratio" counter.
template <class Work>
void RunAgainst(benchmark::State& state, double reference, Work&& work)
{
    long calls = 0;
    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        work();
        ++calls;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["ratio"] = calls > 0 ? seconds / static_cast<double>(calls) / reference : 0.0;
}

// Processor time of the calling thread, in seconds: unlike the wall clock it
// does not count the time other programs took the processor away, which on a
// busy machine swamps what is measured.
inline double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs the benchmark loop over work, and in every iteration one plain copy
// of a picture of width x height right after it: "ratio" is the work's
// processor time over the copy's, both measured in the same iterations.
template <class Work>
void RunBesideCopy(benchmark::State& state, int width, int height, Work&& work)
{
    const Surface picture = MakePicture(width, height).surface;
    Surface copy(width, height);
    double worked = 0, copied = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        work();
        const double done = ThreadSeconds();
        copy.Blit(0, 0, width, height, picture, 0, 0);
        benchmark::DoNotOptimize(copy.Pixels());
        const double end = ThreadSeconds();
        worked += done - start;
        copied += end - done;
    }
    state.counters["ratio"] = copied > 0 ? worked / copied : 0.0;
}

// Processor seconds of one plain copy of a frame of this size (in pixels),
// the reference a frame of the whole game is reported against.
inline double ScreenCopy(int width, int height)
{
    const Surface picture = MakePicture(width, height).surface;
    Surface copy(width, height);
    constexpr int kCopies = 20;
    const double start = ThreadSeconds();
    for (int i = 0; i < kCopies; ++i) {
        copy.Blit(0, 0, width, height, picture, 0, 0);
        benchmark::DoNotOptimize(copy.Pixels());
    }
    return (ThreadSeconds() - start) / kCopies;
}

// The drawing scale a full-screen window of this size asks for.
inline int ScaleOfScreen(int width, int height)
{
    return Letterbox(kClientWidth, kClientHeight, width, height).DrawingScale(3);
}

}  // namespace bench
