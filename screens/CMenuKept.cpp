// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu and the puzzles kept for each picture: the cut page of a picture with
// a puzzle in progress shows that puzzle's cut with CONTINUE in PLAY's place;
// a new cut of such a picture is asked about first, and so is taking a
// puzzle off the picture page's list.
#include <cstdio>
#include <string>

#include "core/CLog.h"
#include "core/CMgrInput.h"
#include "core/CSystem.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/PuzzleRecords.h"
#include "puzzle/SavedGameFile.h"
#include "resources/BackBuffer.h"
#include "resources/ResourceNames.h"
#include "screens/CMenu.h"
#include "screens/CMessage.h"

CMenu::KeptCut CMenu::kept;

namespace {

constexpr int kRemoveBoxSize = 16;
constexpr Colour kRemovePlate = MakeColour(22, 30, 52);
constexpr Colour kRemoveEdge = MakeColour(214, 178, 92);
constexpr Colour kRemoveInk = MakeColour(255, 243, 217);

}  // namespace

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
    countSlider.SetValue(CutPreview.GetPiecesAlongLongerSide());
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

// Taking a puzzle off the list: the × on a thumbnail with a puzzle in
// progress (or a picture of the player's that is gone), or the right button
// on it, asks first.
PixelRect CMenu::RemoveBox(const CButton& thumbnail)
{
    const int right = static_cast<int>(thumbnail.GetX() + thumbnail.GetWidth()) - 2;
    const int top = static_cast<int>(thumbnail.GetY()) + 2;
    return {right - kRemoveBoxSize, top, right, top + kRemoveBoxSize};
}

std::string CMenu::RemoveQuestion(const PictureMarks::Mark& mark, const std::string& picture)
{
    if (mark.missing)
        return "The picture file \"" + picture + "\" could not be found. Take it and its puzzle off the list?";
    const std::string::size_type slash = mark.text.find('/');
    const std::string joined = mark.text.substr(0, slash);
    const std::string pieces = slash == std::string::npos ? std::string("?") : mark.text.substr(slash + 1);
    return "Take this picture's puzzle in progress off the list? Its " + joined + " of " + pieces +
           " pieces joined are lost, and the picture starts afresh.";
}

CMenu::Removal CMenu::RemovalFor(int slot) const
{
    Removal removal;
    if (picturePage == 0) {
        if (!marks.Get(slot).inProgress) return removal;
        char name[kMaxPath];
        std::snprintf(name, sizeof name, res::kPictureFormat, slot);
        removal.picture = name;
        removal.puzzleFile = PuzzleShelf::FileFor(name);
        removal.mark = marks.Get(slot);
        removal.valid = true;
        return removal;
    }
    const PictureMarks::OwnPicture* own = OwnPictureIn(slot);
    if (!own || (!own->mark.inProgress && !own->mark.missing)) return removal;
    removal.picture = own->picture;
    removal.puzzleFile = own->puzzleFile.empty() ? PuzzleShelf::FileFor(own->picture) : own->puzzleFile;
    removal.mark = own->mark;
    removal.own = true;
    removal.valid = true;
    return removal;
}

void CMenu::AskRemoval(const Removal& removal)
{
    Message.Ask(RemoveQuestion(removal.mark, removal.picture), "REMOVE", "CANCEL", [removal] {
        // A picture of the player's keeps its thumbnail while its solves stand;
        // one that is gone leaves the list whole, solves and all.
        bool solved = false;
        for (const PuzzleRecords::Record& record : PuzzleRecords::Read()) solved |= record.picture == removal.picture;
        const bool wholly = removal.own && (removal.mark.missing || !solved);
        CGame::RemoveKeptPuzzle(removal.puzzleFile, removal.picture, wholly);
        if (removal.own && removal.mark.missing) PuzzleRecords::Forget(removal.picture);
        SetPage(MENU_PICTURES);
    });
}

bool CMenu::HandleRemoval(const CButton& thumbnail, int slot, bool clicked)
{
    const Removal removal = RemovalFor(slot);
    if (!removal.valid) return false;
    Surface& back = BackBuffer();
    const PixelRect box = RemoveBox(thumbnail);
    back.FillRect(box.left - 1, box.top - 1, kRemoveBoxSize + 2, kRemoveBoxSize + 2, kRemoveEdge);
    back.FillRect(box.left, box.top, kRemoveBoxSize, kRemoveBoxSize, kRemovePlate);
    for (int i = 0; i <= kRemoveBoxSize - 8; ++i) {
        back.FillRect(box.left + 3 + i, box.top + 3 + i, 2, 2, kRemoveInk);
        back.FillRect(box.right - 5 - i, box.top + 3 + i, 2, 2, kRemoveInk);
    }
    const auto inBox = [&box](Point p) { return p.x >= box.left && p.x < box.right && p.y >= box.top && p.y < box.bottom; };
    const bool onBox = clicked && inBox(InputMgr.LeftPressPoint()) && inBox(CMgrInput::GetCursor());
    const bool rightClick = InputMgr.IsRightButtonDown();
    if (rightClick) InputMgr.SetRightButton(false);  // one question a press
    if (!onBox && !rightClick) return false;
    AskRemoval(removal);
    return true;
}
