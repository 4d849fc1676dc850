// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's cutting: each piece's image and mask cut out of the picture along
// the cut preview's lattice.
#include "puzzle/CGame.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/EveryCore.h"
#include "platform/Memory.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/PiecesCutAhead.h"
#include "resources/CMgrImage.h"

namespace {

// Pieces are scattered with their top-left corner inside this area.
constexpr float kScatterWidth = 750.0f;
constexpr float kScatterHeight = 500.0f;

int Trunc(float value) { return static_cast<int>(value); }

// A random whole position in [0, limit), as a float.
float RandomBelow(float limit)
{
    const int range = std::max(1, Trunc(limit));
    return static_cast<float>(std::rand() % range);
}

void DrawOutline(Surface& surface, const Point outline[CCutPreview::kOutlinePoints])
{
    for (int i = 0; i < CCutPreview::kOutlinePoints; i += 4) {
        const Point* p = outline + i;
        ImageMgr.DrawBezier(surface, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y);
    }
}

// What ReachFromBorder finds for each pixel of a mask.
constexpr unsigned char kUnreached = 0;
constexpr unsigned char kOutlinePixel = 1;  // white on the mask: the fill stops there
constexpr unsigned char kOutside = 2;       // reached from the border

// The first of bytes[from, to) that is `value`, or `to`.
int Find(const unsigned char* bytes, int from, int to, unsigned char value)
{
    if (from >= to) return to;
    const void* found = std::memchr(bytes + from, value, static_cast<std::size_t>(to - from));
    return found ? static_cast<int>(static_cast<const unsigned char*>(found) - bytes) : to;
}

// The first of bytes[from, to) that is not `value`, or `to`: eight at a time.
int Skip(const unsigned char* bytes, int from, int to, unsigned char value)
{
    const std::uint64_t all = 0x0101010101010101ull * value;
    for (; from + 8 <= to; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + from, sizeof word);
        if (const std::uint64_t other = word ^ all) return from + __builtin_ctzll(other) / 8;
    }
    while (from < to && bytes[from] == value) ++from;
    return from;
}

// The last of bytes[0, before) that is not `value`, plus one, or 0.
int SkipBack(const unsigned char* bytes, int before, unsigned char value)
{
    while (before > 0 && bytes[before - 1] == value) --before;
    return before;
}

// Every pixel of the mask that a 4-connected fill from any border pixel
// reaches without crossing a white one, found span by span in one pass (the
// same pixels as filling from each border pixel in turn). The answer is kept
// for the next piece, so that cutting does not allocate it every time.
std::vector<unsigned char>& ReachFromBorder(const Surface& mask)
{
    // Per thread: pieces are cut side by side.
    thread_local std::vector<unsigned char> state;
    thread_local std::vector<Point> pending;
    const int width = mask.Width(), height = mask.Height();
    state.resize(static_cast<std::size_t>(std::max(0, width)) * std::max(0, height));
    if (width <= 0 || height <= 0) return state;
    for (int y = 0; y < height; ++y) {
        const Colour* line = mask.Row(y);
        unsigned char* row = state.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) row[x] = line[x] == kWhite ? kOutlinePixel : kUnreached;
    }
    auto row = [&](int y) { return state.data() + static_cast<std::size_t>(y) * width; };
    // Fills from one seed and from every seed that its spans find above and below.
    auto fillFrom = [&](int seedX, int seedY) {
        pending.clear();
        pending.push_back({seedX, seedY});
        while (!pending.empty()) {
            const Point seed = pending.back();
            pending.pop_back();
            unsigned char* line = row(seed.y);
            if (line[seed.x] != kUnreached) continue;
            const int left = SkipBack(line, seed.x, kUnreached);
            const int end = Skip(line, seed.x, width, kUnreached);
            std::memset(line + left, kOutside, static_cast<std::size_t>(end - left));
            for (int ny : {seed.y - 1, seed.y + 1}) {
                if (ny < 0 || ny >= height) continue;
                const unsigned char* next = row(ny);
                // One seed for every run of unreached pixels along the span.
                for (int nx = Find(next, left, end, kUnreached); nx < end;
                     nx = Find(next, Skip(next, nx, end, kUnreached), end, kUnreached))
                    pending.push_back({nx, ny});
            }
        }
    };
    for (int x = 0; x < width; ++x) {
        if (row(0)[x] == kUnreached) fillFrom(x, 0);
        if (row(height - 1)[x] == kUnreached) fillFrom(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        if (row(y)[0] == kUnreached) fillFrom(0, y);
        if (row(y)[width - 1] == kUnreached) fillFrom(width - 1, y);
    }
    return state;
}

// Where two curves of the outline run into a sharp corner, the wedge of the
// outside between them narrows to a point inside the grey line. At a larger
// drawing scale the line is several pixels wide, and the wedge's last pixels
// would show as see-through holes in it: a gap of the outside narrower than
// a unit, along a row or a column, with the piece on both sides of it, is
// made part of the outline (and so is what that shuts in next). At one pixel
// a unit no gap is that narrow, and the cut is as it always was.
void CloseNarrowGaps(std::vector<unsigned char>& state, int width, int height, int scale)
{
    if (scale <= 1) return;
    auto at = [&](int x, int y) { return state[static_cast<std::size_t>(y) * width + x]; };
    auto inBox = [&](int x, int y) { return x >= 0 && y >= 0 && x < width && y < height; };
    // The steps from (x, y) along (dx, dy) to the first pixel that is not
    // outside, or 0 when that lies past the box or more than `scale` away.
    auto stepsToPiece = [&](int x, int y, int dx, int dy) {
        for (int step = 1; step <= scale; ++step) {
            const int px = x + step * dx, py = y + step * dy;
            if (!inBox(px, py)) return 0;
            if (at(px, py) != kOutside) return step;
        }
        return 0;
    };
    auto narrow = [&](int x, int y, int dx, int dy) {
        const int before = stepsToPiece(x, y, -dx, -dy), after = stepsToPiece(x, y, dx, dy);
        return before > 0 && after > 0 && before + after - 1 < scale;
    };
    auto shutIn = [&](int x, int y) { return narrow(x, y, 1, 0) || narrow(x, y, 0, 1); };
    // The narrow gaps as they are: runs of the outside shorter than a unit
    // with the piece at both ends, along the rows, then down the columns
    // (where each column's current run began; kOpen: at the box's edge).
    thread_local std::vector<Point> pending;
    pending.clear();
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = state.data() + static_cast<std::size_t>(y) * width;
        for (int x = Find(row, 0, width, kOutside); x < width; x = Find(row, x, width, kOutside)) {
            const int end = Skip(row, x, width, kOutside);
            if (x > 0 && end < width && end - x < scale)
                for (int g = x; g < end; ++g) pending.push_back({g, y});
            x = end;
        }
    }
    constexpr int kNone = -1, kOpen = -2;
    thread_local std::vector<int> runStart;
    runStart.assign(static_cast<std::size_t>(width), kNone);
    // A column's run of the outside begins or ends only where a pixel and
    // the one above differ in being outside: found eight at a time, as most
    // of a box is the same as the row above.
    auto meet = [&](int x, int y, bool outside) {
        int& start = runStart[static_cast<std::size_t>(x)];
        if (outside) {
            if (start == kNone) start = y == 0 ? kOpen : y;
        } else if (start != kNone) {
            if (start != kOpen && y - start < scale)
                for (int g = start; g < y; ++g) pending.push_back({x, g});
            start = kNone;
        }
    };
    static_assert(kOutside == 2 && kUnreached == 0 && kOutlinePixel == 1, "outside: the only value with bit 1");
    constexpr std::uint64_t kOutsideBits = 0x0202020202020202ull;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = state.data() + static_cast<std::size_t>(y) * width;
        if (y == 0) {
            for (int x = 0; x < width; ++x) meet(x, 0, row[x] == kOutside);
            continue;
        }
        const unsigned char* above = row - width;
        int x = 0;
        for (; x + 8 <= width; x += 8) {
            std::uint64_t here, there;
            std::memcpy(&here, row + x, sizeof here);
            std::memcpy(&there, above + x, sizeof there);
            for (std::uint64_t changed = (here ^ there) & kOutsideBits; changed != 0; changed &= changed - 1) {
                const int at = x + __builtin_ctzll(changed) / 8;
                meet(at, y, row[at] == kOutside);
            }
        }
        for (; x < width; ++x)
            if ((row[x] == kOutside) != (above[x] == kOutside)) meet(x, y, row[x] == kOutside);
    }
    while (!pending.empty()) {
        const Point p = pending.back();
        pending.pop_back();
        if (at(p.x, p.y) != kOutside || !shutIn(p.x, p.y)) continue;
        state[static_cast<std::size_t>(p.y) * width + p.x] = kOutlinePixel;
        for (int d = 1; d < scale; ++d)
            for (Point next : {Point{p.x - d, p.y}, Point{p.x + d, p.y}, Point{p.x, p.y - d}, Point{p.x, p.y + d}})
                if (inBox(next.x, next.y)) pending.push_back(next);
    }
}

// White wherever the outside did not reach.
void MarkInside(Surface& mask, const std::vector<unsigned char>& reach)
{
    for (int y = 0; y < mask.Height(); ++y) {
        const unsigned char* state = reach.data() + static_cast<std::size_t>(y) * mask.Width();
        Colour* line = mask.Row(y);
        for (int x = 0; x < mask.Width(); ++x)
            if (state[x] != kOutside) line[x] = kWhite;
    }
}

}  // namespace

// The cell's outline and the box around it, control points included, in
// units of the picture; CutBoxOf (and PlacePiece) then move the outline into
// the box.
CGame::CellBox CGame::BoxOfCell(int column, int row)
{
    CellBox box;
    Point* outline = box.outline;
    CutPreview.GetCellOutline(column, row, outline);
    // The box holds the control points too, so it may reach past the picture;
    // that part lies outside the outline and stays black.
    int minX = outline[0].x, maxX = outline[0].x, minY = outline[0].y, maxY = outline[0].y;
    for (int i = 0; i < CCutPreview::kOutlinePoints; ++i) {
        minX = std::min(minX, outline[i].x);
        maxX = std::max(maxX, outline[i].x);
        minY = std::min(minY, outline[i].y);
        maxY = std::max(maxY, outline[i].y);
    }
    box.minX = minX;
    box.minY = minY;
    box.width = maxX - minX + 1;
    box.height = maxY - minY + 1;
    return box;
}

CGame::CellBox CGame::CutBoxOf(int column, int row)
{
    CellBox box = BoxOfCell(column, row);
    for (Point& p : box.outline) {
        p.x -= box.minX;
        p.y -= box.minY;
    }
    return box;
}

void CGame::BuildPiece(int column, int row)
{
    CellBox box;
    if (!PlacePiece(column, row, box) || !cutPieceImages) return;
    CPiece& piece = pieces[GetArrayIndex(column, row, piecesX, piecesY)];
    CutPieceImage(piece, box);
    PackIfLarge(piece);
}

// A large cut's pieces are only ever drawn through copies, which read their
// inside pixels in place: each is packed as soon as it is cut (the box around
// a piece is mostly see-through), while the picture it was cut from is still
// held.
void CGame::PackIfLarge(const CPiece& piece)
{
    if (CutPreview.IsLargeCut()) piece.image.Pack();
}

// Their halvings are made once the picture is let go, before the first frame
// (which shows every piece reduced), so that the two are never held at once.
void CGame::PrepareTheTable()
{
    if (!CutPreview.IsLargeCut()) return;
    zoomed.PrepareAll(pieces);
}

void CGame::BuildPieces(const std::vector<Point>& cells, PiecesCutAhead* ahead)
{
    std::vector<CellBox> boxes(cells.size());
    std::vector<CPiece*> toCut(cells.size(), nullptr);
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (PlacePiece(cells[i].x, cells[i].y, boxes[i]))
            toCut[i] = &pieces[GetArrayIndex(cells[i].x, cells[i].y, piecesX, piecesY)];
    if (!cutPieceImages) return;
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (toCut[i] && ahead && ahead->Take(cells[i].x, cells[i].y, *toCut[i])) toCut[i] = nullptr;
    const std::size_t workers = static_cast<std::size_t>(CoresToUse());
    OnEveryCore(static_cast<int>(workers), [&](int first) {
        for (std::size_t i = static_cast<std::size_t>(first); i < cells.size(); i += workers)
            if (toCut[i]) {
                CutPieceImage(*toCut[i], boxes[i]);
                PackIfLarge(*toCut[i]);
            }
    });
}

bool CGame::PlacePiece(int column, int row, CellBox& box)
{
    box = BoxOfCell(column, row);
    const Point* outline = box.outline;
    const unsigned index = GetArrayIndex(column, row, piecesX, piecesY);
    if (!IsValidPieceIndex(static_cast<int>(index))) return false;  // no pieces allocated
    CPiece& piece = pieces[index];
    piece.column = column;
    piece.row = row;
    piece.width = static_cast<float>(box.width);
    piece.height = static_cast<float>(box.height);
    // Only differences between neighbours' reference points are ever used.
    piece.homeX = static_cast<float>(std::min(outline[25].x, outline[26].x));
    piece.homeY = static_cast<float>(std::min(outline[1].y, outline[2].y));
    const float span = TableSpan();
    piece.x = RandomBelow(kScatterWidth * span - CutPreview.GetCellWidth());
    piece.y = RandomBelow(kScatterHeight * span - CutPreview.GetCellHeight());

    for (Point& p : box.outline) {
        p.x -= box.minX;
        p.y -= box.minY;
    }
    piece.cornerTL = outline[0];
    piece.cornerTR = outline[7];
    piece.cornerBL = outline[16];
    return true;
}

void CGame::MatchDrawingScale(int scale)
{
    if (!CutPreview.MatchScale(scale)) return;
    if (!pieces.empty()) CutPiecesAgain();
    // The pieces and copies of the old scale, and the picture read again, leave holes.
    Memory::ReturnFreeMemory();
}

void CGame::CutPiecesAgain()
{
    if (!cutPieceImages) return;
    // A large cut's pieces keep the pixels they were cut at: they are drawn
    // through copies at every scale, and cutting a thousand again would stall
    // the window's change for seconds.
    if (CutPreview.IsLargeCut()) return;
    // The lattice is let go during play; it is laid out again the same.
    const bool laidOut = CutPreview.GetPointCount() > 0;
    if (!laidOut) CutPreview.LayOutLattice();
    CutPreview.PrepareCutPicture();
    for (CPiece& piece : pieces) {
        // A piece not cut yet is cut at the new scale when its turn comes.
        if (piece.image.IsEmpty()) continue;
        CutPieceImage(piece, CutBoxOf(piece.column, piece.row));
    }
    CutPreview.ReleaseCutPicture();
    zoomed.Clear();
    if (!laidOut) CutPreview.FreePoints();
}

// The piece is cut at the picture's scale: its box holds that many pixels a
// unit, and its outline follows the finer pixels. Neighbours share their
// outline's pixels, as at scale 1, so that joined pieces meet with no seam.
void CGame::CutPieceImage(CPiece& piece, const CellBox& box)
{
    const Surface& work = CutPreview.GetCutPicture().surface;  // the picture without the cut lines
    CutFrom(work, work.IsEmpty() ? 1 : work.Scale(), box, ShowsOutline(piece.column, piece.row), piece);
}

void CGame::CutFrom(const Surface& work, int scale, const CellBox& box, bool withOutline, CPiece& piece)
{
    const int width = box.width * scale, height = box.height * scale;
    const int minX = box.minX * scale, minY = box.minY * scale;

    // The outline is drawn once, in white, on the piece's new (black) image;
    // the fill from the border stops at it, and the same pixels are the
    // image's outline.
    piece.image = Surface::Scaled(box.width, box.height, scale);
    piece.image.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    DrawOutline(piece.image, box.outline);
    piece.image.SelectPen(Pen{});
    std::vector<unsigned char>& reach = ReachFromBorder(piece.image);
    CloseNarrowGaps(reach, width, height, scale);
    piece.mask = PieceMask(width, height, scale);

    // One pass over the box: the mask is wherever the outside did not reach;
    // the image the picture there (black elsewhere and off the picture), with
    // the outline's pixels in the outline's grey, except on the pre-joined
    // ring of a Border cut, which shows as one piece. Only the runs inside
    // are written: outside them the image is still black.
    const int fromX = std::clamp(-minX, 0, width), toX = std::clamp(work.Width() - minX, fromX, width);
    const int fromY = std::max(0, -minY), toY = std::min(height, work.Height() - minY);
    for (int y = 0; y < height; ++y) {
        const unsigned char* state = reach.data() + static_cast<std::size_t>(y) * width;
        Colour* line = piece.image.Row(y);
        const Colour* picture = y >= fromY && y < toY ? work.Row(minY + y) : nullptr;
        for (int x = Skip(state, 0, width, kOutside); x < width; x = Skip(state, x, width, kOutside)) {
            const int begin = x;
            x = Find(state, x, width, kOutside);
            piece.mask.AddRun(y, begin, x);
            int copyFrom = std::max(begin, fromX), copyTo = std::min(x, toX);
            if (!picture || copyFrom >= copyTo) copyFrom = copyTo = begin;
            // Off the picture: black, the outline's white included.
            std::fill(line + begin, line + copyFrom, kBlack);
            std::memcpy(line + copyFrom, picture ? picture + (minX + copyFrom) : line + copyFrom,
                        sizeof(Colour) * static_cast<std::size_t>(copyTo - copyFrom));
            std::fill(line + copyTo, line + x, kBlack);
            if (withOutline) {
                for (int o = Find(state, begin, x, kOutlinePixel); o < x; o = Find(state, o + 1, x, kOutlinePixel))
                    line[o] = kOutlineColour;
            }
        }
    }
}

// A scanline fill with an explicit stack: the same pixels as filling each
// 4-connected neighbour in turn, without one nested call per pixel.
void CGame::FloodFill(Surface& surface, int x, int y, Colour colour, float width, float height)
{
    const int right = std::min(Trunc(width), surface.Width());
    const int bottom = std::min(Trunc(height), surface.Height());
    if (x < 0 || y < 0 || x >= right || y >= bottom) return;
    colour &= 0xFFFFFF;
    std::vector<Point> pending{{x, y}};
    while (!pending.empty()) {
        const Point seed = pending.back();
        pending.pop_back();
        Colour* line = surface.Row(seed.y);
        if (line[seed.x] == colour) continue;
        int left = seed.x, last = seed.x;
        while (left > 0 && line[left - 1] != colour) --left;
        while (last + 1 < right && line[last + 1] != colour) ++last;
        std::fill(line + left, line + last + 1, colour);
        // One seed for every run of unfilled pixels above and below the span.
        for (int ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= bottom) continue;
            const Colour* next = surface.Row(ny);
            for (int nx = left; nx <= last; ++nx) {
                if (next[nx] != colour && (nx == left || next[nx - 1] == colour)) pending.push_back({nx, ny});
            }
        }
    }
}

// The mask is the outline and everything inside it: every pixel that the
// outside of the box cannot reach without crossing the outline. A fill from
// the centre of the box alone misses what the outline shuts off from the
// body: where two curves run into a corner at a sharp angle, the diagonal
// steps of the lines shut in a pixel at the tip of the wedge between them, and
// on small cells the tabs of two edges can cross and shut in a larger patch.
// No piece's fill from its centre reaches those, so the finished picture
// would show holes there.
void CGame::FillInside(Surface& mask) { MarkInside(mask, ReachFromBorder(mask)); }
