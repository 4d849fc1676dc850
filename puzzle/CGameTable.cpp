// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's table: the view of it on screen and the input that moves it (the
// wheel zooms at the cursor, + and - and the keypad's at the middle, Home
// shows the whole table, the arrow keys and a drag with the right or middle
// button pan), and the pieces drawn and hit through the view. Positions of
// groups, joins, ARRANGE and the saved game stay in table units; the panel,
// the clock, the banner and the picture window stay in screen units. While
// the whole table is shown at 1, pieces are drawn and hit exactly as on the
// board without a view.
#include "puzzle/CGame.h"

#include <cmath>

#include "core/CMgrInput.h"
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
    if (wheel != 0) view.ZoomAt({static_cast<float>(cursor.x), static_cast<float>(cursor.y)}, wheel);
    const TablePoint middle{TableView::kScreenWidth / 2, TableView::kScreenHeight / 2};
    const bool in = TakeKey(VK_OEM_PLUS) | TakeKey(VK_ADD);
    const bool out = TakeKey(VK_OEM_MINUS) | TakeKey(VK_SUBTRACT);
    if (in != out) view.ZoomAt(middle, in ? 1 : -1);
    if (TakeKey(VK_HOME)) view.ShowWhole();
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
    // The copies of another zoom go when the whole table is shown again.
    if (view.IsWhole()) zoomed.Clear();
}

const CPiece& CGame::PieceAsDrawn(int index) const
{
    if (view.IsWhole()) return pieces[index];
    return zoomed.At(index, pieces[index], view.Step(), view.Zoom(), BackBuffer().Scale());
}

Point CGame::ScreenCorner(float x, float y) const
{
    const TablePoint at = view.ToScreen({x, y});
    return {static_cast<int>(std::floor(at.x)), static_cast<int>(std::floor(at.y))};
}

void CGame::DrawPieceOnTable(Surface& back, int index, float x, float y, bool selectedLook, float glow)
{
    if (view.IsWhole()) {
        if (selectedLook)
            ImageMgr.DrawPieceSelected(back, pieces[index], x, y, glow);
        else
            ImageMgr.DrawPieceTransparent(back, pieces[index], x, y);
        return;
    }
    // Only what reaches the screen is drawn (and made at the zoom).
    const Point corner = ScreenCorner(x, y);
    const float zoom = view.Zoom();
    const CPiece& piece = pieces[index];
    if (corner.x > kClientWidth || corner.y > kClientHeight || corner.x + (piece.width + 1) * zoom < -1 ||
        corner.y + (piece.height + 1) * zoom < -1)
        return;
    const CPiece& drawn = PieceAsDrawn(index);
    const float left = static_cast<float>(corner.x), top = static_cast<float>(corner.y);
    if (selectedLook)
        ImageMgr.DrawPieceSelected(back, drawn, left, top, glow);
    else
        ImageMgr.DrawPieceTransparent(back, drawn, left, top);
}

void CGame::DrawShadowOnTable(Surface& back, int index, float x, float y)
{
    if (view.IsWhole()) {
        CJoinFlash::DrawShadow(back, pieces[index], x, y);
        return;
    }
    const Point corner = ScreenCorner(x, y);
    CJoinFlash::DrawShadow(back, PieceAsDrawn(index), static_cast<float>(corner.x), static_cast<float>(corner.y));
}

// A press takes the piece whose copy at the zoom is drawn under the centre
// of the cursor's unit, as the drawing shows it.
bool CGame::IsPieceUnderCursorOnTable(const CGroup& group, int index, Point cursor, FloatPoint* offset) const
{
    const CPiece& piece = pieces[index];
    const float px = group.x + piece.x, py = group.y + piece.y;
    const Point corner = ScreenCorner(px, py);
    const int ux = cursor.x - corner.x, uy = cursor.y - corner.y;
    const float zoom = view.Zoom();
    if (ux < 0 || uy < 0 || ux > (piece.width + 1) * zoom + 1 || uy > (piece.height + 1) * zoom + 1) return false;
    if (!PieceAsDrawn(index).mask.CoversUnit(ux, uy)) return false;
    if (offset) {
        const TablePoint at = ToTable(cursor);
        *offset = {at.x - px, at.y - py};
    }
    return true;
}
