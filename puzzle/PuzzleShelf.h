// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf of puzzles in progress: one saved puzzle per picture, in the
// folder "puzzles" beside "game.pvs", each in the saved game's own text and
// written whole or not at all.
//
// A game picture's puzzle is named after the picture ("image3.pvs"); one of
// the player's own pictures by a digest of its path ("own-<16 hex digits>.pvs"),
// the path itself being the file's ImageName. The file's time says when the
// puzzle was last played; LOAD GAME resumes the newest of them and
// "game.pvs". Nothing leaves the shelf unless it is solved or the player
// takes it off: the files are a few kilobytes each.
//
// A player's picture also has its thumbnail here, "own-<digits>.bmp" beside
// its puzzle: made once from the picture in play when its puzzle is first
// kept (a BMP of the game's own writer, both sides a whole number of units at
// the drawing scale of that moment, the longer one kThumbnailBox units), so
// that the picture page never decodes a player's photo. It stays while the
// picture is solved, so that the page still shows it with its best time; its
// time says when the picture was last played or solved.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Surface.h"

struct SavedGame;

class PuzzleShelf {
public:
    static constexpr const char* kFolder = "puzzles";
    // The longer side of a thumbnail, in units (the picture page's box).
    static constexpr int kThumbnailBox = 128;
    // A thumbnail file is refused beyond the largest drawing scale's box.
    static constexpr int kLargestThumbnailScale = 3;

    // The puzzle file of a picture, relative to the write folder.
    static std::string FileFor(const std::string& imageName);
    // A player's picture's thumbnail file, relative to the write folder.
    static std::string ThumbnailFor(const std::string& imageName);
    // The thumbnail beside a puzzle file ("puzzles/own-1.pvs" -> "puzzles/own-1.bmp").
    static std::string ThumbnailBeside(const std::string& puzzleFile);
    // Whether a puzzle file is one of a player's picture ("puzzles/own-...").
    static bool IsOwnFile(const std::string& puzzleFile);
    // Puts the picture's puzzle on the shelf in place of the one it had.
    // False, with the system's reason in `why`, when it did not reach the disk.
    static bool Put(const SavedGame& game, std::string* why = nullptr);
    // The same during play: the file is written on the writer's thread
    // (ShelfWriter), so that the disk's sync never holds a frame back. A
    // failure is logged at the next call.
    static void PutInBackground(const SavedGame& game);
    // Returns once every puzzle handed to the writer is on the disk.
    static void Flush();
    // Takes the picture's puzzle off the shelf (solved, or started afresh);
    // its thumbnail stays.
    static void Remove(const std::string& imageName);
    // Takes a puzzle file off the shelf, and its thumbnail with it when
    // `withThumbnail` (the player took the picture off the list).
    static void RemoveFile(const std::string& puzzleFile, bool withThumbnail);
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
    // When a file relative to the write folder was last written; false when
    // there is no such file.
    static bool WrittenAt(const std::string& file, std::filesystem::file_time_type& when);

    // The thumbnail of a picture in play made from its picture, at the
    // picture's drawing scale.
    static Surface MakeThumbnail(const Surface& picture);
    // Writes it on the writer's thread (a failure is logged later, as for puzzles).
    static void PutThumbnail(const std::string& imageName, const Surface& thumbnail);
    // The thumbnail's time set to now: the picture was played or solved.
    static void TouchThumbnail(const std::string& imageName);
    // Reads a thumbnail file (relative to the write folder) into a surface of
    // its drawing scale; false (logged) when there is none or it is damaged.
    static bool ReadThumbnail(const std::string& file, Surface& thumbnail);
    // A thumbnail file's bytes into a surface: a BMP whose longer side is
    // kThumbnailBox units at a scale of 1 to kLargestThumbnailScale and whose
    // shorter side is a whole number of units. Anything else is refused with
    // `reason`.
    static bool DecodeThumbnail(const void* data, std::size_t size, Surface& thumbnail, std::string* reason);
};
