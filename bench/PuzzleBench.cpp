// SPDX-License-Identifier: GPL-3.0-or-later
// Building the pieces of a cut beside a plain copy of the 448 x 448 picture
// measured in the same run. The "ratio" counter is the time of one build
// divided by the time of one copy.
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

using bench::MakePicture;

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
    bench::RunBesideCopy(state, 448, 448, [] { BuildAllPieces(); });
    state.counters["pieces"] = pieces * pieces;
    Game.FreePieces();
    CutPreview.Release();
}
BENCHMARK(BM_BuildAllPieces)->Arg(4)->Arg(13)->Unit(benchmark::kMillisecond);

// The 13 x 13 cut of a picture at drawing scale 1, 2 or 3 (448 units, 448 x
// scale pixels), beside a plain copy of that picture.
void BM_BuildAllPiecesAtScale(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    std::srand(7);
    CMenu::SetBorder(false);
    CImage picture = MakePicture(448 * scale, 448 * scale);
    picture.surface = CMgrImage::AtScale(picture.surface, scale);
    picture.width = picture.height = 448;
    CutPreview.TestHookSetPicture(picture);
    CutPreview.SetDefaults();
    CutPreview.SetPieces(13);
    CutPreview.Refresh();
    bench::RunBesideCopy(state, 448 * scale, 448 * scale, [] { BuildAllPieces(); });
    state.counters["pieces"] = 169;
    Game.FreePieces();
    CutPreview.Release();
}
BENCHMARK(BM_BuildAllPiecesAtScale)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
