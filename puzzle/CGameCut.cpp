// CGame's cutting: each piece's image and mask cut out of the picture along
// the cut preview's lattice.
#include "puzzle/CGame.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "puzzle/CCutPreview.h"
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

}  // namespace

void CGame::BuildPiece(int column, int row)
{
    Point outline[CCutPreview::kOutlinePoints];
    CutPreview.GetCellOutline(column, row, outline);

    // The box holds the control points too, so it may reach past the picture;
    // that part lies outside the outline and stays black.
    int minX = outline[0].x, maxX = outline[0].x, minY = outline[0].y, maxY = outline[0].y;
    for (const Point& p : outline) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int width = maxX - minX + 1;
    const int height = maxY - minY + 1;

    const unsigned index = GetArrayIndex(column, row, piecesX, piecesY);
    if (!IsValidPieceIndex(static_cast<int>(index))) return;  // no pieces allocated
    CPiece& piece = pieces[index];
    piece.column = column;
    piece.row = row;
    piece.width = static_cast<float>(width);
    piece.height = static_cast<float>(height);
    // Only differences between neighbours' reference points are ever used.
    piece.homeX = static_cast<float>(std::min(outline[25].x, outline[26].x));
    piece.homeY = static_cast<float>(std::min(outline[1].y, outline[2].y));
    piece.x = RandomBelow(kScatterWidth - CutPreview.GetCellWidth());
    piece.y = RandomBelow(kScatterHeight - CutPreview.GetCellHeight());

    for (Point& p : outline) {
        p.x -= minX;
        p.y -= minY;
    }
    piece.cornerTL = outline[0];
    piece.cornerTR = outline[7];
    piece.cornerBL = outline[16];

    piece.mask = Surface(width, height);
    piece.mask.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    DrawOutline(piece.mask, outline);
    FillInside(piece.mask);

    piece.image = Surface(width, height);
    piece.image.Blit(0, 0, width, height, CutPreview.GetWorkSurface(), minX, minY);
    piece.image.Blit(0, 0, width, height, piece.mask, 0, 0, RasterOp::And);

    // The pre-joined ring of a Border cut shows as one piece: no outline.
    if (IsRingPiece(column, row)) return;
    const Pen previous = piece.image.SelectPen(Pen{kOutlineColour, 1, PenStyle::Solid});
    DrawOutline(piece.image, outline);
    piece.image.SelectPen(previous);
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
void CGame::FillInside(Surface& mask)
{
    const int width = mask.Width(), height = mask.Height();
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    // What the outside reaches turns white on a copy; the outline stops it.
    Surface outside = mask;
    for (int x = 0; x < width; ++x) {
        FloodFill(outside, x, 0, kWhite, w, h);
        FloodFill(outside, x, height - 1, kWhite, w, h);
    }
    for (int y = 0; y < height; ++y) {
        FloodFill(outside, 0, y, kWhite, w, h);
        FloodFill(outside, width - 1, y, kWhite, w, h);
    }
    for (int y = 0; y < height; ++y) {
        const Colour* reached = outside.Row(y);
        Colour* line = mask.Row(y);
        for (int x = 0; x < width; ++x) {
            if (reached[x] != kWhite) line[x] = kWhite;
        }
    }
}
