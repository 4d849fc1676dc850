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
//
// Measured on the 2-core development machine, three runs each, one build
// right after the other ("ratio", frame copies):
//                                 pieces read in place   packed in the record
//   BM_DrawBoard13x13              1.47-1.62              1.29-1.30
//   BM_DrawBoard13x13AtScale/1     1.36-1.37              1.19
//   BM_DrawBoard13x13AtScale/2     1.38                   1.34-1.35
//   BM_DrawBoard13x13AtScale/3     1.24-1.25              1.17-1.18
//   BM_DrawBoard13x13CutAtScale/2  1.38-1.41              1.27-1.28
//   BM_DrawBoard13x13CutAtScale/3  1.33-1.35              1.25
//   BM_DrawManySmallPieces         1.69-1.72              1.65-1.67
// Before the drawing scale came, BM_DrawBoard13x13 was 1.21-1.29 here.
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

// The same with the pieces cut again at the back buffer's scale, as the game
// does when the scale changes: every piece a plain copy of its runs. The
// second argument selects every group.
void BM_DrawBoard13x13CutAtScale(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const bool selected = state.range(1) != 0;
    const std::vector<Placed> placed = BoardOf13x13();
    Game.MatchDrawingScale(scale);
    Surface back = Surface::Scaled(800, 600, scale);
    bench::RunBesideCopy(state, 800 * scale, 600 * scale, [&] {
        DrawOurs(back, placed, selected);
        benchmark::DoNotOptimize(back.Pixels());
    });
    ReleaseBoard();
}
BENCHMARK(BM_DrawBoard13x13CutAtScale)
    ->Args({2, 0})
    ->Args({3, 0})
    ->Args({2, 1})
    ->Args({3, 1})
    ->Unit(benchmark::kMicrosecond);

// Many small pieces: 40 x 25 pieces of 20 x 24 units (a body of 20 x 20,
// a tab above, rounded corners see-through), each its own surface as a cut
// piece is, on the 800 x 600 frame in a grid of 20 x 24, beside a copy of a
// whole frame. What a frame of 1,000 pieces costs beyond their pixels is
// the per-piece work of a transparent copy: the clip, the record's look-up.
struct SmallPiece {
    Surface image;
    float width = 20;
    float height = 24;
};

SmallPiece MakeSmallPiece(int index)
{
    SmallPiece piece;
    piece.image = Surface(20, 24);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool tab = y < 4 && x >= 7 && x < 13;
            const bool corner = y >= 4 && (x + y < 6 || (19 - x) + y < 6);
            if ((y >= 4 && !corner) || tab) piece.image.SetPixel(x, y, MakeColour(1 + (index * 7 + x) % 250, 1 + y * 9, 90));
        }
    }
    return piece;
}

void BM_DrawManySmallPieces(benchmark::State& state)
{
    std::vector<SmallPiece> pieces;
    for (int i = 0; i < 40 * 25; ++i) pieces.push_back(MakeSmallPiece(i));
    Surface back(800, 600);
    bench::RunBesideCopy(state, 800, 600, [&] {
        back.Fill(MakeColour(40, 60, 80));
        for (int i = 0; i < 40 * 25; ++i)
            ImageMgr.DrawPieceTransparent(back, pieces[static_cast<std::size_t>(i)], static_cast<float>(i % 40 * 20),
                                          static_cast<float>(i / 40 * 24));
        benchmark::DoNotOptimize(back.Pixels());
    });
    state.counters["pieces"] = static_cast<double>(pieces.size());
}
BENCHMARK(BM_DrawManySmallPieces)->Unit(benchmark::kMicrosecond);

}  // namespace
