// SPDX-License-Identifier: GPL-3.0-or-later
// CGame's saved game: the puzzle in play written to "game.pvs" and rebuilt
// from it. The file's text is SavedGameFile's; a file that lies about
// anything is refused whole, and the puzzle in play then stays as it was, as
// when there is no saved game at all.
#include "puzzle/CGame.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/CError.h"
#include "core/CLog.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"
#include "puzzle/SavedGameFile.h"
#include "core/CFile.h"
#include "resources/CMgrImage.h"

namespace {

constexpr const char* kSavedGameFile = SavedGameFile::kName;
static_assert(std::string_view(SavedGameFile::kName) == CGame::kSavedGameName);

// The picture a saved game names. The file holds the name with every space
// written as "_", so the name as written comes first, then the file whose
// name, with its spaces written as "_", is the one in the file (beside the
// current folder, then in the program folder), and last the name with every
// "_" read as a space.
std::vector<std::string> PictureCandidates(const SavedGame& saved)
{
    const std::string& written = saved.writtenName.empty() ? saved.imageName : saved.writtenName;
    std::vector<std::string> names{written};
    std::string found;
    for (const char* base : {"", CFile::GetProgramFolder()}) {
        if (Paths::FindWithSpacesAsUnderscores(base, written, &found)) names.push_back(found);
    }
    names.push_back(saved.imageName);
    std::vector<std::string> unique;
    for (const std::string& name : names) {
        if (!name.empty() && std::find(unique.begin(), unique.end(), name) == unique.end()) unique.push_back(name);
    }
    return unique;
}

// A picture of the player's own (named by its full path) of which no file is
// left under any of the names it may have: moved or deleted.
bool IsPictureGone(const SavedGame& saved)
{
    if (saved.imageName.empty() || saved.imageName.front() != '/') return false;
    for (const std::string& candidate : PictureCandidates(saved)) {
        std::error_code error;
        if (std::filesystem::exists(candidate, error) || error) return false;
    }
    return true;
}

}  // namespace

SavedGame CGame::ToSaved() const
{
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
    saved.playTime = GetPlayTime();
    saved.hasView = !view.IsWhole();
    if (saved.hasView) {
        saved.viewStep = view.Step();
        saved.viewX = view.Origin().x;
        saved.viewY = view.Origin().y;
    }
    return saved;
}

std::string CGame::Fingerprint(const SavedGame& saved)
{
    SavedGame timeless = saved;
    timeless.playTime = 0;
    return SavedGameFile::Text(timeless);
}

CGame::SaveResult CGame::SaveGame()
{
    // With no puzzle in play there is nothing to save, and the saved game on
    // the disk is worth more than an empty one.
    if (pieces.empty() || groups.empty()) {
        Log.Write("CGame: no puzzle in play, %s left as it was\n", kSavedGameFile);
        return SaveResult::NothingToSave;
    }
    const SavedGame saved = ToSaved();
    std::string why;
    if (!SavedGameFile::Write(kSavedGameFile, saved, &why)) {
        Log.Write("CGame: Couldn't save game to %s (%s); the saved game there is as it was\n", kSavedGameFile,
                  why.c_str());
        return SaveResult::Failed;
    }
    savedFingerprint = Fingerprint(saved);
    // The picture's own file on the shelf is never older than "game.pvs".
    KeepOnShelf();
    return SaveResult::Saved;
}

bool CGame::HasUnsavedChanges() const
{
    if (pieces.empty() || groups.empty()) return false;
    return savedFingerprint.empty() || Fingerprint(ToSaved()) != savedFingerprint;
}

CGame::SaveResult CGame::AutoSave()
{
    // A solved puzzle is finished with; the saved game stays for the next.
    if (completed || groups.size() < 2) return SaveResult::NothingToSave;
    if (!HasUnsavedChanges()) {
        KeepOnShelf();  // its clock, and the time it was last played
        return SaveResult::NothingToSave;
    }
    Log.Write("CGame: Saving the puzzle in play on leaving it\n");
    return SaveGame();
}

float CGame::GetPlayTime() const
{
    return static_cast<float>(clockMinutes) * 60.0f + static_cast<float>(clockSeconds) + clockFraction;
}

void CGame::SetPlayTime(float seconds)
{
    if (!(seconds >= 0) || seconds > SavedGameFile::kLongestPlay) seconds = 0;
    const int whole = static_cast<int>(seconds);
    clockMinutes = whole / 60;
    clockSeconds = whole % 60;
    clockFraction = seconds - static_cast<float>(whole);
}

std::string CGame::SavedPlayerPicture(const char* fileName) const
{
    std::string picture;
    ReadPlayerPicture(fileName, picture);
    return picture;
}

bool CGame::ReadPlayerPicture(const char* fileName, std::string& picture) const
{
    picture.clear();
    SavedGame saved;
    saved.imageName = imageName;  // as LoadGame reads it
    if (SavedGameFile::Read(fileName, saved) != SavedGameFile::ReadResult::Read) return false;
    // BuildFromSave tries the names in this order; a name with no file is
    // passed over quickly there, and the game's own pictures are read fast.
    for (const std::string& candidate : PictureCandidates(saved)) {
        if (!CMgrImage::IsPlayerPicture(candidate)) return true;
        std::error_code error;
        if (std::filesystem::exists(candidate, error) ||
            std::filesystem::exists(CMgrImage::InProgramFolder(candidate), error)) {
            picture = candidate;
            return true;
        }
    }
    return true;
}

CGame::LoadResult CGame::LoadGame(const char* fileName)
{
    missingPicture.clear();
    // What the file leaves out stays as it was.
    SavedGame saved;
    saved.border = Options.border;
    saved.imageName = imageName;
    saved.piecesX = piecesX;
    saved.piecesY = piecesY;
    switch (SavedGameFile::Read(fileName, saved)) {
    case SavedGameFile::ReadResult::Missing:
        Log.Write("CGame: No saved game %s to load\n", fileName);
        return LoadResult::Missing;
    case SavedGameFile::ReadResult::Damaged:
        Log.Write("CGame: %s is damaged, not loaded\n", fileName);
        return LoadResult::Damaged;
    case SavedGameFile::ReadResult::Read: break;
    }
    // The puzzle in play is kept aside until the saved one stands.
    CGame before = *this;
    CCutPreview previewBefore = CutPreview;
    const bool borderBefore = Options.border;
    ClearForLoad();
    if (!BuildFromSave(saved, fileName)) {
        std::string missing = missingPicture;
        *this = std::move(before);
        CutPreview = std::move(previewBefore);
        Options.border = borderBefore;
        missingPicture = std::move(missing);
        return missingPicture.empty() ? LoadResult::Damaged : LoadResult::PictureMissing;
    }
    SetPlayTime(saved.playTime);
    savedBanner = false;
    ResetShelfState();
    if (std::string_view(fileName) == kSavedGameFile) {
        savedFingerprint = Fingerprint(ToSaved());
    } else {
        // Resumed from the shelf: "game.pvs" gets it when it is left, and
        // its file counts as played now.
        savedFingerprint.clear();
        shelvedFingerprint = Fingerprint(ToSaved());
        std::error_code error;
        std::filesystem::last_write_time(std::filesystem::path(CFile::GetWriteFolder()) / fileName,
                                         std::filesystem::file_time_type::clock::now(), error);
    }
    return LoadResult::Loaded;
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

bool CGame::BuildFromSave(const SavedGame& saved, const char* fileName)
{
    // A picture that can't be used is reported here (read and decoded once),
    // not as the end of the game.
    std::string name;
    std::string problem;
    for (const std::string& candidate : PictureCandidates(saved)) {
        if (CutPreview.ChoosePictureFile(candidate.c_str(), &problem)) {
            name = candidate;
            break;
        }
    }
    if (name.empty()) {
        Log.Write("CGame: picture %s of %s can't be loaded, game not loaded\n", saved.imageName.c_str(), fileName);
        if (IsPictureGone(saved)) missingPicture = saved.imageName;
        return false;
    }
    CutPreview.SetCutLimits();  // the picture's largest cut, and the pen of the cut lines
    if (saved.piecesX > CutPreview.GetMaxColumns() || saved.piecesY > CutPreview.GetMaxRows()) {
        Log.Write("CGame: %s holds a cut of %i x %i, more than its picture takes, not loaded\n", fileName,
                  saved.piecesX, saved.piecesY);
        return false;
    }

    Options.border = saved.border;  // before the lattice: it keeps the ring's lines straight
    CutPreview.Restore(saved.smoothType, saved.piecesX, saved.piecesY);
    SetSize(saved.piecesX, saved.piecesY);
    // The copy for the cut page's lines is not shown in play: let go before
    // the pieces are cut (7 MB at a drawing scale of 3), not after.
    CutPreview.ReleaseWork();
    AllocatePieces();
    CutPreview.PrepareCutPicture();
    std::vector<Point> cells;
    for (int column = 0; column < piecesX; ++column) {
        for (int row = 0; row < piecesY; ++row) cells.push_back({column, row});
    }
    BuildPieces(cells);
    CutPreview.ReleaseCutPicture();
    PrepareTheTable();
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
    const CImage& clean = CutPreview.GetClean();
    sampleTarget = {410.0f - clean.width / 2.0f, 250.0f - clean.height / 2.0f};
    FitViewToPuzzle();
    if (saved.hasView) view.Set(saved.viewStep, {saved.viewX, saved.viewY});
    return true;
}
