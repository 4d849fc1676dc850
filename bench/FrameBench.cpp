// SPDX-License-Identifier: GPL-3.0-or-later
// The spine's own cost per frame: one frame of the logo screen (clear, clock,
// title, sound update, present to a headless window), beside the least any
// frame costs: filling the 800 x 600 back buffer and copying it once.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/CApp.h"
#include "core/CTimer.h"
#include "platform/HeadlessDisplay.h"
#include "platform/ManualClock.h"
#include "core/CFile.h"
#include "screens/CLogo.h"

namespace {

double Seconds(std::chrono::steady_clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

void BM_FrameStepBesideFillAndCopy(benchmark::State& state)
{
    std::string folder = (std::filesystem::temp_directory_path() / "pavendra-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    folder += "/";
    // The logo screen's pictures come from the data archive beside the benchmark.
    std::error_code noArchive;
    std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data.000",
                                    folder + "data.000", noArchive);
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // the spine is measured, not the sound card
    HeadlessDisplay display;
    ManualClock clock;
    App.UseDisplay(&display);
    App.SetProgramFolder(folder.c_str());
    App.SetWriteFolder(folder.c_str());
    Timer.SetClock(&clock);
    App.StartUp();

    Surface reference(kClientWidth, kClientHeight);
    Surface copy;
    double frameSeconds = 0, referenceSeconds = 0;
    for (auto _ : state) {
        // Keeps the logo screen up: after five seconds it would load the menus.
        Logo.SetStartTime(static_cast<float>(Timer.GetTime()));
        auto start = std::chrono::steady_clock::now();
        clock.Advance(1.0 / 60.0);
        App.Step();
        auto middle = std::chrono::steady_clock::now();
        reference.Fill(kWhite);
        copy = reference;
        benchmark::DoNotOptimize(copy.Pixels());
        auto end = std::chrono::steady_clock::now();
        frameSeconds += Seconds(middle - start);
        referenceSeconds += Seconds(end - middle);
    }
    state.counters["frame_us"] = benchmark::Counter(frameSeconds * 1e6 / state.iterations());
    state.counters["fill_copy_us"] = benchmark::Counter(referenceSeconds * 1e6 / state.iterations());
    state.counters["ratio"] = benchmark::Counter(referenceSeconds > 0 ? frameSeconds / referenceSeconds : 0);

    App.Shutdown();
    App.UseDisplay(nullptr);
    App.SetProgramFolder(nullptr);
    App.SetWriteFolder(nullptr);
    Timer.SetClock(nullptr);
    DataFile.CloseArchive();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_FrameStepBesideFillAndCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
