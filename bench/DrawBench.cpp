// SPDX-License-Identifier: GPL-3.0-or-later
// One frame of a 13 x 13 board: the board colour, then all 169 pieces in
// drawing order. Measured in the same iterations beside its references: one
// plain copy of the 800 x 600 frame, and SDL_BlitSurface drawing the same
// pieces at the same places with a colour key, without and with RLE
// acceleration. The counters:
//   ratio          our frame / one frame copy
//   fill           the board colour's fill alone / one frame copy
//   sdl_key_speedup, sdl_rle_speedup   SDL's frame / ours (above 1: ours is faster)
// All in processor time of the thread, which other programs do not inflate.
// The selected board (every group selected: lightened inside a glowing edge) has no SDL
// counterpart and is reported against the frame copy only.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BenchSupport.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/CMgrImage.h"
#include "screens/CMenu.h"

namespace {

struct Placed {
    const CPiece* piece;
    int x;
    int y;
};

// A 13 x 13 cut of the generated picture, built and scattered as for play.
std::vector<Placed> BoardOf13x13()
{
    bench::StartCut13x13(7, false);
    std::vector<Placed> placed;
    for (int g : Game.GetDrawOrder()) {
        const CGroup& group = Game.GetGroups()[g];
        for (auto m = group.members.rbegin(); m != group.members.rend(); ++m) {
            const CPiece& piece = Game.GetPiece(*m);
            placed.push_back({&piece, static_cast<int>(group.x + piece.x), static_cast<int>(group.y + piece.y)});
        }
    }
    return placed;
}

void ReleaseBoard()
{
    Game.ClearGroups();
    Game.FreePieces();
    CutPreview.Release();
}

Colour BoardColour() { return MakeColour(Game.backgroundColor[0], Game.backgroundColor[1], Game.backgroundColor[2]); }

SDL_Surface* ToSdl(const Surface& s)
{
    SDL_Surface* copy = SDL_CreateRGBSurfaceWithFormat(0, s.Width(), s.Height(), 32, SDL_PIXELFORMAT_XBGR8888);
    for (int y = 0; y < s.Height(); ++y)
        std::memcpy(static_cast<unsigned char*>(copy->pixels) + y * copy->pitch, s.Row(y), s.Width() * sizeof(Colour));
    return copy;
}

bool SameFrame(const Surface& ours, SDL_Surface* sdl)
{
    for (int y = 0; y < ours.Height(); ++y)
        if (std::memcmp(ours.Row(y), static_cast<unsigned char*>(sdl->pixels) + y * sdl->pitch,
                        ours.Width() * sizeof(Colour)) != 0)
            return false;
    return true;
}

void DrawOurs(Surface& back, const std::vector<Placed>& placed, bool selected)
{
    back.Fill(BoardColour());
    for (const Placed& p : placed) {
        if (selected)
            ImageMgr.DrawPieceSelected(back, *p.piece, static_cast<float>(p.x), static_cast<float>(p.y), 0.5f);
        else
            ImageMgr.DrawPieceTransparent(back, *p.piece, static_cast<float>(p.x), static_cast<float>(p.y));
    }
}

void DrawSdl(SDL_Surface* back, const std::vector<SDL_Surface*>& pieces, const std::vector<Placed>& placed)
{
    const Colour board = BoardColour();
    SDL_FillRect(back, nullptr, SDL_MapRGB(back->format, RedOf(board), GreenOf(board), BlueOf(board)));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        SDL_Rect to{placed[i].x, placed[i].y, pieces[i]->w, pieces[i]->h};
        SDL_BlitSurface(pieces[i], nullptr, back, &to);
    }
}

void BM_DrawBoard13x13(benchmark::State& state)
{
    const std::vector<Placed> placed = BoardOf13x13();
    Surface back(800, 600);
    const Surface picture = bench::MakePicture(800, 600).surface;
    Surface copy(800, 600);

    std::vector<SDL_Surface*> keyed, rle;
    for (const Placed& p : placed) {
        keyed.push_back(ToSdl(p.piece->image));
        SDL_SetColorKey(keyed.back(), SDL_TRUE, 0);
        rle.push_back(ToSdl(p.piece->image));
        SDL_SetColorKey(rle.back(), SDL_TRUE, 0);
        SDL_SetSurfaceRLE(rle.back(), 1);
    }
    SDL_Surface* sdlBack = ToSdl(back);

    double ours = 0, sdlKey = 0, sdlRle = 0, frameCopy = 0, fillOnly = 0;
    for (auto _ : state) {
        const double start = bench::ThreadSeconds();
        DrawOurs(back, placed, false);
        benchmark::ClobberMemory();
        const double drawn = bench::ThreadSeconds();
        DrawSdl(sdlBack, keyed, placed);
        benchmark::ClobberMemory();
        const double keyDrawn = bench::ThreadSeconds();
        DrawSdl(sdlBack, rle, placed);
        benchmark::ClobberMemory();
        const double rleDrawn = bench::ThreadSeconds();
        copy.Blit(0, 0, 800, 600, picture, 0, 0);
        benchmark::DoNotOptimize(copy.Pixels());
        const double copied = bench::ThreadSeconds();
        copy.Fill(BoardColour());
        benchmark::ClobberMemory();
        fillOnly += bench::ThreadSeconds() - copied;
        ours += drawn - start;
        sdlKey += keyDrawn - drawn;
        sdlRle += rleDrawn - keyDrawn;
        frameCopy += copied - rleDrawn;
        state.SetIterationTime(drawn - start);
    }
    state.counters["ratio"] = ours / frameCopy;
    state.counters["sdl_key_speedup"] = sdlKey / ours;
    state.counters["sdl_rle_speedup"] = sdlRle / ours;
    state.counters["pieces"] = static_cast<double>(placed.size());
    state.counters["fill"] = fillOnly / frameCopy;
    if (!SameFrame(back, sdlBack)) state.SkipWithError("SDL drew a different frame");

    for (SDL_Surface* s : keyed) SDL_FreeSurface(s);
    for (SDL_Surface* s : rle) SDL_FreeSurface(s);
    SDL_FreeSurface(sdlBack);
    ReleaseBoard();
}
BENCHMARK(BM_DrawBoard13x13)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(0.3);

// Every group selected: the lightened drawing of every piece.
void BM_DrawSelectedBoard13x13(benchmark::State& state)
{
    const std::vector<Placed> placed = BoardOf13x13();
    Surface back(800, 600);
    bench::RunBesideCopy(state, 800, 600, [&] {
        DrawOurs(back, placed, true);
        benchmark::DoNotOptimize(back.Pixels());
    });
    ReleaseBoard();
}
BENCHMARK(BM_DrawSelectedBoard13x13)->Unit(benchmark::kMicrosecond);

// The 13 x 13 board on a back buffer of drawing scale 1, 2 and 3 (the
// pieces still of scale 1), beside a copy of a whole frame of that size.
void BM_DrawBoard13x13AtScale(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const std::vector<Placed> placed = BoardOf13x13();
    Surface back = Surface::Scaled(800, 600, scale);
    bench::RunBesideCopy(state, 800 * scale, 600 * scale, [&] {
        DrawOurs(back, placed, false);
        benchmark::DoNotOptimize(back.Pixels());
    });
    ReleaseBoard();
}
BENCHMARK(BM_DrawBoard13x13AtScale)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// The same board with every piece's image of the back buffer's own scale, as
// pieces cut at the drawing scale are: each copy is a plain copy of runs.
void BM_DrawBoard13x13PiecesAtScale(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const std::vector<Placed> placed = BoardOf13x13();
    std::vector<Surface> images;
    images.reserve(placed.size());
    for (const Placed& p : placed) {
        const int width = static_cast<int>(p.piece->width), height = static_cast<int>(p.piece->height);
        images.push_back(Surface::Scaled(width, height, scale));
        images.back().Blit(0, 0, width, height, p.piece->image, 0, 0);
    }
    Surface back = Surface::Scaled(800, 600, scale);
    bench::RunBesideCopy(state, 800 * scale, 600 * scale, [&] {
        back.Fill(BoardColour());
        for (std::size_t i = 0; i < placed.size(); ++i)
            back.BlitTransparent(placed[i].x, placed[i].y, images[i].UnitWidth(), images[i].UnitHeight(), images[i], 0,
                                 0);
        benchmark::DoNotOptimize(back.Pixels());
    });
    ReleaseBoard();
}
BENCHMARK(BM_DrawBoard13x13PiecesAtScale)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace
