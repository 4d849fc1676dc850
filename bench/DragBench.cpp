// SPDX-License-Identifier: GPL-3.0-or-later
// A group carried across a 13 x 13 board: the whole game's frame (drawing,
// present to a headless window, which copies what it is given) at drawing
// scale 1, 2 and 3, with frames drawn and presented only where the group
// moved, beside the same frames drawn whole. The counters:
//   ratio        a carrying frame / a whole frame of the same carry
//   whole_copies a whole frame / one plain copy of a frame of that size
// Both in processor time of the thread. The clock's seconds are among the
// carrying frames, as in play (one whole frame a second).
// Last seen: ratio about 0.13, 0.05 and 0.035 to 0.04 at scales 1, 2 and 3.
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
            at = {static_cast<int>(group.x + p.x + p.width / 2), static_cast<int>(group.y + p.y + p.height / 2)};
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

void BM_DragFrameAtScale(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    RunningGame game(scale);
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
BENCHMARK(BM_DragFrameAtScale)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
