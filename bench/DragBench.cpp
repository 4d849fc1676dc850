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

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "app/CApp.h"
#include "core/CTimer.h"
#include "platform/HeadlessDisplay.h"
#include "platform/InputEvent.h"
#include "platform/InputHub.h"
#include "platform/ManualClock.h"
#include "core/CFile.h"

namespace {

class RunningGame {
public:
    explicit RunningGame(int scale)
    {
        folder = (std::filesystem::temp_directory_path() / "pavendra-bench-XXXXXX").string();
        if (!mkdtemp(folder.data())) return;
        folder += "/";
        std::error_code noArchive;
        std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data.000",
                                        folder + "data.000", noArchive);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        App.UseDisplay(&display);
        App.SetProgramFolder(folder.c_str());
        App.SetWriteFolder(folder.c_str());
        Timer.SetClock(&clock);
        App.StartUp();
        display.SetDrawingScale(scale);
        bench::StartCut13x13(7, false);
        App.SetState(STATE_GAME);
        Frames(3);
        started = true;
    }
    ~RunningGame()
    {
        Game.ClearGroups();
        Game.FreePieces();
        CutPreview.Release();
        App.Shutdown();
        App.UseDisplay(nullptr);
        App.SetProgramFolder(nullptr);
        App.SetWriteFolder(nullptr);
        Timer.SetClock(nullptr);
        DataFile.CloseArchive();
        InputHub::ResetCursor();
        App.UsePartialFrames(true);
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            clock.Advance(1.0 / 60.0);
            App.Step();
        }
    }
    void Queue(const InputEvent& event) { display.Queue(event); }

    // Presses on the middle of one piece after another until one is carried.
    bool PickUpAPiece(Point& at)
    {
        for (int piece = 0; piece < Game.GetPieceCount(); ++piece) {
            const CPiece& p = Game.GetPiece(piece);
            const CGroup& group = Game.GetGroups()[p.inGroup];
            const TablePoint middle = Game.GetView().ToScreen({group.x + p.x + p.width / 2, group.y + p.y + p.height / 2});
            at = {static_cast<int>(middle.x), static_cast<int>(middle.y)};
            if (at.y < 150 || at.y > 450 || at.x < 150 || at.x > 650) continue;  // room to move on the free board
            Queue(InputEvent::MouseMove(at.x, at.y));
            Queue(InputEvent::ButtonDown(MouseButton::Left, at.x, at.y));
            Frames(2);
            if (Game.IsHoldingGroup()) return true;
            Queue(InputEvent::ButtonUp(MouseButton::Left, at.x, at.y));
            Frames(2);
        }
        return false;
    }

    bool started = false;

private:
    std::string folder;
    HeadlessDisplay display;
    ManualClock clock;
};

// Seconds of processor time per carrying frame, the group going to and fro.
double CarryingFrame(RunningGame& game, Point at, long frames)
{
    double spent = 0;
    for (long i = 0; i < frames; ++i) {
        const int step = static_cast<int>(i % 20);
        const int dx = step < 10 ? step * 4 : (20 - step) * 4;
        game.Queue(InputEvent::MouseMove(at.x + dx, at.y + dx / 2));
        const double start = bench::ThreadSeconds();
        game.Frames(1);
        spent += bench::ThreadSeconds() - start;
    }
    return spent / static_cast<double>(frames);
}

// Processor seconds of one plain copy of a frame of this size.
double FrameCopy(int width, int height)
{
    const Surface picture = bench::MakePicture(width, height).surface;
    Surface copy(width, height);
    constexpr int kCopies = 30;
    const double start = bench::ThreadSeconds();
    for (int i = 0; i < kCopies; ++i) {
        copy.Blit(0, 0, width, height, picture, 0, 0);
        benchmark::DoNotOptimize(copy.Pixels());
    }
    return (bench::ThreadSeconds() - start) / kCopies;
}

// The carry with the table in its close-up (zoom 2): pieces drawn from
// their copies at the zoom, the carried part mapped through the view.
void DragFrames(benchmark::State& state, bool closeUp)
{
    const int scale = static_cast<int>(state.range(0));
    RunningGame game(scale);
    if (closeUp) {
        Game.SetView(Game.GetView().LastStep(), {200, 150});
        game.Frames(2);
    }
    Point at;
    if (!game.started || !game.PickUpAPiece(at)) {
        state.SkipWithError("no piece to carry");
        return;
    }
    CarryingFrame(game, at, 20);  // the pieces' runs recorded, the first frames behind
    double inPart = 0, whole = 0;
    long iterations = 0;
    const long partialBefore = App.GetPartialFrameCount();
    for (auto _ : state) {
        App.UsePartialFrames(true);
        inPart += CarryingFrame(game, at, 20);
        App.UsePartialFrames(false);
        whole += CarryingFrame(game, at, 20);
        ++iterations;
    }
    App.UsePartialFrames(true);
    if (App.GetPartialFrameCount() == partialBefore) state.SkipWithError("no frame was drawn in part");
    const double copy = FrameCopy(800 * scale, 600 * scale);
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
    RunningGame game(scale);
    if (!game.started || Game.GetView().LastStep() < 2) {
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
