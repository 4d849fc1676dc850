// Building the pieces of a cut, and drawing a full board, each beside a plain
// copy of a picture of the same size measured in the same run. The "ratio"
// counter is the time of one build or frame divided by the time of one copy.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

#include "BenchSupport.h"
#include "platform/Surface.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/CMgrImage.h"
#include "screens/CMenu.h"

namespace {

using bench::CopyOfPicture;
using bench::MakePicture;
using bench::RunAgainst;

void ChooseCut(int pieces)
{
    std::srand(7);
    CMenu::SetBorder(false);
    CutPreview.TestHookSetPicture(MakePicture(448, 448));
    CutPreview.SetDefaults();
    CutPreview.SetPieces(pieces);
    CutPreview.Refresh();
}

void BuildAllPieces()
{
    CutPreview.StartBuild();
    while (!CutPreview.BuildStep()) {
    }
}

void BM_CopyPicture448(benchmark::State& state)
{
    const Surface picture = MakePicture(448, 448).surface;
    Surface copy(448, 448);
    for (auto _ : state) {
        copy.Blit(0, 0, 448, 448, picture, 0, 0);
        benchmark::DoNotOptimize(copy.Pixels());
    }
}
BENCHMARK(BM_CopyPicture448);

// Every piece of an n x n cut of a 448 x 448 picture: outline, mask, image.
void BM_BuildAllPieces(benchmark::State& state)
{
    const int pieces = static_cast<int>(state.range(0));
    ChooseCut(pieces);
    const double reference = CopyOfPicture(448, 448);
    RunAgainst(state, reference, [] { BuildAllPieces(); });
    state.counters["pieces"] = pieces * pieces;
    Game.FreePieces();
    CutPreview.Release();
}
BENCHMARK(BM_BuildAllPieces)->Arg(4)->Arg(13)->Unit(benchmark::kMillisecond);

void BM_CopyFrame800x600(benchmark::State& state)
{
    const Surface frame = MakePicture(800, 600).surface;
    Surface back(800, 600);
    for (auto _ : state) {
        back.Blit(0, 0, 800, 600, frame, 0, 0);
        benchmark::DoNotOptimize(back.Pixels());
    }
}
BENCHMARK(BM_CopyFrame800x600);

// One frame of a 13 x 13 board: the board colour, then every piece of every
// group, transparently, in drawing order.
void BM_DrawBoard13x13(benchmark::State& state)
{
    ChooseCut(13);
    BuildAllPieces();
    Game.StartGame();
    Surface back(800, 600);
    const Colour board = MakeColour(Game.backgroundColor[0], Game.backgroundColor[1], Game.backgroundColor[2]);
    const double reference = CopyOfPicture(800, 600);
    int drawn = 0;
    RunAgainst(state, reference, [&] {
        back.Fill(board);
        drawn = 0;
        for (int g : Game.GetDrawOrder()) {
            const CGroup& group = Game.GetGroups()[g];
            for (auto m = group.members.rbegin(); m != group.members.rend(); ++m) {
                const CPiece& piece = Game.GetPiece(*m);
                ImageMgr.DrawPieceTransparent(back, piece, group.x + piece.x, group.y + piece.y);
                ++drawn;
            }
        }
        benchmark::DoNotOptimize(back.Pixels());
    });
    state.counters["pieces"] = drawn;
    Game.ClearGroups();
    Game.FreePieces();
    CutPreview.Release();
}
BENCHMARK(BM_DrawBoard13x13)->Unit(benchmark::kMicrosecond);

}  // namespace
