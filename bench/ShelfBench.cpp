// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf of puzzles in progress with fifty puzzles kept: reading the
// picture page's marks against its budget of 5 ms, and saving a 13 x 13
// puzzle to its own file against one frame at 60 Hz, during play (handed to
// the writer's thread) and on leaving it (written and synced at once). A
// "ratio" under 1 is within the budget. And the picture page's further pages
// with a hundred puzzles of the player's: their marks and all their kept
// thumbnails read, against a plain copy of a whole frame at a drawing scale
// of 2 measured in the same iterations.
// Last seen: the marks in 1.4 to 1.8 ms; a save during play costs the frame
// about 0.15 ms, while a save on leaving, synced, takes 10 to 14 ms; a hundred
// of the player's thumbnails read in about 10 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "puzzle/CGame.h"
#include "puzzle/PuzzleRecords.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/SavedGameFile.h"
#include "core/CFile.h"
#include "resources/ResourceNames.h"
#include "screens/PictureMarks.h"

namespace {

constexpr double kMarksBudget = 0.005;
constexpr double kFrame = 1.0 / 60.0;
constexpr int kKept = 50;

// A write folder of its own holding fifty 13 x 13 puzzles in progress (the
// fifteen game pictures and 35 of the player's) and a record for each, or
// as many as asked for.
class ShelfFolder {
public:
    explicit ShelfFolder(int kept = kKept)
    {
        char pattern[] = "/tmp/pavendra-shelf-XXXXXX";
        folder = mkdtemp(pattern) ? std::string(pattern) + "/" : std::string();
        CFile::SetWriteFolder(folder.c_str());
        SavedGame game;
        game.piecesX = game.piecesY = 13;
        for (int piece = 0; piece < 169; ++piece) game.groups.push_back(SavedGroup{piece * 3, piece * 2, {piece}, {}});
        for (int i = 0; i < kept; ++i) {
            char name[64];
            if (i < 15)
                std::snprintf(name, sizeof name, res::kPictureFormat, i);
            else
                std::snprintf(name, sizeof name, "/home/player/Pictures/holiday %i.jpg", i);
            game.imageName = name;
            PuzzleShelf::Put(game);
            PuzzleRecords::Add(name, 13, 13, 600.0f + static_cast<float>(i));
        }
    }
    ~ShelfFolder()
    {
        CFile::SetWriteFolder("");
        std::error_code error;
        if (!folder.empty()) std::filesystem::remove_all(folder, error);
    }

private:
    std::string folder;
};

void BM_ReadPictureMarks(benchmark::State& state)
{
    ShelfFolder shelf;
    PictureMarks marks;
    bench::RunAgainst(state, kMarksBudget, [&] {
        marks.Read();
        benchmark::DoNotOptimize(&marks);
    });
}
BENCHMARK(BM_ReadPictureMarks)->Unit(benchmark::kMillisecond);

// In play: the text made and handed to the writer's thread (what the frame pays).
void BM_PutInBackground(benchmark::State& state)
{
    ShelfFolder shelf;
    SavedGame game;
    game.imageName = "/home/player/Pictures/in play.jpg";
    game.piecesX = game.piecesY = 13;
    for (int piece = 0; piece < 169; ++piece) game.groups.push_back(SavedGroup{piece, piece, {piece}, {piece + 1}});
    bench::RunAgainst(state, kFrame, [&] { PuzzleShelf::PutInBackground(game); });
    PuzzleShelf::Flush();
}
BENCHMARK(BM_PutInBackground)->Unit(benchmark::kMillisecond);

// On leaving a puzzle: written and synced before the menu shows.
void BM_KeepPuzzleOnShelf(benchmark::State& state)
{
    ShelfFolder shelf;
    bench::StartCut13x13(7, false);
    bench::RunAgainst(state, kFrame, [] { Game.KeepOnShelf(); });
    Game.ClearGroups();
    Game.FreePieces();
    CutPreview.Release();
}
BENCHMARK(BM_KeepPuzzleOnShelf)->Unit(benchmark::kMillisecond);

// A hundred puzzles of the player's 24-megapixel photos (6000 x 4000), each
// with its thumbnail kept at a drawing scale of 2. The photos themselves are
// never read by the page, only looked for: they stand as empty files.
void BM_ReadHundredOwnThumbnails(benchmark::State& state)
{
    ShelfFolder shelf(0);
    SavedGame game;
    game.piecesX = game.piecesY = 13;
    for (int piece = 0; piece < 169; ++piece) game.groups.push_back(SavedGroup{piece * 3, piece * 2, {piece}, {}});
    Surface photo = Surface::Scaled(192, 128, 2);  // the clean copy of a 3:2 photo, reduced
    photo.Fill(MakeColour(90, 140, 60));
    const Surface thumbnail = PuzzleShelf::MakeThumbnail(photo);
    for (int i = 0; i < 100; ++i) {
        game.imageName = std::string(CFile::GetWriteFolder()) + "photo " + std::to_string(i) + ".jpg";
        if (std::FILE* empty = std::fopen(game.imageName.c_str(), "wb")) std::fclose(empty);
        PuzzleShelf::Put(game);
        PuzzleShelf::PutThumbnail(game.imageName, thumbnail);
    }
    PuzzleShelf::Flush();
    PictureMarks marks;
    bench::RunBesideCopy(state, 1600, 1200, [&] {
        marks.Read();
        for (const PictureMarks::OwnPicture& own : marks.Own()) {
            Surface read;
            PuzzleShelf::ReadThumbnail(own.thumbnail, read);
            benchmark::DoNotOptimize(read.Pixels());
        }
    });
}
BENCHMARK(BM_ReadHundredOwnThumbnails)->Unit(benchmark::kMillisecond);

}  // namespace
