// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf of puzzles in progress: one saved puzzle per picture, in the
// folder "puzzles" beside "game.pvs", each in the saved game's own text and
// written whole or not at all.
//
// A game picture's puzzle is named after the picture ("image3.pvs"); one of
// the player's own pictures by a digest of its path ("own-<16 hex digits>.pvs"),
// the path itself being the file's ImageName. The file's time says when the
// puzzle was last played: the shelf keeps the kMostKept newest, and LOAD GAME
// resumes the newest of them and "game.pvs".
#pragma once

#include <string>
#include <vector>

struct SavedGame;

class PuzzleShelf {
public:
    static constexpr const char* kFolder = "puzzles";
    static constexpr int kMostKept = 50;

    // The puzzle file of a picture, relative to the write folder.
    static std::string FileFor(const std::string& imageName);
    // Puts the picture's puzzle on the shelf in place of the one it had, then
    // drops the least recently played beyond kMostKept (never this one).
    // False, with the system's reason in `why`, when it did not reach the disk.
    static bool Put(const SavedGame& game, std::string* why = nullptr);
    // The same during play: the file is written on the writer's thread
    // (ShelfWriter), so that the disk's sync never holds a frame back. A
    // failure is logged at the next call.
    static void PutInBackground(const SavedGame& game);
    // Returns once every puzzle handed to the writer is on the disk.
    static void Flush();
    // Takes the picture's puzzle off the shelf (solved, or started afresh).
    static void Remove(const std::string& imageName);
    // Every puzzle file on the shelf, relative to the write folder, the most
    // recently played first.
    static std::vector<std::string> NewestFirst();
    // How far a puzzle has got: the pieces joined to another, of all.
    struct Progress {
        int joined = 0;
        int pieces = 0;
    };
    static Progress ProgressOf(const SavedGame& game);
    // The picture's puzzle as the shelf holds it; false when it has none
    // (or a damaged one, which is logged).
    static bool Peek(const std::string& imageName, SavedGame& game);
    // Drops the least recently played puzzles beyond `most`, never `keep`.
    static void Trim(int most, const std::string& keep);
};
