// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's board: one frame of play. The clock, the groups drawn and kept on
// the board, the panel, the saved banner, the picture window, the selection
// rectangle, and the finished picture gliding to the middle.
#include "puzzle/CGame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/CMgrInput.h"
#include "core/CTimer.h"
#include "platform/Signature.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"
#include "puzzle/PictureFrame.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "sound/CMgrSound.h"

namespace {

// The finished picture glides to its resting place at this speed per axis.
constexpr float kSampleSpeed = 150.0f;
constexpr float kSecondsPerClockStep = 1.0f;
// Longer than anything waits at a time.
constexpr double kForever = 1e9;
constexpr int kClockMinutesWrap = 10000;
// The saved banner: its text's place, and the plate behind it.
constexpr int kBannerX = 350, kBannerY = 10, kBannerMargin = 8;
constexpr Colour kBannerPlate = MakeColour(34, 30, 28);
// The place of the count of joined pieces in the bottom bar. Its colour is
// read from the bar just left of it.
constexpr int kJoinedLeft = 372, kJoinedRight = 536, kJoinedTop = 563;
// The selection rectangle's green pulses at this many degrees per second.
constexpr float kPulseSpeed = 250.0f;
FloatPoint ToFloat(Point p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }

void PlaySound(const char* fileName)
{
    SoundMgr.PlaySample(SoundMgr.LoadSample(fileName));
}

// One axis of the finished picture's glide: toward the target, never past it.
float StepToward(float value, float target, float step)
{
    if (value > target) return std::max(target, value - step);
    if (value < target) return std::min(target, value + step);
    return value;
}

}  // namespace

void CGame::Update()
{
    const float dt = Timer.GetDelta();
    const bool carrying = holdingGroup;
    carryDrawn.valid = false;
    if (completed) {
        ShowFinishedPicture(dt);
        return;
    }
    AdvanceClock(dt);
    if (groups.size() == 1) {
        CompletePuzzle();
        return;
    }
    HandleUndoKeys();
    UpdateView(dt);
    if (hasSelection || movingSelection) AdvancePulse(dt);
    joinFlash.Advance(dt);
    // Whatever the player lifts lies above the picture window: the window is
    // drawn between the groups at rest and the lifted ones. Nothing lifted,
    // it is drawn after the hand, which may start dragging it or the panel
    // may show it in this frame.
    const bool lifted = holdingGroup || movingSelection;
    DrawGroups(false);
    if (lifted) {
        UpdatePictureWindow();
        DrawGroups(true);
    }
    DrawPanel();
    DrawJoinedCount();
    DrawSavedBanner(dt);
    // A press on the picture window is the window's, whatever lies under it.
    const bool onPictureWindow = Options.showPicture && IsInsidePictureWindow(CMgrInput::GetCursor());
    if (hasSelection && InputMgr.IsLeftButtonDown() && !onPictureWindow) GrabSelection();
    HandleMouse();
    if (!lifted) UpdatePictureWindow();
    UpdateSelectionRectangle(dt);
    MoveSelection();
    KeepWhilePlaying();
    RememberCarry(carrying);
}

// A frame that drew the carried group, and still carries it: the next frame
// may redraw only where the group moves.
void CGame::RememberCarry(bool drewCarried)
{
    if (!drewCarried || !holdingGroup || groups.empty() || !IsValidPieceIndex(heldPiece)) return;
    carryDrawn.valid = true;
    carryDrawn.piece = heldPiece;
    carryDrawn.still = StillSignature();
    carryDrawn.cursor = CMgrInput::GetCursor();
}

PixelRect CGame::CarriedArea() const
{
    PixelRect area{0, 0, 0, 0};
    if (groups.empty()) return area;
    const CGroup& carried = groups.back();
    bool any = false;
    for (int m : carried.members) {
        if (!IsValidPieceIndex(m)) continue;
        const CPiece& p = pieces[m];
        // On the screen: a copy at another zoom is a unit or two larger.
        const TablePoint at = view.ToScreen({carried.x + p.x, carried.y + p.y});
        const float x = at.x, y = at.y, spare = view.IsWhole() ? 0.0f : 2.0f;
        // Drawn from the truncated place, the size truncated: a unit to spare each way.
        const int left = static_cast<int>(std::floor(x)) - 1, top = static_cast<int>(std::floor(y)) - 1;
        const int right = static_cast<int>(std::ceil(x + p.width * view.Zoom() + spare)) + 1 + CJoinFlash::kShadowReach;
        const int bottom =
            static_cast<int>(std::ceil(y + p.height * view.Zoom() + spare)) + 1 + CJoinFlash::kShadowReach;
        area = any ? PixelRect{std::min(area.left, left), std::min(area.top, top), std::max(area.right, right),
                               std::max(area.bottom, bottom)}
                   : PixelRect{left, top, right, bottom};
        any = true;
    }
    return area;
}

bool CGame::ChangedArea(float dt, PixelRect& area) const
{
    if (!carryDrawn.valid || !holdingGroup || completed || groups.size() < 2 || heldPiece != carryDrawn.piece)
        return false;
    // What changes by itself from frame to frame.
    if (savedBanner || joinFlash.IsOn() || selecting || movingSelection || hasSelection || draggingPreview ||
        (!clockStopped && clockFraction + dt >= kSecondsPerClockStep) || ViewInputPending())
        return false;
    // The panel's buttons light up under the cursor: the cursor stays on the
    // free board, then and now.
    const Point cursor = CMgrInput::GetCursor();
    for (Point p : {cursor, carryDrawn.cursor})
        if (p.y < kTopBarsBottom || p.y >= kBoardBottom || p.x < 0 || p.x >= kClientWidth) return false;
    if (StillSignature() != carryDrawn.still) return false;
    const PixelRect now = CarriedArea();
    const PixelRect& then = carryDrawn.area;
    area = {std::min(now.left, then.left), std::min(now.top, then.top), std::max(now.right, then.right),
            std::max(now.bottom, then.bottom)};
    // The count of joined pieces takes its colour from what lies just left
    // of it, where the group may show: it is drawn again whole.
    if (area.bottom > kJoinedTop && area.right > kJoinedLeft - 4)
        area = {std::min(area.left, kJoinedLeft - 4), area.top, std::max(area.right, kJoinedRight), kClientHeight};
    area = {std::max(0, area.left), std::max(0, area.top), std::min(kClientWidth, area.right),
            std::min(kClientHeight, area.bottom)};
    return area.left < area.right && area.top < area.bottom;
}

std::uint64_t CGame::FrameSignature() const { return Digest(true); }

std::uint64_t CGame::Digest(bool carriedPosition) const
{
    Signature s;
    for (bool flag : {completed, holdingGroup, draggingPreview, selecting, movingSelection, hasSelection, savedBanner,
                      Options.border, Options.borderOnly, Options.showPicture})
        s.Add(flag);
    s.Add(savedBannerTime);
    s.Add(joinFlash.TimeLeft());
    s.Add(joinFlash.Anchor());
    s.Add(static_cast<const void*>(bannerText));
    s.Add(heldPiece);
    for (float v : {grabOffset.x, grabOffset.y, previewPos.x, previewPos.y, samplePos.x, samplePos.y, sampleTarget.x,
                    sampleTarget.y, selectionPulse})
        s.Add(v);
    for (int v : {selectionStart.x, selectionStart.y, selectionEnd.x, selectionEnd.y, clockMinutes, clockSeconds,
                  backgroundColor[0], backgroundColor[1], backgroundColor[2], piecesX, piecesY})
        s.Add(v);
    s.Add(view.Step());
    for (float v : {view.Zoom(), view.Origin().x, view.Origin().y}) s.Add(v);
    s.Add(static_cast<std::uint64_t>(drawOrder.size()));
    for (int g : drawOrder) s.Add(g);
    s.Add(static_cast<std::uint64_t>(groups.size()));
    for (const CGroup& group : groups) {
        if (carriedPosition || !holdingGroup || &group != &groups.back()) {
            s.Add(group.x);
            s.Add(group.y);
        }
        for (float v : {group.grabX, group.grabY}) s.Add(v);
        s.Add(group.hidden);
        s.Add(group.selected);
        s.Add(static_cast<std::uint64_t>(group.members.size()));
        for (int m : group.members) s.Add(m);
    }
    s.Add(static_cast<std::uint64_t>(pieces.size()));
    for (const CPiece& piece : pieces) {
        for (float v : {piece.x, piece.y, piece.width, piece.height}) s.Add(v);
        s.Add(piece.image.Version());
    }
    for (const CImage* image : {&CutPreview.GetFrame(), &CutPreview.GetSmall(), &CutPreview.GetClean()})
        s.Add(image->surface.Version());
    return s.Digest();
}

bool CGame::Rest(float dt)
{
    if (completed) {  // the clock stands still on the finished picture
        secondsSinceSolved += dt;
        return true;
    }
    if (clockStopped) return true;
    if (clockFraction + dt >= kSecondsPerClockStep) return false;
    clockFraction += dt;
    return true;
}

double CGame::SecondsOfRest() const
{
    if (completed || clockStopped) return kForever;
    return std::max(0.0, static_cast<double>(kSecondsPerClockStep - clockFraction));
}

// Whole seconds only: what is left over a second is dropped, so a long frame
// moves the clock by one second.
void CGame::AdvanceClock(float dt)
{
    if (clockStopped) return;
    clockFraction += dt;
    if (clockFraction < kSecondsPerClockStep) return;
    clockFraction = 0;
    if (++clockSeconds < 60) return;
    clockSeconds = 0;
    if (++clockMinutes > kClockMinutesWrap) clockMinutes = 0;
}

void CGame::CompletePuzzle()
{
    // The finished picture is shown on the whole table, where it lies.
    view.ShowWhole();
    zoomed.Clear();
    const TablePoint onScreen = view.ToScreen({groups.front().x, groups.front().y});
    samplePos = {onScreen.x, onScreen.y};
    completed = true;
    TakeSolvedOffShelf();
    PlaySound(res::kSoundLevelDone);
    // The press that made the last join does nothing more.
    InputMgr.Reset();
}

void CGame::ShowFinishedPicture(float dt)
{
    secondsSinceSolved += dt;
    DrawPanel();
    ImageMgr.Draw(BackBuffer(), CutPreview.GetClean(), samplePos.x, samplePos.y);
    DrawFinish();
    const float step = dt * kSampleSpeed;
    samplePos.x = StepToward(samplePos.x, sampleTarget.x, step);
    samplePos.y = StepToward(samplePos.y, sampleTarget.y, step);
}

// By where the group's images reach, tabs and all, so that no part of a
// resting group lies off the board, under the top bars and the clock, or
// under the bottom panel: every piece stays in sight and in reach. The right
// and bottom edges first: a group larger than the free board ends up with
// its top-left part out of sight.
void CGame::KeepOnBoard(CGroup& group)
{
    bool any = false;
    float left = 0, top = 0, right = 0, bottom = 0;
    for (int m : group.members) {
        if (!IsValidPieceIndex(m)) continue;
        const CPiece& p = pieces[m];
        left = any ? std::min(left, p.x) : p.x;
        top = any ? std::min(top, p.y) : p.y;
        right = any ? std::max(right, p.x + p.width) : p.x + p.width;
        bottom = any ? std::max(bottom, p.y + p.height) : p.y + p.height;
        any = true;
    }
    if (!any) return;
    const LayoutBox table = FreeTable();
    if (group.x + right > table.right)
        group.x = table.right - right;
    else if (group.x + left < table.left)
        group.x = table.left - left;
    if (group.y + bottom > table.bottom)
        group.y = table.bottom - bottom;
    else if (group.y + top < table.top)
        group.y = table.top - top;
}

void CGame::DrawGroups(bool liftedOnes)
{
    // While something is carried nothing else moves under the player's hand.
    const bool keepOnBoard = !holdingGroup && !movingSelection;
    Surface& back = BackBuffer();
    // Selected pieces glow with the selection rectangle's pulse.
    const float glow = 0.5f + 0.5f * std::sin(selectionPulse * 3.14f / 180.0f);
    if (!liftedOnes) MakeCopiesInSight();
    for (int g : drawOrder) {
        if (!IsValidGroupIndex(g)) continue;
        CGroup& group = groups[g];
        // Hidden groups too: one a saved game placed off the board is where
        // the player can reach it when the filter shows it again.
        if (keepOnBoard) KeepOnBoard(group);
        if (group.hidden) continue;
        // A lifted group casts a soft shadow on what lies under it.
        const bool carried = holdingGroup && g == static_cast<int>(groups.size()) - 1;
        const bool lifted = carried || (movingSelection && group.selected);
        if (lifted != liftedOnes) continue;
        if (carried) carryDrawn.area = CarriedArea();
        if (lifted) {
            for (int m : group.members)
                if (IsValidPieceIndex(m)) DrawShadowOnTable(back, m, group.x + pieces[m].x, group.y + pieces[m].y);
        }
        // A group that has just joined lights up for a moment.
        const bool flashing = joinFlash.IsOn() && IsValidPieceIndex(joinFlash.Anchor()) &&
                              pieces[joinFlash.Anchor()].inGroup == g;
        for (auto m = group.members.rbegin(); m != group.members.rend(); ++m) {
            if (!IsValidPieceIndex(*m)) continue;
            const CPiece& piece = pieces[*m];
            DrawPieceOnTable(back, *m, group.x + piece.x, group.y + piece.y, group.selected || flashing,
                             flashing ? joinFlash.Glow() : glow);
        }
    }
}

// Shown in every frame of its time, the one in which the time runs out too.
void CGame::DrawSavedBanner(float dt)
{
    if (!savedBanner) return;
    savedBannerTime -= dt;
    if (savedBannerTime <= 0) savedBanner = false;
    // White on a dark plate reads on every board colour.
    const int width = SmallFont.TextWidth(bannerText), height = SmallFont.LineHeight();
    Surface& back = BackBuffer();
    back.FillRect(kBannerX - kBannerMargin, kBannerY - kBannerMargin / 2, width + 2 * kBannerMargin,
                  height + kBannerMargin, kBannerPlate);
    SmallFont.Print(kBannerX, kBannerY, "%s", bannerText);
}

int CGame::JoinedPieces() const
{
    int joined = 0;
    for (const CGroup& group : groups)
        if (group.members.size() > 1) joined += static_cast<int>(group.members.size());
    return joined;
}

// In the bottom bar between the buttons and the board colours, over the
// bar's own plain colour (each of its rows is one colour, as just left of
// the place), so the bar's lettering there does not show through.
void CGame::DrawJoinedCount() const
{
    constexpr int kLeft = kJoinedLeft, kRight = kJoinedRight, kBarTop = kJoinedTop, kBarHeight = 37, kRim = 3;
    Surface& back = BackBuffer();
    for (int y = kBarTop + kRim; y < kBarTop + kBarHeight - kRim; ++y)
        back.FillRect(kLeft, y, kRight - kLeft, 1, back.GetPixel((kLeft - 4) * back.Scale(), y * back.Scale()));
    char text[64];
    std::snprintf(text, sizeof text, "JOINED %i / %i", JoinedPieces(), GetPieceCount());
    if (SmallFont.TextWidth(text) > kRight - kLeft)
        std::snprintf(text, sizeof text, "%i / %i", JoinedPieces(), GetPieceCount());
    const int width = SmallFont.TextWidth(text);
    SmallFont.Print(kLeft + (kRight - kLeft - width) / 2, kBarTop + (kBarHeight - SmallFont.LineHeight()) / 2, "%s",
                    text);
}

void CGame::UpdatePictureWindow()
{
    if (!Options.showPicture) {
        pictureWindowShown = false;
        return;
    }
    if (draggingPreview) {
        const FloatPoint cursor = ToFloat(CMgrInput::GetCursor());
        previewPos = {cursor.x - grabOffset.x, cursor.y - grabOffset.y};
    }
    // The window stays wholly on the free board, wherever the cursor goes or
    // the panel puts it: clear of the top bars, the clock and the bottom
    // panel, so that a press on it is the window's and no button's.
    const CImage& frame = CutPreview.GetFrame();
    const float right = std::max(0.0f, static_cast<float>(kClientWidth) - frame.width);
    const float bottom = std::max(kTopBarsBottom, kBoardBottom - frame.height);
    previewPos = {std::clamp(previewPos.x, 0.0f, right), std::clamp(previewPos.y, kTopBarsBottom, bottom)};
    // Shown over groups, the window puts them beside it; they are drawn there
    // from the next frame on.
    if (!pictureWindowShown && !holdingGroup && !movingSelection) ClearPictureWindow();
    pictureWindowShown = true;
    ImageMgr.DrawTransparent(BackBuffer(), CutPreview.GetFrame(), previewPos.x, previewPos.y);
    ImageMgr.Draw(BackBuffer(), CutPreview.GetSmall(), previewPos.x + PictureFrame::kSide,
                  previewPos.y + PictureFrame::kTop);
}

void CGame::UpdateSelectionRectangle(float dt)
{
    if (!selecting) return;
    if (!InputMgr.IsLeftButtonDown()) {
        selecting = false;
        FinishSelection();
        return;
    }
    selectionEnd = CMgrInput::GetCursor();
    const int green = static_cast<int>(std::sin(selectionPulse * 3.14f / 180.0f) * 25.0f + 230.0f);
    ImageMgr.DrawFrame(BackBuffer(), selectionStart.x, selectionStart.y, selectionEnd.x, selectionEnd.y,
                       MakeColour(0, green, 0), 1);
    AdvancePulse(dt);
}

void CGame::AdvancePulse(float dt)
{
    // A whole turn changes nothing; wrapping keeps the angle precise in long games.
    selectionPulse = std::fmod(selectionPulse + dt * kPulseSpeed, 360.0f);
}

// A moved selection never snaps or joins; it is kept on the board from the
// next frame on.
void CGame::MoveSelection()
{
    if (!movingSelection) return;
    const TablePoint cursor = ToTable(CMgrInput::GetCursor());
    if (!InputMgr.IsLeftButtonDown()) {
        movingSelection = false;
        std::vector<int> moved;
        for (int g = 0; g < static_cast<int>(groups.size()); ++g)
            if (groups[g].selected) moved.push_back(g);
        PutBesidePictureWindow(moved);
        DeselectAll();
        EndAction();
        return;
    }
    for (CGroup& group : groups) {
        if (!group.selected || group.hidden) continue;
        group.x = cursor.x - group.grabX;
        group.y = cursor.y - group.grabY;
    }
}
