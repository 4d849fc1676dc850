// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/PictureMarks.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "puzzle/CGame.h"
#include "puzzle/PuzzleRecords.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/SavedGameFile.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

constexpr Colour kPlate = MakeColour(22, 30, 52);
constexpr Colour kEdge = MakeColour(214, 178, 92);
constexpr Colour kTick = MakeColour(120, 220, 120);
constexpr Colour kMissingEdge = MakeColour(214, 92, 80);
constexpr int kPadding = 4;
constexpr int kTickWidth = 12;

std::string PictureName(int index)
{
    char name[64];
    std::snprintf(name, sizeof name, res::kPictureFormat, index);
    return name;
}

// Two strokes, two pixels thick, in a box of kTickWidth.
void DrawTick(Surface& back, int left, int top, int size)
{
    const int middle = left + size / 3, bottom = top + size - 2;
    for (int i = 0; i <= size / 3; ++i) back.FillRect(middle - i, bottom - i, 2, 2, kTick);
    for (int i = 0; i <= size - size / 3 - 1; ++i) back.FillRect(middle + i, bottom - i, 2, 2, kTick);
}

// The best time of the largest cut solved; nullptr when never solved.
const PuzzleRecords::Record* BestShown(const std::vector<PuzzleRecords::Record>& records, const std::string& name)
{
    const PuzzleRecords::Record* shown = nullptr;
    for (const PuzzleRecords::Record& record : records) {
        if (record.picture != name) continue;
        const int pieces = record.piecesX * record.piecesY;
        if (!shown || pieces > shown->piecesX * shown->piecesY ||
            (pieces == shown->piecesX * shown->piecesY && record.best < shown->best))
            shown = &record;
    }
    return shown;
}

PictureMarks::Mark InProgress(const SavedGame& saved)
{
    const PuzzleShelf::Progress progress = PuzzleShelf::ProgressOf(saved);
    PictureMarks::Mark mark;
    mark.inProgress = true;
    mark.text = std::to_string(progress.joined) + "/" + std::to_string(progress.pieces);
    return mark;
}

bool Exists(const std::string& path)
{
    std::error_code error;
    // A file that cannot be looked at (a folder not mounted, no permission) is not called gone.
    return !path.empty() && (std::filesystem::exists(path, error) || error);
}

}  // namespace

void PictureMarks::Read()
{
    const std::vector<PuzzleRecords::Record> records = PuzzleRecords::Read();
    ReadOwn(records);
    for (int i = 0; i < kCount; ++i) {
        Mark& mark = marks[i];
        mark = Mark{};
        const std::string name = PictureName(i);
        SavedGame saved;
        if (PuzzleShelf::Peek(name, saved)) {
            mark = InProgress(saved);
            continue;
        }
        const PuzzleRecords::Record* shown = BestShown(records, name);
        if (!shown) continue;
        mark.solved = true;
        mark.text = CGame::FormatDuration(shown->best);
    }
}

void PictureMarks::ReadOwn(const std::vector<PuzzleRecords::Record>& records)
{
    own.clear();
    struct Dated {
        std::filesystem::file_time_type played;
        OwnPicture picture;
    };
    std::vector<Dated> found;
    std::map<std::string, ReadFile> seen;
    for (const std::string& file : PuzzleShelf::NewestFirst()) {
        if (!PuzzleShelf::IsOwnFile(file)) continue;
        Dated entry;
        if (!PuzzleShelf::WrittenAt(file, entry.played)) continue;
        auto known = readFiles.find(file);
        ReadFile read;
        if (known != readFiles.end() && known->second.written == entry.played) {
            read = known->second;
        } else {
            SavedGame saved;
            read.written = entry.played;
            read.readable = SavedGameFile::Read(file.c_str(), saved) == SavedGameFile::ReadResult::Read;
            read.imageName = saved.imageName;
            read.writtenName = saved.writtenName;
            if (read.readable) read.mark = InProgress(saved);
        }
        seen[file] = read;
        if (!read.readable) continue;  // LOAD GAME tells of it
        // The name as written when that is the file (a path holding "_").
        const bool asWritten = !read.writtenName.empty() && !Exists(read.imageName) && Exists(read.writtenName);
        entry.picture.picture = asWritten ? read.writtenName : read.imageName;
        entry.picture.puzzleFile = file;
        entry.picture.thumbnail = PuzzleShelf::ThumbnailBeside(file);
        entry.picture.mark = read.mark;
        found.push_back(std::move(entry));
    }
    readFiles = std::move(seen);
    // Solved pictures of the player's with no puzzle in progress, by the time they were last solved.
    for (const PuzzleRecords::Record& record : records) {
        if (!CMgrImage::IsPlayerPicture(record.picture) || record.picture.empty()) continue;
        const bool listed = std::any_of(found.begin(), found.end(),
                                        [&](const Dated& entry) { return entry.picture.picture == record.picture; });
        if (listed) continue;
        Dated entry;
        entry.picture.picture = record.picture;
        entry.picture.thumbnail = PuzzleShelf::ThumbnailFor(record.picture);
        if (!PuzzleShelf::WrittenAt(entry.picture.thumbnail, entry.played))
            entry.played = std::filesystem::file_time_type::min();
        entry.picture.mark.solved = true;
        entry.picture.mark.text = CGame::FormatDuration(BestShown(records, record.picture)->best);
        found.push_back(std::move(entry));
    }
    // Newest first; equal times by name, so that the order is the same every run.
    std::stable_sort(found.begin(), found.end(), [](const Dated& a, const Dated& b) {
        return a.played != b.played ? a.played > b.played : a.picture.picture < b.picture.picture;
    });
    for (Dated& entry : found) {
        entry.picture.mark.missing = !Exists(entry.picture.picture);
        own.push_back(std::move(entry.picture));
    }
}

void PictureMarks::DrawMark(Surface& back, const Mark& mark, int left, int top, int width, int height)
{
    if (mark.missing) {
        // Over the top of the thumbnail, so that the progress still shows below.
        const char* text = "MISSING";
        const int plateWidth = SmallFont.TextWidth(text) + 2 * kPadding;
        const int plateHeight = SmallFont.LineHeight() + kPadding;
        const int plateLeft = left + 4, plateTop = top + 4;  // clear of the × at the right
        back.FillRect(plateLeft - 1, plateTop - 1, plateWidth + 2, plateHeight + 2, kMissingEdge);
        back.FillRect(plateLeft, plateTop, plateWidth, plateHeight, kPlate);
        SmallFont.Print(plateLeft + kPadding, plateTop + kPadding / 2, "%s", text);
    }
    if (!mark.inProgress && !mark.solved) return;
    const int textWidth = SmallFont.TextWidth(mark.text.c_str());
    const int lineHeight = SmallFont.LineHeight();
    const int plateWidth = textWidth + 2 * kPadding + (mark.solved ? kTickWidth + kPadding : 0);
    const int plateHeight = lineHeight + kPadding;
    const int plateLeft = left + width - plateWidth - 2;
    const int plateTop = top + height - plateHeight - 2;
    back.FillRect(plateLeft - 1, plateTop - 1, plateWidth + 2, plateHeight + 2, kEdge);
    back.FillRect(plateLeft, plateTop, plateWidth, plateHeight, kPlate);
    int textLeft = plateLeft + kPadding;
    if (mark.solved) {
        DrawTick(back, textLeft, plateTop + (plateHeight - kTickWidth) / 2, kTickWidth);
        textLeft += kTickWidth + kPadding;
    }
    SmallFont.Print(textLeft, plateTop + kPadding / 2, "%s", mark.text.c_str());
}
