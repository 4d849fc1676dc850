// CGame's saved game: the puzzle in play written to "game.pvs" and rebuilt
// from it. The file's text is SavedGameFile's; a file that lies about
// anything is refused whole, and the puzzle is then left empty, as when there
// is no saved game at all.
#include "puzzle/CGame.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/CError.h"
#include "app/CLog.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"
#include "puzzle/SavedGameFile.h"
#include "resources/CMgrImage.h"

namespace {

constexpr const char* kSavedGameFile = SavedGameFile::kName;

void ReportDamaged() { Log.Write("CGame: %s is damaged, not loaded\n", kSavedGameFile); }

}  // namespace

bool CGame::SaveGame()
{
    // With no puzzle in play there is nothing to save, and the saved game on
    // the disk is worth more than an empty one.
    if (pieces.empty() || groups.empty()) {
        Log.Write("CGame: no puzzle in play, %s left as it was\n", kSavedGameFile);
        return false;
    }
    SavedGame saved;
    saved.border = Options.border;
    saved.imageName = imageName;
    saved.smoothType = CutPreview.GetSmoothType();
    saved.piecesX = piecesX;
    saved.piecesY = piecesY;
    for (const CGroup& group : groups) {
        saved.groups.push_back(SavedGroup{SavedGameFile::Position(group.x), SavedGameFile::Position(group.y),
                                          group.members, group.canJoin});
    }
    if (!SavedGameFile::Write(kSavedGameFile, saved)) Error.CriticalError("CGame: Couldn't save game!\n");
    return true;
}

void CGame::LoadGame()
{
    // What the file leaves out stays as it was.
    SavedGame saved;
    saved.border = Options.border;
    saved.imageName = imageName;
    saved.piecesX = piecesX;
    saved.piecesY = piecesY;

    ClearForLoad();
    switch (SavedGameFile::Read(kSavedGameFile, saved)) {
    case SavedGameFile::ReadResult::Missing: return;  // no saved game: an empty board
    case SavedGameFile::ReadResult::Damaged: return ReportDamaged();
    case SavedGameFile::ReadResult::Read: break;
    }
    if (!BuildFromSave(saved)) CutPreview.Release();
}

// The puzzle released and empty; the play clock, the board colour and the
// picture window's place stay as they were.
void CGame::ClearForLoad()
{
    ClearGroups();
    FreePieces();
    CutPreview.Release();
    SetSize(0, 0);
    completed = false;
    // The groups the mouse held or had selected are gone.
    holdingGroup = false;
    draggingPreview = false;
    selecting = false;
    movingSelection = false;
    hasSelection = false;
}

bool CGame::BuildFromSave(const SavedGame& saved)
{
    // A name that holds "_" itself was read back with spaces there; the name
    // as written is the next best guess. A picture found nowhere is reported
    // here rather than by the loader, which would end the game.
    std::string name = saved.imageName;
    if (!ImageMgr.CanLoadImage(name.c_str())) {
        std::string written = name;
        std::replace(written.begin(), written.end(), ' ', '_');
        if (written == name || !ImageMgr.CanLoadImage(written.c_str())) {
            Log.Write("CGame: picture %s of %s can't be loaded, game not loaded\n", name.c_str(), kSavedGameFile);
            return false;
        }
        name = written;
    }
    CutPreview.ChoosePictureFile(name.c_str());
    CutPreview.SetDefaults();  // the picture's largest cut, and the pen of the cut lines
    if (saved.piecesX > CutPreview.GetMaxPieces() || saved.piecesY > CutPreview.GetMaxPieces()) {
        Log.Write("CGame: %s holds a cut of %i x %i, more than its picture takes, not loaded\n", kSavedGameFile,
                  saved.piecesX, saved.piecesY);
        return false;
    }

    Options.border = saved.border;  // before the lattice: it keeps the ring's lines straight
    CutPreview.Restore(saved.smoothType, saved.piecesX, saved.piecesY);
    // Pieces are cut from the unmarked picture, not the copy with the cut lines.
    const CImage& clean = CutPreview.GetClean();
    CutPreview.GetWorkSurface().Blit(0, 0, clean.surface.Width(), clean.surface.Height(), clean.surface, 0, 0);
    SetSize(saved.piecesX, saved.piecesY);
    AllocatePieces();
    for (int column = 0; column < piecesX; ++column) {
        for (int row = 0; row < piecesY; ++row) BuildPiece(column, row);
    }
    LinkNeighbours();

    for (const SavedGroup& from : saved.groups) {
        CGroup group;
        group.members = from.members;
        group.canJoin = from.canJoin;
        group.TidyCanJoin();
        group.x = static_cast<float>(from.x);
        group.y = static_cast<float>(from.y);
        groups.push_back(std::move(group));
    }
    SyncInGroup();
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        LayOutGroup(g);
        drawOrder.push_back(g);
    }
    // A solved picture glides to the middle, as in a game started from the menu.
    sampleTarget = {410.0f - clean.width / 2.0f, 250.0f - clean.height / 2.0f};
    return true;
}
