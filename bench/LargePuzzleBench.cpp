// SPDX-License-Identifier: GPL-3.0-or-later
// A puzzle of about a thousand pieces (39 x 26) of a 24-megapixel photograph,
// on the two common large screens: 1920 x 1080 and 2560 x 1440, each at the
// drawing scale its window asks for (2 and 3). The counters:
//   BM_DecodeJpeg24MP                   the reference: the library decoding
//                                       the photograph whole (ms)
//   BM_CutThousandPiecesFromA24MPPhoto  ratio: from PLAY (the picture asked
//     again from its file) to the first frame of play, every piece cut on
//     every core, over one whole decode measured in the same iterations
//     (wall clock: the cut runs on threads); the progress page's pacing and
//     its one-second hold are not in it
//   BM_FrameWithThousandPiecesZoomedOut ratio: a whole frame of play with
//     every piece in sight, over one plain copy of a frame of the screen's
//     size; the same for a frame of the close-up in close_up
//   BM_CarryFrameWithThousandPieces     ratio: a frame while a group is
//     carried, over that copy; of_whole: over a whole frame of the same carry
// Frames in processor time of the thread, the present to a headless window
// (which copies what it is given) included, the window's scaling not.
// The cut's counters picture, pieces and start split its ratio: the picture
// read again (the first pieces cut in the reduction's spare time), the rest
// of the pieces, play set up with its frame.
// Last seen (Release, 2-core machine, a quiet moment): the decode 157-177
// ms; the cut 2.6-2.9 times it at scale 2 and 3 (picture 1.15-1.2, about a
// fifth of the pieces cut in its spare time; pieces 0.8-1.0; start
// 0.63-0.67); 3.3-3.4 before the reduction weighed four channels at once,
// the decoder read sixteen rows a call and pieces were cut beside it, and
// copies and halvings were summed from the left; 3.7-3.9 with the picture
// reduced beside the decoder (picture 1.4-1.6; pieces 1.25-1.5; start
// 0.85-0.9, the halvings made on both cores and the first frame's copies
// side by side); 4.1-4.4 before the picture
// was reduced as it decoded and the halvings made side by side, 8.3-8.8
// before the picture was taken without copies, its reduction made faster
// and a piece's columns scanned eight pixels at a time. A whole frame zoomed
// out 2.6 copies of the screen (close-up 2.2-2.9); carrying 0.21-0.48
// copies, 0.07-0.21 of a whole frame (whole view and close-up). The pieces'
// pictures 169 MB at 4 pixels a unit, 81 MB of it inside the pieces.
// The game and the puzzle are HeadlessGame's; the wheel and panning over
// the same puzzle are ZoomPanBench.cpp's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "BenchPhoto.h"
#include "BenchSupport.h"
#include "HeadlessGame.h"
#include "app/CApp.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"

namespace {

using bench::Clock;
using bench::HeadlessGame;
using bench::Seconds;

void BM_DecodeJpeg24MP(benchmark::State& state)
{
    const std::string& path = bench::TheLargePhoto().Path();
    for (auto _ : state) benchmark::DoNotOptimize(bench::DecodeFullSize(path));
}
BENCHMARK(BM_DecodeJpeg24MP)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_CutThousandPiecesFromA24MPPhoto(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    HeadlessGame game(bench::ScaleOfScreen(width, height));
    const std::string& path = bench::TheLargePhoto().Path();
    if (!game.Ready() || !game.ChooseThousandPieces(path)) {
        state.SkipWithError("no cut of a thousand pieces");
        return;
    }
    double cutting = 0, decoding = 0;
    HeadlessGame::PlayTimes parts;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const HeadlessGame::PlayTimes times = game.Play();
        const Clock::time_point played = Clock::now();
        parts.picture += times.picture;
        parts.pieces += times.pieces;
        parts.start += times.start;
        benchmark::DoNotOptimize(bench::DecodeFullSize(path));
        const Clock::time_point decoded = Clock::now();
        cutting += Seconds(played - start);
        decoding += Seconds(decoded - played);
        state.SetIterationTime(Seconds(played - start));
        // Back to the cut page for the next PLAY.
        state.PauseTiming();
        Game.ClearGroups();
        Game.FreePieces();
        App.SetState(STATE_MENU);
        game.ChooseThousandPieces(path);
        state.ResumeTiming();
    }
    state.counters["count"] = CutPreview.GetPieceCount();
    state.counters["cut_scale"] = CutPreview.GetCutScale();
    state.counters["decode_ms"] = 1000 * decoding / static_cast<double>(state.iterations());
    state.counters["ratio"] = decoding > 0 ? cutting / decoding : 0.0;
    // The same split in its parts, each over the decode.
    state.counters["picture"] = decoding > 0 ? parts.picture / decoding : 0.0;
    state.counters["pieces"] = decoding > 0 ? parts.pieces / decoding : 0.0;
    state.counters["start"] = decoding > 0 ? parts.start / decoding : 0.0;
}
BENCHMARK(BM_CutThousandPiecesFromA24MPPhoto)
    ->Args({1920, 1080})
    ->Args({2560, 1440})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_FrameWithThousandPiecesZoomedOut(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    HeadlessGame game(bench::ScaleOfScreen(width, height));
    if (!game.StartThousandPieces(state)) return;
    App.UsePartialFrames(false);
    game.WholeFrame(3);  // the pieces' copies at the zoom made
    double zoomedOut = 0;
    for (auto _ : state) zoomedOut += game.WholeFrame(10);
    Game.SetView(Game.GetView().LastStep(), {400, 300});
    game.WholeFrame(3);
    const double closeUp = game.WholeFrame(10);
    const double copy = bench::ScreenCopy(width, height);
    const double iterations = static_cast<double>(state.iterations());
    state.counters["frame_ms"] = 1000 * zoomedOut / iterations;
    state.counters["ratio"] = copy > 0 ? zoomedOut / iterations / copy : 0.0;
    state.counters["close_up"] = copy > 0 ? closeUp / copy : 0.0;
    // What the pieces' own pictures hold, their boxes whole (black around the piece).
    // and what of it lies inside the pieces.
    double pixels = 0, inside = 0;
    for (int i = 0; i < Game.GetPieceCount(); ++i) {
        const CPiece& piece = Game.GetPiece(i);
        pixels += static_cast<double>(piece.image.Width()) * piece.image.Height();
        for (int y = 0; y < piece.mask.Height(); ++y)
            piece.mask.ForEachRun(y, [&](int begin, int end) { inside += end - begin; });
    }
    constexpr double kMegabyte = 1024.0 * 1024.0;
    state.counters["pieces_mb"] = pixels * sizeof(Colour) / kMegabyte;
    state.counters["inside_mb"] = inside * sizeof(Colour) / kMegabyte;
}
BENCHMARK(BM_FrameWithThousandPiecesZoomedOut)
    ->Args({1920, 1080})
    ->Args({2560, 1440})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The whole table in view (arg 2: 0), or its close-up (1).
void BM_CarryFrameWithThousandPieces(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const bool closeUp = state.range(2) != 0;
    HeadlessGame game(bench::ScaleOfScreen(width, height));
    if (!game.StartThousandPieces(state)) return;
    if (closeUp) Game.SetView(Game.GetView().LastStep(), {400, 300});
    game.Frames(2);
    Point at;
    if (!game.PickUpAPiece(at)) {
        state.SkipWithError("no piece to carry");
        return;
    }
    game.CarryingFrame(at, 20);  // the first frames behind
    double carrying = 0, whole = 0;
    const long partialBefore = App.GetPartialFrameCount();
    for (auto _ : state) {
        App.UsePartialFrames(true);
        carrying += game.CarryingFrame(at, 20);
        App.UsePartialFrames(false);
        whole += game.CarryingFrame(at, 20);
    }
    App.UsePartialFrames(true);
    if (App.GetPartialFrameCount() == partialBefore) state.SkipWithError("no frame was drawn in part");
    const double copy = bench::ScreenCopy(width, height);
    const double iterations = static_cast<double>(state.iterations());
    state.counters["carry_ms"] = 1000 * carrying / iterations;
    state.counters["ratio"] = copy > 0 ? carrying / iterations / copy : 0.0;
    state.counters["of_whole"] = whole > 0 ? carrying / whole : 0.0;
}
BENCHMARK(BM_CarryFrameWithThousandPieces)
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Args({2560, 1440, 0})
    ->Args({2560, 1440, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
