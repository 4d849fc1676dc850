// SPDX-License-Identifier: GPL-3.0-or-later
// The saved game's file "game.pvs", read and written as text.
//
// A text file of keywords and values: the Border option, the picture's name
// (spaces written as "_"), the edge style, the size of the cut, and every
// group's position, members and join candidates. Everything else is rebuilt
// from the picture and the cut when it is loaded. A file that lies about any
// of it is refused whole.
#pragma once

#include <string>
#include <vector>

#include "puzzle/CCutPreview.h"

// What a saved game holds, as read and before it is trusted.
struct SavedGroup {
    int x = 0;
    int y = 0;
    std::vector<int> members;
    std::vector<int> canJoin;
};

struct SavedGame {
    bool border = false;
    // The picture's name with every "_" read as a space; writtenName is the
    // name as the file holds it (spaces as "_"), which the picture is found by.
    std::string imageName;
    std::string writtenName;
    float smoothType = CCutPreview::kSmoothEasy;
    int piecesX = 0;
    int piecesY = 0;
    std::vector<SavedGroup> groups;
    // Seconds of play, on one line after the groups ("Time 219.4"); older
    // files have none, and older readers skip it as words they do not know.
    float playTime = 0;
    // The part of the table shown ("View 3 120.50 80.00": the zoom's step
    // and the table point at the screen's top-left). Written only when it is
    // not the whole table at the start, so the files of a view never moved
    // stay as they were; older readers skip it as words they do not know. A
    // view that is no numbers is left out, the game kept.
    bool hasView = false;
    int viewStep = 0;
    float viewX = 0;
    float viewY = 0;
};

class SavedGameFile {
public:
    static constexpr const char* kName = "game.pvs";
    // The slider offers up to about a thousand pieces (kMostPieces), never
    // fewer than 4 across a side, on pictures at most 32 times as long as
    // wide: a side is cut into at most kLargestCut.
    static constexpr int kMostPieces = 1100;
    static constexpr int kLargestCut = kMostPieces / 4;

    // Damaged: the file could not be read, lies, or does not describe one
    // whole cut (every piece in exactly one group).
    enum class ReadResult { Read, Missing, Damaged };

    // Reads the file in the write folder into `game`; what the file leaves
    // out stays as it was in `game`.
    static ReadResult Read(const char* fileName, SavedGame& game);
    // The reader itself, on text that ends at `end` followed by
    // CParser::kPadding zero bytes: false when the text lies or the game it
    // describes is not consistent.
    static bool Parse(char* text, char* end, SavedGame& game);
    // The file's text, with "\n" line ends.
    static std::string Text(const SavedGame& game);
    // Writes the game whole or not at all; false, with the reason in `why`,
    // when it did not reach the disk (the file is then as it was).
    static bool Write(const char* fileName, const SavedGame& game, std::string* why = nullptr);
    // The longest play time a file may hold, in seconds (the clock's range).
    static constexpr float kLongestPlay = 10000.0f * 60.0f;
    // A whole position for the file; NaN and values beyond any board are held
    // in range, within kFarthest either way (a float holds it exactly). The
    // reader holds a position read in the same range.
    static int Position(float value);
    static constexpr int kFarthest = 1000000000;
};
