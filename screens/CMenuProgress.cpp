// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu's third page: the pieces built as many at a time as a frame's budget
// allows under a progress bar; play starts a moment after the bar is full.
#include "screens/CMenu.h"

#include "core/CLog.h"
#include "core/CSystem.h"
#include "core/CTimer.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

void CMenu::UpdateCalculate()
{
    Surface& back = BackBuffer();
    DrawPageArt(background2, res::kMenuBackground2, 0, 0);
    DrawPageArt(calculateImage, res::kCalculate, 4, 92);
    float progress = CutPreview.GetProgress();
    ImageMgr.DrawStretchedX(back, progressBar, 38, 126, progress / 100);
    CutPreview.Draw();
    SmallFont.Print(125, 129, "%i", static_cast<int>(progress));
    // As many pieces as fit in the frame's budget: the wait is what the
    // cutting costs, and the bar still moves on a slow machine.
    const double start = Timer.ReadNow();
    if (buildFrames >= 0) {
        if (buildFrames == 0) buildStart = start;
        ++buildFrames;
    }
    const double budget = CutPreview.IsLargeCut() ? kLargeBuildBudgetSeconds : kBuildBudgetSeconds;
    bool done = false;
    do {
        done = CutPreview.BuildStep();
    } while (!done && Timer.ReadNow() - start < budget);
    if (!done) return;
    if (buildFrames > 0) {
        Log.Write("--- Cut %i pieces in %.3f s over %i frames\n", CutPreview.GetPieceCount(),
                  Timer.ReadNow() - buildStart, buildFrames);
        buildFrames = -1;  // logged once; the hold follows
    }
    holdTime += Timer.GetDelta();
    if (holdTime < kHoldSeconds) return;
    holdTime = 0;
    buildFrames = 0;
    ReleaseMenuPictures();
    System.SetState(STATE_GAME);
    Game.StartGame();
    CutPreview.FreePoints();
    CutPreview.ReleaseWork();
    CutPreview.ReleaseCutPicture();
    Game.PrepareTheTable();
}
