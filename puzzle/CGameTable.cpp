// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's table: the view of it on screen and the input that moves it (the
// wheel zooms at the cursor, + and - and the keypad's at the middle, Home
// shows the whole table, the arrow keys and a drag with the right or middle
// button pan), and the pieces drawn and hit through the view. Positions of
// groups, joins, ARRANGE and the saved game stay in table units; the panel,
// the clock, the banner and the picture window stay in screen units. While
// the whole table is shown at 1, pieces cut at the drawing scale are drawn
// and hit exactly as on the board without a view; every other piece is
// drawn through its copy at the zoom (ZoomedPieces), placed to the screen's
// pixel rather than its unit, and hit where that copy shows.
#include "puzzle/CGame.h"

#include <algorithm>
#include <cmath>

#include "core/CMgrInput.h"
#include "platform/Signature.h"
#include "platform/VirtualKeys.h"
#include "puzzle/CCutPreview.h"
#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"

namespace {

// A key pressed: once, a held key again with each of its repeats.
bool TakeKey(int key)
{
    if (!InputMgr.IsKeyDown(key)) return false;
    InputMgr.KeyUp(key);
    return true;
}

bool PanKeyDown()
{
    for (int key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN})
        if (InputMgr.IsKeyDown(key)) return true;
    return false;
}

// Whether the piece is drawn as it was cut: the whole table at 1, and the
// piece cut at the drawing scale.
bool DrawnAsCut(const TableView& view, const CPiece& piece)
{
    return view.IsWhole() && (piece.image.IsEmpty() || piece.image.Scale() == BackBuffer().Scale());
}

struct PixelCorner {
    long long x = 0;
    long long y = 0;
};

// The screen pixel (of the drawing scale) in which a point of the table
// lies. A copy's top-left goes there: two joined pieces, whose edges meet at
// one point of the table, then lie less than a pixel off that point each,
// which their copies' outward masks cover (see ZoomedPieces.h). Placed at
// whole units instead, they could lie a unit apart.
PixelCorner PixelOf(const TableView& view, float x, float y, int scale)
{
    const TablePoint origin = view.Origin();
    const double perUnit = static_cast<double>(view.Zoom()) * scale;
    return {static_cast<long long>(std::floor((static_cast<double>(x) - origin.x) * perUnit)),
            static_cast<long long>(std::floor((static_cast<double>(y) - origin.y) * perUnit))};
}

// How far a piece's copy may reach from its top-left, in screen pixels.
PixelCorner ReachOf(const CPiece& piece, float zoom, int scale)
{
    const double perUnit = static_cast<double>(zoom) * scale;
    const float width = std::max(piece.width, static_cast<float>(piece.image.UnitWidth()));
    const float height = std::max(piece.height, static_cast<float>(piece.image.UnitHeight()));
    return {static_cast<long long>(std::ceil((width + 1) * perUnit)) + scale,
            static_cast<long long>(std::ceil((height + 1) * perUnit)) + scale};
}

// Whether a copy placed at `corner` and reaching `reach` touches the screen.
bool InSight(const Surface& back, PixelCorner corner, PixelCorner reach)
{
    return corner.x < back.Width() && corner.y < back.Height() && corner.x + reach.x >= 0 && corner.y + reach.y >= 0;
}

// A selected piece's look reaches a unit past its box: drawn on a surface of
// the box and that unit, then placed to the pixel like the plain copy.
void DrawSelectedAtPixel(Surface& back, const CPiece& drawn, PixelCorner corner, float glow)
{
    static Surface scratch;
    const int scale = back.Scale();
    const int width = static_cast<int>(drawn.width) + 2, height = static_cast<int>(drawn.height) + 2;
    if (scratch.UnitWidth() != width || scratch.UnitHeight() != height || scratch.Scale() != scale)
        scratch = Surface::Scaled(width, height, scale);
    else
        scratch.Fill(kBlack);
    ImageMgr.DrawPieceSelected(scratch, drawn, 1.0f, 1.0f, glow);
    back.BlitTransparentAtPixel(corner.x - scale, corner.y - scale, scratch);
}

}  // namespace

float CGame::TableSpan() const
{
    if (!CutPreview.IsLargeCut() || piecesX <= 0 || piecesY <= 0) return 1.0f;
    // A piece's box, tabs and all, is about one and a half cells across and down.
    constexpr float kBoxPerCell = 1.5f;
    constexpr float kSpare = 1.2f;
    const float cellWidth = CutPreview.GetCutWidth() / static_cast<float>(piecesX);
    const float cellHeight = CutPreview.GetCutHeight() / static_cast<float>(piecesY);
    const float pieces = static_cast<float>(piecesX * piecesY) * cellWidth * cellHeight * kBoxPerCell * kBoxPerCell;
    const float room = (CutPreview.GetCutWidth() * CutPreview.GetCutHeight() + pieces) * kSpare;
    const float board = kBoardRight * (kBoardBottom - kTopBarsBottom);
    return std::max(1.0f, std::sqrt(room / board));
}

LayoutBox CGame::FreeTable() const
{
    const float span = TableSpan();
    return {0.0f, kTopBarsBottom * span, kBoardRight * span, kBoardBottom * span};
}

PixelRect CGame::PictureWindowOnTable() const
{
    const PixelRect window = PictureWindowArea();
    if (view.IsWhole()) return window;
    const TablePoint a = view.ToTable({static_cast<float>(window.left), static_cast<float>(window.top)});
    const TablePoint b = view.ToTable({static_cast<float>(window.right), static_cast<float>(window.bottom)});
    return {static_cast<int>(std::floor(a.x)), static_cast<int>(std::floor(a.y)), static_cast<int>(std::ceil(b.x)),
            static_cast<int>(std::ceil(b.y))};
}

void CGame::FitViewToPuzzle()
{
    // The board's puzzles lie on a table of the board's size, a large cut's
    // on one TableSpan times as large; a piece is about a cell tall.
    const float cellHeight = piecesY > 0 ? CutPreview.GetCutHeight() / static_cast<float>(piecesY) : 0.0f;
    const float span = TableSpan();
    view.SetTable(TableView::kScreenWidth * span, TableView::kScreenHeight * span, cellHeight);
    zoomed.Clear();
    zoomed.KeepFor(pieces);
    panning = false;
}

bool CGame::ViewInputPending() const
{
    if (InputMgr.PendingWheelSteps() != 0 || InputMgr.IsRightButtonDown() || InputMgr.IsMiddleButtonDown() || panning)
        return true;
    for (int key : {VK_OEM_PLUS, VK_ADD, VK_OEM_MINUS, VK_SUBTRACT, VK_HOME})
        if (InputMgr.IsKeyDown(key)) return true;
    return PanKeyDown();
}

void CGame::UpdateView(float dt)
{
    const Point cursor = CMgrInput::GetCursor();
    const int wheel = InputMgr.TakeWheelSteps();
    if (wheel != 0) {
        view.ZoomAt({static_cast<float>(cursor.x), static_cast<float>(cursor.y)}, wheel);
        lastZoomWay = wheel > 0 ? 1 : -1;
    }
    const TablePoint middle{TableView::kScreenWidth / 2, TableView::kScreenHeight / 2};
    const bool in = TakeKey(VK_OEM_PLUS) | TakeKey(VK_ADD);
    const bool out = TakeKey(VK_OEM_MINUS) | TakeKey(VK_SUBTRACT);
    if (in != out) {
        view.ZoomAt(middle, in ? 1 : -1);
        lastZoomWay = in ? 1 : -1;
    }
    if (TakeKey(VK_HOME)) {
        view.ShowWhole();
        lastZoomWay = 1;
    }
    if (PanKeyDown()) {
        // An arrow shows more of the table on its side.
        const float step = kKeyPanSpeed * dt;
        const float dx = (InputMgr.IsKeyDown(VK_LEFT) ? step : 0) - (InputMgr.IsKeyDown(VK_RIGHT) ? step : 0);
        const float dy = (InputMgr.IsKeyDown(VK_UP) ? step : 0) - (InputMgr.IsKeyDown(VK_DOWN) ? step : 0);
        view.Pan(dx, dy);
    }
    // The table follows the hand that drags it, up to where the button is let go.
    const bool dragging = InputMgr.IsRightButtonDown() || InputMgr.IsMiddleButtonDown();
    if (panning) view.Pan(static_cast<float>(cursor.x - panFrom.x), static_cast<float>(cursor.y - panFrom.y));
    panning = dragging;
    panFrom = cursor;
    // The copies of another zoom go when the whole table shows the pieces as cut.
    if (!pieces.empty() && DrawnAsCut(view, pieces.front())) zoomed.Clear();
}

// The copies a frame will draw are made before it draws any, side by side:
// a wheel notch over a whole table of pieces asks for a thousand at once.
void CGame::MakeCopiesInSight()
{
    if (pieces.empty() || DrawnAsCut(view, pieces.front())) return;
    zoomed.MakeCopies(PiecesInSightThroughCopies(), pieces, view.Step(), view.Zoom(), BackBuffer().Scale());
}

std::vector<int> CGame::PiecesInSightThroughCopies() const
{
    const Surface& back = BackBuffer();
    const int scale = back.Scale();
    std::vector<int> inSight;
    for (const CGroup& group : groups) {
        if (group.hidden) continue;
        for (int m : group.members) {
            if (!IsValidPieceIndex(m) || DrawnAsCut(view, pieces[m])) continue;
            const CPiece& piece = pieces[m];
            if (InSight(back, PixelOf(view, group.x + piece.x, group.y + piece.y, scale),
                        ReachOf(piece, view.Zoom(), scale)))
                inSight.push_back(m);
        }
    }
    return inSight;
}

// Zooming in around any point of the screen shows some of what is in sight
// now, so those pieces' copies are what the next notch in needs; zooming
// out shows them too, with more around. A few dozen copies a resting frame
// keep the pause free for the player's next move.
bool CGame::MakeCopiesAhead()
{
    constexpr std::size_t kCopiesAFrame = 64;
    if (completed || pieces.empty() || DrawnAsCut(view, pieces.front())) return false;
    int next = view.Step() + lastZoomWay;
    if (next < 0 || next > view.LastStep()) next = view.Step() - lastZoomWay;
    if (next < 0 || next > view.LastStep()) return false;
    TableView nextView = view;
    nextView.Set(next, {0, 0});
    if (DrawnAsCut(nextView, pieces.front())) return false;  // a board's whole view needs no copies
    const int scale = BackBuffer().Scale();
    Signature key;
    key.Add(next);
    key.Add(view.Step());
    key.Add(view.Origin().x);
    key.Add(view.Origin().y);
    key.Add(scale);
    key.Add(static_cast<std::uint64_t>(groups.size()));
    if (key.Digest() != aheadView) {
        aheadView = key.Digest();
        aheadNext = 0;
    }
    const std::vector<int> inSight = PiecesInSightThroughCopies();
    if (aheadNext >= inSight.size()) return false;
    const std::size_t end = std::min(inSight.size(), aheadNext + kCopiesAFrame);
    const std::vector<int> batch(inSight.begin() + static_cast<std::ptrdiff_t>(aheadNext),
                                 inSight.begin() + static_cast<std::ptrdiff_t>(end));
    aheadNext = end;
    zoomed.MakeCopies(batch, pieces, next, view.ZoomAtStep(next), scale);
    return aheadNext < inSight.size();
}

const CPiece& CGame::PieceAsDrawn(int index) const
{
    if (DrawnAsCut(view, pieces[index])) return pieces[index];
    return zoomed.At(index, pieces[index], view.Step(), view.Zoom(), BackBuffer().Scale());
}

Point CGame::ScreenCorner(float x, float y) const
{
    const TablePoint at = view.ToScreen({x, y});
    return {static_cast<int>(std::floor(at.x)), static_cast<int>(std::floor(at.y))};
}

void CGame::DrawPieceOnTable(Surface& back, int index, float x, float y, bool selectedLook, float glow)
{
    const CPiece& piece = pieces[index];
    if (DrawnAsCut(view, piece)) {
        if (selectedLook)
            ImageMgr.DrawPieceSelected(back, piece, x, y, glow);
        else
            ImageMgr.DrawPieceTransparent(back, piece, x, y);
        return;
    }
    // Only what reaches the screen is drawn (and made at the zoom).
    const int scale = back.Scale();
    const PixelCorner corner = PixelOf(view, x, y, scale);
    if (!InSight(back, corner, ReachOf(piece, view.Zoom(), scale))) return;
    const CPiece& drawn = PieceAsDrawn(index);
    if (selectedLook)
        DrawSelectedAtPixel(back, drawn, corner, glow);
    else
        back.BlitTransparentAtPixel(corner.x, corner.y, drawn.image);
}

void CGame::DrawShadowOnTable(Surface& back, int index, float x, float y)
{
    if (DrawnAsCut(view, pieces[index])) {
        CJoinFlash::DrawShadow(back, pieces[index], x, y);
        return;
    }
    // The shadow lies a few units off and is soft: the unit of the copy's pixel does.
    const int scale = back.Scale();
    const PixelCorner corner = PixelOf(view, x, y, scale);
    CJoinFlash::DrawShadow(back, PieceAsDrawn(index), static_cast<float>(std::floor(static_cast<double>(corner.x) / scale)),
                           static_cast<float>(std::floor(static_cast<double>(corner.y) / scale)));
}

// A press takes the piece whose copy at the zoom is drawn on the pixel under
// the centre of the cursor's unit, as the drawing shows it.
bool CGame::IsPieceUnderCursorOnTable(const CGroup& group, int index, Point cursor, FloatPoint* offset) const
{
    const CPiece& piece = pieces[index];
    const float px = group.x + piece.x, py = group.y + piece.y;
    const int scale = BackBuffer().Scale();
    const PixelCorner corner = PixelOf(view, px, py, scale), reach = ReachOf(piece, view.Zoom(), scale);
    const long long ux = static_cast<long long>(cursor.x) * scale + scale / 2 - corner.x;
    const long long uy = static_cast<long long>(cursor.y) * scale + scale / 2 - corner.y;
    if (ux < 0 || uy < 0 || ux > reach.x || uy > reach.y) return false;
    const PieceMask& mask = PieceAsDrawn(index).mask;
    if (ux >= mask.Width() || uy >= mask.Height() || mask.GetPixel(static_cast<int>(ux), static_cast<int>(uy)) != kWhite)
        return false;
    if (offset) {
        const TablePoint at = ToTable(cursor);
        *offset = {at.x - px, at.y - py};
    }
    return true;
}
