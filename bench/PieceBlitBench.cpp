// A frame of play: 169 pieces (a 13 x 13 cut) copied with black left out onto
// the 800 x 600 back buffer, beside SDL_BlitSurface with a colour key doing
// the same copies and beside one memcpy of the whole frame.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "puzzle/CPiece.h"
#include "resources/CMgrImage.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;
constexpr int kPieceSize = 70;
constexpr int kPiecesPerSide = 13;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A piece: a round body of picture, black outside it.
CPiece MakePiece(int index)
{
    CPiece piece;
    piece.image = Surface(kPieceSize, kPieceSize);
    piece.width = kPieceSize;
    piece.height = kPieceSize;
    const int centre = kPieceSize / 2, radius = kPieceSize / 2 - 2;
    for (int y = 0; y < kPieceSize; ++y)
        for (int x = 0; x < kPieceSize; ++x)
            if ((x - centre) * (x - centre) + (y - centre) * (y - centre) <= radius * radius)
                piece.image.SetPixel(x, y, MakeColour(40 + x * 3, 60 + y * 2, 30 + index));
    return piece;
}

struct Placed {
    int x;
    int y;
};

std::vector<Placed> Places()
{
    std::vector<Placed> places;
    for (int row = 0; row < kPiecesPerSide; ++row)
        for (int col = 0; col < kPiecesPerSide; ++col) places.push_back({5 + col * 60, 3 + row * 45});
    return places;
}

SDL_Surface* ToSdl(const Surface& s)
{
    SDL_Surface* copy = SDL_CreateRGBSurfaceWithFormat(0, s.Width(), s.Height(), 32, SDL_PIXELFORMAT_XBGR8888);
    for (int y = 0; y < s.Height(); ++y)
        std::memcpy(static_cast<unsigned char*>(copy->pixels) + y * copy->pitch, s.Row(y), s.Width() * sizeof(Colour));
    return copy;
}

}  // namespace

// Time per frame is ours; the counters give the references measured in the
// same iterations and ours over each of them.
static void BM_Draw169TransparentPieces(benchmark::State& state)
{
    std::vector<CPiece> pieces;
    for (int i = 0; i < kPiecesPerSide * kPiecesPerSide; ++i) pieces.push_back(MakePiece(i));
    const std::vector<Placed> places = Places();
    Surface frame(kFrameWidth, kFrameHeight);

    std::vector<SDL_Surface*> sdlPieces;
    for (const CPiece& piece : pieces) {
        sdlPieces.push_back(ToSdl(piece.image));
        SDL_SetColorKey(sdlPieces.back(), SDL_TRUE, 0);
    }
    SDL_Surface* sdlFrame = ToSdl(frame);
    std::vector<Colour> copy(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);

    double ours = 0, sdl = 0, memcpyTime = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        for (std::size_t i = 0; i < pieces.size(); ++i)
            ImageMgr.DrawPieceTransparent(frame, pieces[i], static_cast<float>(places[i].x),
                                          static_cast<float>(places[i].y));
        benchmark::ClobberMemory();
        Clock::time_point drawn = Clock::now();
        for (std::size_t i = 0; i < sdlPieces.size(); ++i) {
            SDL_Rect to{places[i].x, places[i].y, kPieceSize, kPieceSize};
            SDL_BlitSurface(sdlPieces[i], nullptr, sdlFrame, &to);
        }
        benchmark::ClobberMemory();
        Clock::time_point blitted = Clock::now();
        std::memcpy(copy.data(), frame.Pixels(), copy.size() * sizeof(Colour));
        benchmark::ClobberMemory();
        Clock::time_point copied = Clock::now();
        ours += Seconds(drawn - start);
        sdl += Seconds(blitted - drawn);
        memcpyTime += Seconds(copied - blitted);
        state.SetIterationTime(Seconds(drawn - start));
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["sdl_us"] = 1e6 * sdl / iterations;
    state.counters["memcpy_us"] = 1e6 * memcpyTime / iterations;
    state.counters["ratio_vs_sdl"] = ours / sdl;
    state.counters["ratio_vs_memcpy"] = ours / memcpyTime;

    // Both ways must have drawn the same frame.
    for (int y = 0; y < kFrameHeight; ++y)
        if (std::memcmp(frame.Row(y), static_cast<unsigned char*>(sdlFrame->pixels) + y * sdlFrame->pitch,
                        kFrameWidth * sizeof(Colour)) != 0) {
            state.SkipWithError("SDL drew a different frame");
            break;
        }
    for (SDL_Surface* s : sdlPieces) SDL_FreeSurface(s);
    SDL_FreeSurface(sdlFrame);
}
BENCHMARK(BM_Draw169TransparentPieces)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(0.2);
