// SPDX-License-Identifier: GPL-3.0-or-later
// The player's records: for every picture and cut that has been solved, the
// best time and how often it was solved, in the text file "records.pvd"
// beside "conf.pvd". One record a line:
//
//   Solved 4 4 279.4 2 data/images/image3.bmp
//
// pieces across and down, the best time in seconds, the times solved, then
// the picture's name to the end of the line. A line that cannot be read is
// skipped with a log line; the others stand.
#pragma once

#include <string>
#include <vector>

class PuzzleRecords {
public:
    static constexpr const char* kName = "records.pvd";

    struct Record {
        std::string picture;
        int piecesX = 0;
        int piecesY = 0;
        float best = 0;
        int solved = 0;
        bool operator==(const Record&) const = default;
    };
    // What a solve did to the records.
    struct Finish {
        float seconds = 0;
        float best = 0;        // the best time now, this one included
        bool newBest = false;  // better than every earlier solve, or the first
        bool first = false;    // the first solve of this picture and cut
        int solved = 0;
    };

    // Adds a solve of the picture in a cut of piecesX x piecesY that took
    // `seconds`, and writes the file (a write that fails is logged; the
    // answer stands).
    static Finish Add(const std::string& picture, int piecesX, int piecesY, float seconds);
    // The records in the file; none when there is no file.
    static std::vector<Record> Read();
    // The records of a text; `skipped` counts the lines that could not be read.
    static std::vector<Record> Parse(const std::string& text, int* skipped = nullptr);
    static std::string Text(const std::vector<Record>& records);
    // Every record of the picture taken out (the player took a picture that
    // is gone off the list).
    static void Forget(const std::string& picture);

private:
    static void Write(const std::vector<Record>& records);
};
