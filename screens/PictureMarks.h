// SPDX-License-Identifier: GPL-3.0-or-later
// The small marks on the picture page's thumbnails: how far a puzzle in
// progress has got ("37/49"), or a tick and the best time for a picture that
// has been solved; and the list of the player's own pictures that have a
// puzzle kept or solved, the most recently played first, each with its
// thumbnail file on the shelf and whether its picture file is gone. Read
// from the shelf and the records when the page opens, never in every frame.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/Surface.h"
#include "puzzle/PuzzleRecords.h"

class PictureMarks {
public:
    static constexpr int kCount = 15;
    struct Mark {
        bool inProgress = false;
        bool solved = false;
        bool missing = false;  // a player's picture whose file is gone
        std::string text;      // "37/49", or the best time "4:39"
    };
    // One of the player's pictures on the page.
    struct OwnPicture {
        std::string picture;     // its path
        std::string puzzleFile;  // its puzzle on the shelf; empty when it is solved only
        std::string thumbnail;   // its thumbnail file beside the puzzle
        Mark mark;
    };

    // Reads the marks of the fifteen game pictures and the player's pictures.
    void Read();
    const Mark& Get(int index) const { return marks[index]; }
    const std::vector<OwnPicture>& Own() const { return own; }
    // The mark of picture `index` over the bottom of its thumbnail, whose
    // box on the back buffer is given.
    void Draw(Surface& back, int index, int left, int top, int width, int height) const
    {
        DrawMark(back, marks[index], left, top, width, height);
    }
    static void DrawMark(Surface& back, const Mark& mark, int left, int top, int width, int height);

private:
    void ReadOwn(const std::vector<PuzzleRecords::Record>& records);
    Mark marks[kCount];
    std::vector<OwnPicture> own;
    // The player's puzzle files as last read, by name: one is read again only
    // when it was written since, so that opening the page with a hundred
    // puzzles kept reads just the one played last.
    struct ReadFile {
        std::filesystem::file_time_type written;
        bool readable = false;
        std::string imageName;
        std::string writtenName;
        Mark mark;
    };
    std::map<std::string, ReadFile> readFiles;
};
