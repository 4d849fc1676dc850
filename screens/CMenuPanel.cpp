// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu's in-game panel, drawn over the board in every frame of play: the
// play clock, Menu, Save and Load, the edge-pieces filter, the picture window,
// Arrange and the four board colours.
#include "screens/CMenu.h"

#include <cstdio>
#include <string>

#include "core/CMgrInput.h"
#include "core/CSystem.h"
#include "platform/Signature.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"

namespace {

// Escape quits the game on every screen, so the line says so.
constexpr const char* kExitLine = "CLICK OR PRESS A KEY FOR THE MENU, ESCAPE TO QUIT";
constexpr int kExitLineY = 540;
// The press that made the last join, and the ones just after it, are no
// answer to the finish: they are let go for this long.
constexpr float kFinishDeafSeconds = 1.0f;
constexpr int kBottomBarY = 563;
// The right part of the bottom bar holds the board colours and their label;
// a solved puzzle shows it plain, painted from the bar's last column.
constexpr int kColoursPartLeft = 540;

std::string ClockPart(int value)
{
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "0%i" : "%i", value);
    return text;
}

bool AnyPress()
{
    return InputMgr.AnyKeyDown() || InputMgr.IsLeftButtonDown() || InputMgr.IsRightButtonDown();
}

}  // namespace

std::string CMenu::FormatClock(int minutes, int seconds)
{
    return ClockPart(minutes) + " : " + ClockPart(seconds);
}

void CMenu::UpdateGamePanel()
{
    Surface& back = BackBuffer();
    ImageMgr.DrawTransparent(back, panelTop, 0, 0);
    ImageMgr.Draw(back, panelBottom, 0, kBottomBarY);
    if (Game.IsCompleted()) {
        const int plain = panelBottom.surface.UnitWidth() - 1;  // in units, at any scale
        for (int x = kColoursPartLeft; plain > kColoursPartLeft && x < kClientWidth; ++x)
            back.Blit(x, kBottomBarY, 1, panelBottom.surface.UnitHeight(), panelBottom.surface, plain, 0);
        // Centred under the finish line's plate, which is centred on the board.
        SmallFont.Print((kClientWidth - SmallFont.TextWidth(kExitLine)) / 2, kExitLineY, "%s", kExitLine);
        if (Game.GetSecondsSinceSolved() < kFinishDeafSeconds) {
            if (AnyPress()) InputMgr.Reset();
        } else if (AnyPress()) {
            OnMenu();
            InputMgr.Reset();
        }
    } else {
        borderButton.Update();
        pictureButton.Update();
        arrangeButton.Update();
        for (CButton& colour : colourButtons) colour.Update();
        saveButton.Update();
        loadButton.Update();
    }
    menuButton.Update();
    std::string clock = FormatClock(Game.GetClockMinutes(), Game.GetClockSeconds());
    ImageMgr.DrawTransparent(back, timerImage, 672, 0);
    SmallFont.Print(712, 5, "%s", clock.c_str());
}

std::uint64_t CMenu::GamePanelSignature() const
{
    Signature s;
    const CButton* buttons[] = {&borderButton, &pictureButton, &arrangeButton, &saveButton, &loadButton, &menuButton};
    for (const CButton* button : buttons)
        s.Add(button->IsToggled());
    for (const CButton& colour : colourButtons) s.Add(colour.IsToggled());
    return s.Digest();
}

void CMenu::ResetToggles()
{
    borderButton.ResetToggle();
    pictureButton.ResetToggle();
    borderOnly = false;
    showPicture = false;
}

// Leaving the puzzle saves it first when it changed: LOAD GAME resumes it.
void CMenu::OnMenu()
{
    if (Game.AutoSave() == CGame::SaveResult::Failed) ShowMessage("SAVE FAILED!", kMessageSeconds);
    Game.ClearGroups();
    Game.FreePieces();
    CutPreview.Release();
    System.SetState(STATE_MENU);
    SetPage(MENU_PICTURES);
    borderButton.ResetToggle();
    pictureButton.ResetToggle();
}

void CMenu::OnSave()
{
    // The banner tells the player the game is safe: only when it was written.
    switch (Game.SaveGame()) {
    case CGame::SaveResult::Saved: Game.ShowSavedBanner(2.0f); break;
    case CGame::SaveResult::Failed: Game.ShowBanner("SAVE FAILED!", 2.0f); break;
    case CGame::SaveResult::NothingToSave: break;
    }
}

// Back to the last save; a missing or damaged one leaves the board as it is
// and says so where "GAME SAVED!" shows.
void CMenu::OnLoad() { LoadAfterOpening(Game.SavedPlayerPicture(), AfterOpening::LoadInPlay); }

void CMenu::LoadInPlayNow()
{
    switch (Game.LoadGameInPlay()) {
    case CGame::LoadResult::Loaded: ResetToggles(); break;
    case CGame::LoadResult::Missing: Game.ShowBanner("NO SAVED GAME", 2.0f); break;
    case CGame::LoadResult::Damaged: Game.ShowBanner("SAVED GAME IS DAMAGED", 2.0f); break;
    case CGame::LoadResult::PictureMissing: System.ShowMessage(MissingPictureMessage(Game.GetMissingPicture())); break;
    }
}

void CMenu::OnArrange() { Game.ArrangePieces(); }

void CMenu::OnBack1() { Game.SetBackgroundColor(127, 154, 168); }
void CMenu::OnBack2() { Game.SetBackgroundColor(0, 122, 183); }
void CMenu::OnBack3() { Game.SetBackgroundColor(242, 205, 186); }
void CMenu::OnBack4() { Game.SetBackgroundColor(170, 103, 103); }

void CMenu::OnBorder()
{
    borderOnly = !borderOnly;
    Game.FilterEdgePieces(borderOnly);
}

void CMenu::OnPicture()
{
    showPicture = !showPicture;
    Game.SetPreviewPos(560, 20);
}
