// CMenu's third page: the pieces built a few at a time under a progress bar;
// play starts a moment after the bar is full.
#include "screens/CMenu.h"

#include "app/CSystem.h"
#include "app/CTimer.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"

void CMenu::UpdateCalculate()
{
    Surface& back = BackBuffer();
    ImageMgr.Draw(back, background2, 0, 0);
    ImageMgr.Draw(back, calculateImage, 4, 92);
    float progress = CutPreview.GetProgress();
    ImageMgr.DrawStretchedX(back, progressBar, 38, 126, progress / 100);
    CutPreview.Draw();
    SmallFont.Print(125, 129, "%i", static_cast<int>(progress));
    if (!CutPreview.BuildStep()) return;
    holdTime += Timer.GetDelta();
    if (holdTime < kHoldSeconds) return;
    holdTime = 0;
    System.SetState(STATE_GAME);
    Game.StartGame();
    CutPreview.FreePoints();
}
