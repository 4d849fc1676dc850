// SPDX-License-Identifier: GPL-3.0-or-later
// A thousand pieces on a table zoomed out: each synthetic piece about 140 x
// 140 pixels inside (a disc with four knobs in a box of 224, cut at scale
// 4), packed and halved as right after the cut, drawn at a drawing scale of
// 2 at a zoom of 0.32 (a factor of 0.16 from the piece's pixels to the
// screen's). Each reported as "ratio": its processor time over one plain
// copy of a 2560 x 1440 frame, measured in the same iterations.
//   BM_ZoomStepThousandPieces     a step of the wheel: every copy made anew
//                                 from the halvings, and all drawn
//   BM_ZoomStepFromPiecesThemselves  the same with each copy made from the
//                                 piece's own pixels, no halving
//   BM_ZoomedFrameThousandPieces  a frame at that zoom, copies made: the
//                                 board's fill and all 1,000 drawn
//   BM_PrepareThousandPieces      packing and halving all 1,000 pieces
// Counters: held_mb, the copies' and halvings' bytes; pieces_mb, the packed
// pieces'.
//
// Last seen on the 2-core development machine (Release, the machine shared
// with other builds, so about a third either way), with reduced copies and
// halvings summed from the source's corner:
//   BM_ZoomStepThousandPieces        ratio 4.5-5.0  (7-8 ms of processor time)
//   BM_ZoomStepFromPiecesThemselves  ratio 12-15
//   BM_ZoomedFrameThousandPieces     ratio 0.54-0.55
//   BM_PrepareThousandPieces         ratio 39-42
//   held_mb 39 (halvings 28 of it), pieces_mb 84
// With each source pixel added to the copy pixels it overlaps, in the same
// session: 5.5-6.4, 20-27, 0.57-0.65 and 51-74.
// Before the halvings, each copy made from the piece itself with the rows
// laid out, a step cost about what BM_ZoomStepFromPiecesThemselves does now
// and more.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "BenchSupport.h"
#include "puzzle/CPiece.h"
#include "puzzle/ZoomedPieces.h"

namespace {

constexpr int kPieces = 1000;
constexpr int kCutScale = 4;
constexpr int kBoxUnits = 56;  // 224 pixels at the cut's scale
constexpr int kDrawScale = 2;
constexpr float kZoom = 0.32f;
constexpr int kStep = 1;

// A disc with a knob on each side; colours vary with the piece and the pixel.
CPiece SyntheticPiece(int number)
{
    const int side = kBoxUnits * kCutScale;
    CPiece piece;
    piece.image = Surface::Scaled(kBoxUnits, kBoxUnits, kCutScale);
    piece.mask = PieceMask(side, side, kCutScale);
    piece.width = piece.height = static_cast<float>(kBoxUnits);
    const double middle = side / 2.0, radius = 72, knob = 20, knobAt = 88;
    auto within = [](double x, double y, double cx, double cy, double r) {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r;
    };
    for (int y = 0; y < side; ++y) {
        Colour* row = piece.image.Row(y);
        int begin = -1;
        for (int x = 0; x <= side; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const bool in = x < side && (within(px, py, middle, middle, radius) ||
                                         within(px, py, middle - knobAt, middle, knob) ||
                                         within(px, py, middle + knobAt, middle, knob) ||
                                         within(px, py, middle, middle - knobAt, knob) ||
                                         within(px, py, middle, middle + knobAt, knob));
            if (in) {
                row[x] = MakeColour(1 + (x + number) % 250, 1 + (y + 3 * number) % 250, 77);
                if (begin < 0) begin = x;
            } else if (begin >= 0) {
                piece.mask.AddRun(y, begin, x);
                begin = -1;
            }
        }
    }
    return piece;
}

struct Table {
    std::vector<CPiece> pieces;
    ZoomedPieces zoomed;
    std::vector<Point> corners;  // each piece's top-left, in pixels of the frame
};

Table& ThousandPieces()
{
    static Table table = [] {
        Table made;
        made.pieces.reserve(kPieces);
        for (int i = 0; i < kPieces; ++i) {
            made.pieces.push_back(SyntheticPiece(i));
            made.zoomed.Prepare(i, made.pieces.back());
            // 40 x 25, a piece's box and a bit apart, with fractions of a pixel.
            const double x = (i % 40) * 39.3 * kZoom * kDrawScale, y = (i / 40) * 47.1 * kZoom * kDrawScale;
            made.corners.push_back({static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))});
        }
        return made;
    }();
    return table;
}

Surface& Frame()
{
    static Surface frame = Surface::Scaled(800, 600, kDrawScale);
    return frame;
}

void DrawAll(Table& table)
{
    Surface& frame = Frame();
    for (int i = 0; i < kPieces; ++i) {
        const CPiece& copy = table.zoomed.At(i, table.pieces[static_cast<std::size_t>(i)], kStep, kZoom, kDrawScale);
        frame.BlitTransparentAtPixel(table.corners[static_cast<std::size_t>(i)].x,
                                     table.corners[static_cast<std::size_t>(i)].y, copy.image);
    }
    benchmark::DoNotOptimize(frame.Pixels());
}

void ReportBytes(benchmark::State& state, const Table& table)
{
    std::size_t pieces = 0;
    for (const CPiece& piece : table.pieces) pieces += piece.image.MemoryBytes();
    state.counters["held_mb"] = static_cast<double>(table.zoomed.HeldBytes()) / (1 << 20);
    state.counters["pieces_mb"] = static_cast<double>(pieces) / (1 << 20);
}

void BM_ZoomStepThousandPieces(benchmark::State& state)
{
    Table& table = ThousandPieces();
    bench::RunBesideCopy(state, 2560, 1440, [&] {
        table.zoomed.Clear();
        DrawAll(table);
    });
    ReportBytes(state, table);
}
BENCHMARK(BM_ZoomStepThousandPieces)->Unit(benchmark::kMillisecond);

void BM_ZoomStepFromPiecesThemselves(benchmark::State& state)
{
    Table& table = ThousandPieces();
    CPiece copy;
    bench::RunBesideCopy(state, 2560, 1440, [&] {
        Surface& frame = Frame();
        for (int i = 0; i < kPieces; ++i) {
            ZoomedPieces::Make(table.pieces[static_cast<std::size_t>(i)], kZoom, kDrawScale, copy);
            frame.BlitTransparentAtPixel(table.corners[static_cast<std::size_t>(i)].x,
                                         table.corners[static_cast<std::size_t>(i)].y, copy.image);
        }
        benchmark::DoNotOptimize(frame.Pixels());
    });
}
BENCHMARK(BM_ZoomStepFromPiecesThemselves)->Unit(benchmark::kMillisecond);

void BM_ZoomedFrameThousandPieces(benchmark::State& state)
{
    Table& table = ThousandPieces();
    DrawAll(table);
    bench::RunBesideCopy(state, 2560, 1440, [&] {
        Frame().Fill(MakeColour(127, 154, 168));
        DrawAll(table);
    });
    ReportBytes(state, table);
}
BENCHMARK(BM_ZoomedFrameThousandPieces)->Unit(benchmark::kMillisecond);

void BM_PrepareThousandPieces(benchmark::State& state)
{
    Table& table = ThousandPieces();
    bench::RunBesideCopy(state, 2560, 1440, [&] {
        ZoomedPieces fresh;
        for (int i = 0; i < kPieces; ++i) fresh.Prepare(i, table.pieces[static_cast<std::size_t>(i)]);
        benchmark::DoNotOptimize(fresh.HeldBytes());
    });
}
BENCHMARK(BM_PrepareThousandPieces)->Unit(benchmark::kMillisecond);

}  // namespace
