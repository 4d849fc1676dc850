// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu's second page: the cut of the chosen picture, pieces per side on the
// slider and the edge style with the arrows, on a preview; Play and Back.
#include "screens/CMenu.h"

#include <algorithm>

#include "core/CMgrInput.h"
#include "platform/VirtualKeys.h"
#include "puzzle/CCutPreview.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

constexpr float kProgressBarWidth = 196;
constexpr float kProgressBarHeight = 28;

}  // namespace

void CMenu::TakeCutDefaults()
{
    countSlider.SetRange(CutPreview.GetMinPieces(), CutPreview.GetMaxPieces());
    countSlider.SetValue(CutPreview.GetPiecesAlongLongerSide());
}

const char* CMenu::SmoothLabel(float smooth)
{
    if (smooth == CCutPreview::kSmoothNone) return "none";
    if (smooth == CCutPreview::kSmoothEasy) return "easy";
    if (smooth == CCutPreview::kSmoothMedium) return "medium";
    if (smooth == CCutPreview::kSmoothHard) return "hard";
    return nullptr;
}

void CMenu::UpdateCut()
{
    TakeDroppedPicture();
    DrawPageArt(background2, res::kMenuBackground2, 0, 0);
    CutPreview.Draw();
    // The columns and rows under the slider (the progress page has its tip there).
    SmallFont.PrintInRect(TextRect{40, 354, 232, 376}, TEXT_CENTER, "%i × %i", CutPreview.GetColumns(),
                          CutPreview.GetRows());
    (ShowsKeptCut() ? continueButton : playButton).Update();
    backButton.Update();
    arrowLeftButton.Update();
    if (const char* label = SmoothLabel(CutPreview.GetSmoothType()))
        LargeFont.PrintInRect(TextRect{55, 412, 216, 440}, TEXT_CENTER, "%s", label);
    arrowRightButton.Update();
    countSlider.Update();
    // Back may have released the picture in this frame; then there is nothing to cut.
    if (page != MENU_CUT) return;
    StepCountByKeys();
    if (countSlider.GetValue() != CutPreview.GetPiecesAlongLongerSide()) {
        CutPreview.SetPieces(countSlider.GetValue());
        CutPreview.Refresh();
    }
}

// One step of the slider a key press (Left and Right, - and +) or a notch of
// the wheel: the count a player has in mind is picked exactly.
void CMenu::StepCountByKeys()
{
    int steps = InputMgr.TakeWheelSteps();
    for (int key : {VK_RIGHT, VK_OEM_PLUS, VK_ADD})
        if (InputMgr.IsKeyDown(key)) {
            InputMgr.KeyUp(key);
            ++steps;
        }
    for (int key : {VK_LEFT, VK_OEM_MINUS, VK_SUBTRACT})
        if (InputMgr.IsKeyDown(key)) {
            InputMgr.KeyUp(key);
            --steps;
        }
    if (steps != 0 && !countSlider.IsDragging())
        countSlider.SetValue(
            std::clamp(countSlider.GetValue() + steps, CutPreview.GetMinPieces(), CutPreview.GetMaxPieces()));
}

void CMenu::StartNewCut()
{
    showPicture = false;
    borderOnly = false;
    CutPreview.StartBuild();
    buildFrames = 0;
    SetPage(MENU_CALCULATE);
    progressBar.Release();
    ImageMgr.LoadImageScaled(progressBar, res::kProgressBar, kProgressBarWidth, kProgressBarHeight);
}

void CMenu::OnBack()
{
    CutPreview.Release();
    SetPage(MENU_PICTURES);
    InputMgr.Reset();
}

void CMenu::OnSmoothLeft()
{
    float smooth = CutPreview.GetSmoothType();
    if (smooth == CCutPreview::kSmoothNone)
        smooth = CCutPreview::kSmoothHard;
    else if (smooth == CCutPreview::kSmoothEasy)
        smooth = CCutPreview::kSmoothNone;
    else if (smooth == CCutPreview::kSmoothMedium)
        smooth = CCutPreview::kSmoothEasy;
    else if (smooth == CCutPreview::kSmoothHard)
        smooth = CCutPreview::kSmoothMedium;
    CutPreview.SetSmoothType(smooth);
}

void CMenu::OnSmoothRight()
{
    float smooth = CutPreview.GetSmoothType();
    if (smooth == CCutPreview::kSmoothNone)
        smooth = CCutPreview::kSmoothEasy;
    else if (smooth == CCutPreview::kSmoothEasy)
        smooth = CCutPreview::kSmoothMedium;
    else if (smooth == CCutPreview::kSmoothMedium)
        smooth = CCutPreview::kSmoothHard;
    else if (smooth == CCutPreview::kSmoothHard)
        smooth = CCutPreview::kSmoothNone;
    CutPreview.SetSmoothType(smooth);
}
