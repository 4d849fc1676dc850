// SPDX-License-Identifier: GPL-3.0-or-later
// The frame reduced to the window by the game (WindowScaler) at drawing
// scale 2 and 3 full screen (1600 x 1200 to 1440 x 1080, 2400 x 1800 to
// 1920 x 1440), beside SDL's own smooth stretch of the same frame, which the
// software renderer used to do for every present:
//   sdl_speedup   SDL's time / ours (above 1: ours is faster)
//   clock_us      the clock's second alone (its plate, 140 x 34 units)
// Last seen on two cores: about as fast as SDL's stretch, 3.5 ms a whole
// frame at scale 2 and 8 ms at scale 3; the clock's part well under a
// millisecond. On a two-core machine busy with other builds: 8.4 and 14.6 ms
// (SDL's stretch 0.64 and 0.78 of that), the clock's part 42 and 91 us.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/WindowScaler.h"

namespace {

double Seconds(std::chrono::steady_clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

void BM_WindowScalerBesideSdlStretch(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const int targetWidth = static_cast<int>(state.range(1)), targetHeight = targetWidth * 3 / 4;
    Surface frame(800 * scale, 600 * scale);
    std::mt19937 random(3);
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) frame.SetPixel(x, y, (x / 7 + y / 5) % 3 ? random() & 0xFFFFFF : 0x7F9AA8);
    WindowScaler scaler(frame.Width(), frame.Height(), targetWidth, targetHeight);
    std::vector<std::uint32_t> window(static_cast<std::size_t>(targetWidth) * targetHeight);
    SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Colour*>(frame.Pixels()), frame.Width(),
                                                           frame.Height(), 32, frame.Width() * 4,
                                                           SDL_PIXELFORMAT_XBGR8888);
    SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, targetWidth, targetHeight, 32, SDL_PIXELFORMAT_XRGB8888);
    SDL_Surface* same = SDL_ConvertSurface(from, to->format, 0);
    if (!from || !to || !same) {
        state.SkipWithError("SDL surfaces");
        return;
    }
    const PixelRect clock{660 * scale, 0, 800 * scale, 34 * scale};
    double ours = 0, sdl = 0, clockSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        scaler.Scale(frame, ScreenRect{0, 0, targetWidth, targetHeight}, window.data(), targetWidth, true);
        benchmark::DoNotOptimize(window.data());
        auto middle = std::chrono::steady_clock::now();
        SDL_SoftStretchLinear(same, nullptr, to, nullptr);
        benchmark::DoNotOptimize(to->pixels);
        auto end = std::chrono::steady_clock::now();
        scaler.Scale(frame, scaler.TargetArea(clock), window.data(), targetWidth, true);
        benchmark::DoNotOptimize(window.data());
        auto last = std::chrono::steady_clock::now();
        ours += Seconds(middle - start);
        sdl += Seconds(end - middle);
        clockSeconds += Seconds(last - end);
    }
    state.counters["ours_us"] = benchmark::Counter(ours * 1e6 / state.iterations());
    state.counters["sdl_us"] = benchmark::Counter(sdl * 1e6 / state.iterations());
    state.counters["sdl_speedup"] = benchmark::Counter(ours > 0 ? sdl / ours : 0);
    state.counters["clock_us"] = benchmark::Counter(clockSeconds * 1e6 / state.iterations());
    SDL_FreeSurface(same);
    SDL_FreeSurface(to);
    SDL_FreeSurface(from);
}
BENCHMARK(BM_WindowScalerBesideSdlStretch)->Args({2, 1440})->Args({3, 1920})->Unit(benchmark::kMillisecond);

}  // namespace
