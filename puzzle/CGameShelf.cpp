// SPDX-License-Identifier: GPL-3.0-or-later
// CGame and the shelf of puzzles in progress: the puzzle in play goes to its
// own file while it is played, so that a crash loses at most the last half
// minute; LOAD GAME resumes the newest puzzle; a solved one leaves the shelf
// and goes into the records.
#include "puzzle/CGame.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/CFile.h"
#include "core/CLog.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/SavedGameFile.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"

namespace fs = std::filesystem;

namespace {

// The line about the solve, under the finished picture, on a dark plate.
constexpr int kFinishTop = 500, kFinishMargin = 8;
constexpr Colour kFinishPlate = MakeColour(34, 30, 28);

// The saved games LOAD GAME tries, newest first: "game.pvs" takes its place
// among the shelf's files by its time; with no such file it is left out.
std::vector<std::string> NewestSavesFirst()
{
    std::error_code error;
    const fs::file_time_type savedAt =
        fs::last_write_time(fs::path(CFile::GetWriteFolder()) / CGame::kSavedGameName, error);
    bool savedGameListed = static_cast<bool>(error);
    std::vector<std::string> order;
    for (const std::string& name : PuzzleShelf::NewestFirst()) {
        std::error_code shelfError;
        const fs::file_time_type at = fs::last_write_time(fs::path(CFile::GetWriteFolder()) / name, shelfError);
        if (!savedGameListed && (shelfError || at <= savedAt)) {
            order.push_back(CGame::kSavedGameName);
            savedGameListed = true;
        }
        order.push_back(name);
    }
    if (!savedGameListed) order.push_back(CGame::kSavedGameName);
    return order;
}

}  // namespace

std::string CGame::FormatDuration(float seconds)
{
    const int whole = seconds > 0 ? static_cast<int>(seconds) : 0;
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%i:%02i:%02i", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%i:%02i", whole / 60, whole % 60);
    return text;
}

std::string CGame::FinishLine() const
{
    std::string line = "SOLVED IN " + FormatDuration(finish.seconds);
    if (finish.newBest) return line + (finish.first ? "  -  YOUR FIRST TIME FOR THIS CUT" : "  -  A NEW BEST TIME!");
    return line + "  -  BEST TIME " + FormatDuration(finish.best);
}

void CGame::DrawFinish() const
{
    const std::string line = FinishLine();
    const int width = SmallFont.TextWidth(line.c_str()), height = SmallFont.LineHeight();
    const int left = (kClientWidth - width) / 2;
    BackBuffer().FillRect(left - kFinishMargin, kFinishTop - kFinishMargin / 2, width + 2 * kFinishMargin,
                          height + kFinishMargin, kFinishPlate);
    SmallFont.Print(left, kFinishTop, "%s", line.c_str());
}

void CGame::ResetShelfState()
{
    shelvedFingerprint.clear();
    shelvedAt = GetPlayTime();
    lastGroupCount = groups.size();
    thumbnailKept = false;
}

void CGame::KeepThumbnail()
{
    if (thumbnailKept || !CMgrImage::IsPlayerPicture(imageName)) return;
    thumbnailKept = true;
    std::error_code error;
    if (fs::exists(fs::path(CFile::GetWriteFolder()) / PuzzleShelf::ThumbnailFor(imageName), error)) return;
    const Surface thumbnail = PuzzleShelf::MakeThumbnail(CutPreview.GetClean().surface);
    if (!thumbnail.IsEmpty()) PuzzleShelf::PutThumbnail(imageName, thumbnail);
}

void CGame::KeepOnShelf()
{
    if (completed || pieces.empty() || groups.size() < 2) return;
    const SavedGame saved = ToSaved();
    std::string why;
    shelvedAt = GetPlayTime();
    if (!PuzzleShelf::Put(saved, &why)) {
        Log.Write("CGame: Couldn't keep the puzzle in %s (%s)\n", PuzzleShelf::FileFor(saved.imageName).c_str(),
                  why.c_str());
        return;
    }
    shelvedFingerprint = Fingerprint(saved);
    KeepThumbnail();
}

void CGame::KeepWhilePlaying()
{
    const bool joined = groups.size() < lastGroupCount;
    lastGroupCount = groups.size();
    // The panel's MENU may have emptied the puzzle earlier in this frame.
    if (completed || pieces.empty() || groups.size() < 2) return;
    const float now = GetPlayTime();
    // The clock wraps after 10,000 minutes: a clock gone back is due too.
    const bool due = now - shelvedAt >= kShelfSeconds || now < shelvedAt;
    if (!joined && !due) return;
    // The text is made only now and then, never in every frame.
    shelvedAt = now;
    const SavedGame saved = ToSaved();
    const std::string fingerprint = Fingerprint(saved);
    if (fingerprint == shelvedFingerprint) return;
    PuzzleShelf::PutInBackground(saved);
    shelvedFingerprint = fingerprint;
    KeepThumbnail();
}

void CGame::TakeSolvedOffShelf()
{
    secondsSinceSolved = 0;
    finish = PuzzleRecords::Add(imageName, piecesX, piecesY, GetPlayTime());
    Log.Write("CGame: Solved %i x %i in %.1f s (best %.1f s, solved %i times)\n", piecesX, piecesY,
              static_cast<double>(finish.seconds), static_cast<double>(finish.best), finish.solved);
    PuzzleShelf::Remove(imageName);
    // The picture page shows a solved picture of the player's with its
    // thumbnail, the most recently solved first.
    KeepThumbnail();
    PuzzleShelf::TouchThumbnail(imageName);
    // "game.pvs" holding this picture's puzzle would bring it back one piece short.
    RemoveSavedGameOf(imageName, "is solved");
}

void CGame::RemoveSavedGameOf(const std::string& picture, const char* why)
{
    SavedGame saved;
    if (SavedGameFile::Read(kSavedGameName, saved) != SavedGameFile::ReadResult::Read) return;
    if (saved.imageName != picture && saved.writtenName != picture) return;
    std::error_code error;
    if (fs::remove(fs::path(CFile::GetWriteFolder()) / kSavedGameName, error))
        Log.Write("CGame: The puzzle in %s %s; the file is removed\n", kSavedGameName, why);
}

void CGame::RemoveKeptPuzzle(const std::string& puzzleFile, const std::string& picture, bool withThumbnail)
{
    Log.Write("CGame: The player takes %s off the list\n", puzzleFile.c_str());
    PuzzleShelf::RemoveFile(puzzleFile, withThumbnail);
    RemoveSavedGameOf(picture, "is taken off the list");
}

void CGame::KeepBeforeLoading(const char* fileName)
{
    if (pieces.empty()) return;
    SavedGame saved;
    if (SavedGameFile::Read(fileName, saved) == SavedGameFile::ReadResult::Read && saved.imageName == imageName)
        return;  // back to this picture's own save: the moves since are given up on purpose
    KeepOnShelf();
}

CGame::LoadResult CGame::LoadNewest()
{
    const std::vector<std::string> order = NewestSavesFirst();
    LoadResult first = LoadResult::Missing;
    for (const std::string& name : order) {
        const LoadResult result = LoadGame(name.c_str());
        if (result == LoadResult::Loaded) return result;
        // What went wrong with the newest is what the player hears of when nothing loads.
        if (first == LoadResult::Missing) first = result;
        if (result != LoadResult::Missing) Log.Write("CGame: %s skipped, trying an older puzzle\n", name.c_str());
    }
    return first;
}

std::string CGame::NewestPlayerPicture() const
{
    // The first save that reads is the one LoadNewest builds first.
    std::string picture;
    for (const std::string& name : NewestSavesFirst()) {
        if (ReadPlayerPicture(name.c_str(), picture)) return picture;
    }
    return {};
}
