// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's hand: what the player's mouse does on the board. Picking a group
// up, carrying and dropping it, joining it to the groups it fits, dragging
// the picture window, and selecting groups with a rectangle to move together.
#include "puzzle/CGame.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

#include "core/CMgrInput.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"
#include "resources/ResourceNames.h"
#include "sound/CMgrSound.h"

namespace {

// Along a join a neighbour fits within this share of its offset; across it
// within these many pixels.
constexpr float kAlongTolerance = 0.25f;
constexpr float kAcrossSideways = 15.0f;
constexpr float kAcrossUpDown = 20.0f;

FloatPoint ToFloat(Point p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }

// Strictly between target - tolerance and target + tolerance; a tolerance of
// 0 or less leaves no room at all.
bool StrictlyNear(float value, float target, float tolerance)
{
    return value > target - tolerance && value < target + tolerance;
}

void PlaySound(const char* fileName)
{
    SoundMgr.PlaySample(SoundMgr.LoadSample(fileName));
}

}  // namespace

// Strict on the left and top, inclusive on the right and bottom, and only
// where the mask is exactly white: a click on a transparent corner of the box
// falls through to whatever lies below.
bool CGame::IsPieceUnderCursor(const CGroup& group, int index, Point cursor, FloatPoint* offset) const
{
    if (!IsValidPieceIndex(index)) return false;
    if (!view.IsWhole()) return IsPieceUnderCursorOnTable(group, index, cursor, offset);
    const CPiece& piece = pieces[index];
    const float px = group.x + piece.x, py = group.y + piece.y;
    const FloatPoint c = ToFloat(cursor);
    if (!(px < c.x && c.x <= px + piece.width && py < c.y && c.y <= py + piece.height)) return false;
    // In units at every drawing scale: the unit under the cursor is the piece's or not.
    if (!piece.mask.CoversUnit(static_cast<int>(c.x - px), static_cast<int>(c.y - py))) return false;
    if (offset) *offset = {c.x - px, c.y - py};
    return true;
}

bool CGame::IsInsidePictureWindow(Point cursor) const
{
    const CImage& frame = CutPreview.GetFrame();
    const FloatPoint c = ToFloat(cursor);
    return previewPos.x < c.x && c.x < previewPos.x + frame.width && previewPos.y < c.y &&
           c.y < previewPos.y + frame.height;
}

void CGame::HandleMouse()
{
    if (movingSelection) return;
    const bool down = InputMgr.IsLeftButtonDown();
    if (draggingPreview && !down) {
        Drop();
        return;
    }
    if (holdingGroup) {
        // The panel may have replaced the puzzle under the carried group.
        if (groups.empty() || !IsValidPieceIndex(heldPiece)) {
            holdingGroup = false;
            return;
        }
        const TablePoint cursor = ToTable(CMgrInput::GetCursor());
        CGroup& carried = groups.back();
        carried.x = cursor.x - grabOffset.x - pieces[heldPiece].x;
        carried.y = cursor.y - grabOffset.y - pieces[heldPiece].y;
        if (!down) {
            holdingGroup = false;
            Drop();
        }
    } else if (down && !draggingPreview && !selecting) {
        PickUp();
    }
}

void CGame::PickUp()
{
    const Point cursor = CMgrInput::GetCursor();
    if (Options.showPicture && IsInsidePictureWindow(cursor)) {
        grabOffset = {cursor.x - previewPos.x, cursor.y - previewPos.y};
        draggingPreview = true;
        return;
    }

    int hitGroup = -1;
    for (auto g = drawOrder.rbegin(); g != drawOrder.rend() && hitGroup < 0; ++g) {
        if (!IsValidGroupIndex(*g) || groups[*g].hidden) continue;
        for (int m : groups[*g].members) {
            if (!IsPieceUnderCursor(groups[*g], m, cursor, &grabOffset)) continue;
            hitGroup = *g;
            heldPiece = m;
            break;
        }
    }
    if (hitGroup < 0) {
        selecting = true;
        selectionStart = cursor;
        DeselectAll();
        return;
    }

    selecting = false;
    BeginAction();
    holdingGroup = true;
    // The carried group goes last, so that it is drawn on top.
    CGroup carried = std::move(groups[hitGroup]);
    groups.erase(groups.begin() + hitGroup);
    groups.push_back(std::move(carried));
    SyncInGroup();
}

// Where the neighbour's image lies beside q's in the finished picture: the
// offsets LayOutGroup gives two neighbouring pieces, from their shared corners.
FloatPoint CGame::PlaceBeside(const CPiece& q, int side, const CPiece& neighbour)
{
    Point offset;
    switch (side) {
    case kLeft:
        offset = {q.cornerTL.x - neighbour.cornerTR.x, q.cornerTL.y - neighbour.cornerTR.y};
        break;
    case kRight:
        offset = {q.cornerTR.x - neighbour.cornerTL.x, q.cornerTR.y - neighbour.cornerTL.y};
        break;
    case kUp:
        offset = {q.cornerTL.x - neighbour.cornerBL.x, q.cornerTL.y - neighbour.cornerBL.y};
        break;
    default:
        offset = {q.cornerBL.x - neighbour.cornerTL.x, q.cornerBL.y - neighbour.cornerTL.y};
        break;
    }
    return ToFloat(offset);
}

// The window is centred on the neighbour's place in the picture. Along the
// join it reaches a quarter of the neighbour offset each way, across it 15
// pixels for a left or right neighbour and 20 for an upper or lower one,
// all exclusive.
bool CGame::FitsOnSide(int side, const CPiece& q, const CPiece& neighbour, FloatPoint atQ, FloatPoint atNeighbour)
{
    const FloatPoint place = PlaceBeside(q, side, neighbour);
    const float dx = atNeighbour.x - (atQ.x + place.x);
    const float dy = atNeighbour.y - (atQ.y + place.y);
    const bool sideways = side == kLeft || side == kRight;
    const float along = kAlongTolerance * (sideways ? q.neighbourDX[side] : q.neighbourDY[side]);
    const float across = sideways ? kAcrossSideways : kAcrossUpDown;
    return StrictlyNear(sideways ? dx : dy, 0, along) && std::fabs(sideways ? dy : dx) < across;
}

// Walks the dropped group's candidates: a candidate's group fits when one of
// the candidate's neighbours that belongs to the dropped group lies at its
// place beside it. Membership is read exactly from the pieces' groups, so a
// piece of a third group is never taken for one of the dropped group's.
std::vector<int> CGame::CollectFittingGroups() const
{
    const int h = static_cast<int>(groups.size()) - 1;
    const CGroup& dropped = groups[h];
    std::vector<int> joining;
    for (int q : dropped.canJoin) {
        if (!IsValidPieceIndex(q)) continue;
        const CPiece& candidate = pieces[q];
        const int g = candidate.inGroup;
        // A candidate of the dropped group itself would join the group to itself.
        if (!IsValidGroupIndex(g) || g == h || groups[g].hidden) continue;
        if (std::find(joining.begin(), joining.end(), g) != joining.end()) continue;
        const FloatPoint atQ{groups[g].x + candidate.x, groups[g].y + candidate.y};
        for (int side = kLeft; side <= kDown; ++side) {
            const int nb = candidate.neighbour[side];
            if (!IsValidPieceIndex(nb) || pieces[nb].inGroup != h) continue;
            const FloatPoint atNeighbour{dropped.x + pieces[nb].x, dropped.y + pieces[nb].y};
            if (FitsOnSide(side, candidate, pieces[nb], atQ, atNeighbour)) {
                joining.push_back(g);
                break;
            }
        }
    }
    return joining;
}

void CGame::Drop()
{
    if (draggingPreview) {
        draggingPreview = false;
        ClearPictureWindow();
        return;
    }
    if (groups.empty()) return;
    const std::vector<int> joining = CollectFittingGroups();
    if (!joining.empty()) JoinGroups(joining);
    // Joined where it was let go, and then out from under the picture window.
    PutBesidePictureWindow({static_cast<int>(groups.size()) - 1});
    EndAction();
}

PixelRect CGame::PictureWindowArea() const
{
    const CImage& frame = CutPreview.GetFrame();
    const int left = static_cast<int>(std::floor(previewPos.x)), top = static_cast<int>(std::floor(previewPos.y));
    const int width = static_cast<int>(std::ceil(frame.width)), height = static_cast<int>(std::ceil(frame.height));
    return {left, top, left + width, top + height};
}

// Whether a unit of the group's pieces that shows lies under the window.
bool CGame::ShowsUnderPictureWindow(const CGroup& group, const PixelRect& window) const
{
    for (int m : group.members) {
        if (!IsValidPieceIndex(m)) continue;
        const CPiece& piece = pieces[m];
        const int px = static_cast<int>(group.x + piece.x), py = static_cast<int>(group.y + piece.y);
        const int fromX = std::max(window.left, px), toX = std::min(window.right, px + static_cast<int>(piece.width));
        const int fromY = std::max(window.top, py), toY = std::min(window.bottom, py + static_cast<int>(piece.height));
        for (int y = fromY; y < toY; ++y)
            for (int x = fromX; x < toX; ++x)
                if (piece.mask.CoversUnit(x - px, y - py)) return true;
    }
    return false;
}

// The window put down on groups, or shown over them: each goes beside it.
// Hidden ones too, so that the edge filter never shows a group under it.
void CGame::ClearPictureWindow()
{
    if (!Options.showPicture || CutPreview.GetFrame().surface.IsEmpty()) return;
    const PixelRect window = PictureWindowOnTable();
    for (int g = 0; g < static_cast<int>(groups.size()); ++g)
        if (ShowsUnderPictureWindow(groups[g], window)) PutBesidePictureWindow({g});
}

// Groups let go on the shown picture window would lie hidden under it: they
// go beside it together, to the side that is the shortest move away and
// keeps them on the free board (the shortest of all when none does).
void CGame::PutBesidePictureWindow(const std::vector<int>& which)
{
    if (!Options.showPicture || CutPreview.GetFrame().surface.IsEmpty()) return;
    const PixelRect window = PictureWindowOnTable();
    const LayoutBox table = FreeTable();
    LayoutBox box;
    bool any = false, hidden = false;
    for (int g : which) {
        if (!IsValidGroupIndex(g) || groups[g].members.empty()) continue;
        const LayoutBox b = ImageBox(groups[g]);
        box = any ? LayoutBox{std::min(box.left, b.left), std::min(box.top, b.top), std::max(box.right, b.right),
                              std::max(box.bottom, b.bottom)}
                  : b;
        any = true;
        hidden = hidden || ShowsUnderPictureWindow(groups[g], window);
    }
    if (!any || !hidden) return;
    const float kGap = 2.0f / view.Zoom();
    const FloatPoint moves[4] = {{window.left - kGap - box.right, 0},
                                 {window.right + kGap - box.left, 0},
                                 {0, window.top - kGap - box.bottom},
                                 {0, window.bottom + kGap - box.top}};
    auto fits = [&](FloatPoint m) {
        return box.left + m.x >= table.left && box.right + m.x <= table.right && box.top + m.y >= table.top &&
               box.bottom + m.y <= table.bottom;
    };
    auto length = [](FloatPoint m) { return std::fabs(m.x) + std::fabs(m.y); };
    const FloatPoint* best = nullptr;
    for (const FloatPoint& m : moves)
        if (!best || (fits(m) && !fits(*best)) || (fits(m) == fits(*best) && length(m) < length(*best))) best = &m;
    for (int g : which) {
        if (!IsValidGroupIndex(g)) continue;
        groups[g].x += best->x;
        groups[g].y += best->y;
    }
}

// The dropped group stays where it was dropped, anchored by its first piece;
// the joining groups' pieces jump into their places in the picture beside it.
void CGame::JoinGroups(const std::vector<int>& joining)
{
    const int h = static_cast<int>(groups.size()) - 1;
    CGroup joined = groups[h];
    for (int g : joining) {
        const CGroup& other = groups[g];
        joined.members.insert(joined.members.end(), other.members.begin(), other.members.end());
        joined.canJoin.insert(joined.canJoin.end(), other.canJoin.begin(), other.canJoin.end());
    }
    joined.TidyCanJoin();

    const int anchor = groups[h].members.empty() ? -1 : groups[h].members.front();
    const FloatPoint anchorBefore = IsValidPieceIndex(anchor) ? FloatPoint{pieces[anchor].x, pieces[anchor].y}
                                                              : FloatPoint{};

    groups[h].mergeMark = true;
    for (int g : joining) groups[g].mergeMark = true;
    groups.erase(std::remove_if(groups.begin(), groups.end(), [](const CGroup& group) { return group.mergeMark; }),
                 groups.end());
    groups.push_back(std::move(joined));
    SyncInGroup();

    const int n = static_cast<int>(groups.size()) - 1;
    CGroup& result = groups[n];
    std::sort(result.members.begin(), result.members.end(), std::greater<int>());
    LayOutGroup(n);
    if (IsValidPieceIndex(anchor)) {
        result.x -= pieces[anchor].x - anchorBefore.x;
        result.y -= pieces[anchor].y - anchorBefore.y;
    }

    drawOrder.resize(groups.size());
    std::iota(drawOrder.begin(), drawOrder.end(), 0);
    joinFlash.Start(result.members.front());
    PlaySound(res::kSoundPieceConnection);
}

void CGame::FinishSelection()
{
    movingSelection = false;
    DeselectAll();
    const TablePoint cursor = ToTable(CMgrInput::GetCursor());
    // The frame is drawn on the screen; what it holds lies on the table.
    const TablePoint start = ToTable(selectionStart), end = ToTable(selectionEnd);
    const float left = std::min(start.x, end.x), right = std::max(start.x, end.x);
    const float top = std::min(start.y, end.y), bottom = std::max(start.y, end.y);
    auto inside = [&](float x, float y) { return left <= x && x <= right && top <= y && y <= bottom; };

    std::vector<CGroup> caught;
    for (CGroup& group : groups) {
        // Only what the player sees is taken: carried along unseen, a hidden
        // group could be left off the board, where nothing brings it back.
        if (group.hidden) continue;
        for (int m : group.members) {
            if (!IsValidPieceIndex(m)) continue;
            const CPiece& piece = pieces[m];
            const float px = group.x + piece.x, py = group.y + piece.y;
            if (!inside(px, py) && !inside(px + piece.width, py + piece.height)) continue;
            hasSelection = true;
            group.selected = true;
            group.grabX = cursor.x - group.x;
            group.grabY = cursor.y - group.y;
            caught.push_back(group);
            break;
        }
    }
    if (caught.empty()) return;
    // The selection goes last, in the order caught, so that it is drawn on top.
    groups.erase(std::remove_if(groups.begin(), groups.end(), [](const CGroup& group) { return group.selected; }),
                 groups.end());
    groups.insert(groups.end(), std::make_move_iterator(caught.begin()), std::make_move_iterator(caught.end()));
    SyncInGroup();
}

void CGame::GrabSelection()
{
    const Point cursor = CMgrInput::GetCursor();
    bool hit = false;
    for (const CGroup& group : groups) {
        if (!group.selected || group.hidden) continue;
        for (int m : group.members) {
            if (IsPieceUnderCursor(group, m, cursor, nullptr)) {
                hit = true;
                break;
            }
        }
        if (hit) break;
    }
    hasSelection = false;
    if (!hit) {
        DeselectAll();
        return;
    }
    BeginAction();
    movingSelection = true;
    const TablePoint c = ToTable(cursor);
    for (CGroup& group : groups) {
        if (!group.selected) continue;
        group.grabX = c.x - group.x;
        group.grabY = c.y - group.y;
    }
}
