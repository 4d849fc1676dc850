// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu and the puzzles kept for each picture: the cut page of a picture with
// a puzzle in progress shows that puzzle's cut with CONTINUE in PLAY's place;
// a new cut of such a picture is asked about first.
#include <string>

#include "core/CLog.h"
#include "core/CSystem.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/SavedGameFile.h"
#include "screens/CMenu.h"
#include "screens/CMessage.h"

CMenu::KeptCut CMenu::kept;

void CMenu::OfferKeptPuzzle()
{
    kept = KeptCut{};
    SavedGame saved;
    if (!PuzzleShelf::Peek(Game.GetImageName(), saved)) return;
    // A cut the slider cannot show (a file from elsewhere) is no offer.
    const int low = CutPreview.GetMinPieces(), high = CutPreview.GetMaxPieces();
    if (saved.piecesX < low || saved.piecesX > high || saved.piecesY < low || saved.piecesY > high) return;
    const PuzzleShelf::Progress progress = PuzzleShelf::ProgressOf(saved);
    kept = KeptCut{true,           PuzzleShelf::FileFor(Game.GetImageName()), saved.smoothType, saved.piecesX,
                   saved.piecesY, progress.joined,                            progress.pieces,  saved.playTime};
    CutPreview.Restore(saved.smoothType, saved.piecesX, saved.piecesY);
    CutPreview.Refresh();
    countSlider.SetValue(saved.piecesX);
}

bool CMenu::ShowsKeptCut()
{
    return kept.valid && CutPreview.GetColumns() == kept.columns && CutPreview.GetRows() == kept.rows &&
           CutPreview.GetSmoothType() == kept.smooth;
}

void CMenu::OnContinue()
{
    Menu.ReleaseMenuPictures();
    LoadAfterOpening(Game.SavedPlayerPicture(kept.file.c_str()), AfterOpening::Continue);
}

void CMenu::ContinueNow()
{
    const std::string file = kept.file;
    switch (Game.LoadGame(file.c_str())) {
    case CGame::LoadResult::Loaded:
        ResetToggles();
        kept = KeptCut{};
        SetPage(MENU_PICTURES);  // where the panel's MENU comes back to
        System.SetState(STATE_GAME);
        return;
    case CGame::LoadResult::PictureMissing: System.ShowMessage(MissingPictureMessage(Game.GetMissingPicture())); break;
    case CGame::LoadResult::Missing:
    case CGame::LoadResult::Damaged:
        System.ShowMessage("The puzzle in progress for this picture could not be read. PLAY starts a new one.");
        break;
    }
    kept = KeptCut{};
}

std::string CMenu::NewCutQuestion(int joined, int pieces, float playTime)
{
    return "This picture has a puzzle in progress: " + std::to_string(joined) + " of " + std::to_string(pieces) +
           " pieces joined after " + CGame::FormatDuration(playTime) +
           " of play. A new puzzle takes its place, and that one is lost.";
}

void CMenu::OnPlay()
{
    if (!kept.valid) {
        StartNewCut();
        return;
    }
    Message.Ask(NewCutQuestion(kept.joined, kept.pieces, kept.playTime), "NEW PUZZLE", "CANCEL", [] {
        Log.Write("CMenu: A new cut replaces the puzzle in progress of %s\n", Game.GetImageName());
        PuzzleShelf::Remove(Game.GetImageName());
        kept = KeptCut{};
        StartNewCut();
    });
}
