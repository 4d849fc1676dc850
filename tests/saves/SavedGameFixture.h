// SPDX-License-Identifier: GPL-3.0-or-later
// Shared set-up of the saved-game tests: program and write folders of the
// test's own, a generated picture saved as a BMP file the loaders find by
// name, and helpers that build a puzzle and write saved games by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/CApp.h"
#include "core/CLog.h"
#include "platform/BmpWriter.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/ResourceNames.h"
#include "screens/CMenu.h"
#include "support/TempFolder.h"

namespace saves_test {

// The picture's name has a space, so the file holds it with "_".
inline const std::string kPicture = "pics/my picture.bmp";
inline const std::string kPictureInFile = "pics/my_picture.bmp";

inline Colour PictureColour(int x, int y) { return MakeColour(1 + x % 250, 1 + y % 250, 1 + (x * 7 + y * 13) % 250); }

inline std::string PictureFile(int width, int height)
{
    Surface picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) picture.SetPixel(x, y, PictureColour(x, y));
    }
    std::vector<unsigned char> bytes = BmpWriter::Encode(picture);
    return std::string(bytes.begin(), bytes.end());
}

// A group as the file states it.
struct GroupText {
    int x = 0;
    int y = 0;
    std::vector<int> members;
    std::vector<int> canJoin;
};

// Appended piece by piece: `" " + std::to_string(...)` trips a false overlap
// warning of GCC's at -O3.
inline std::string List(int g, const char* keyword, const std::vector<int>& entries)
{
    std::string line = keyword;
    for (long number : {static_cast<long>(g), static_cast<long>(entries.size())}) {
        line += ' ';
        line += std::to_string(number);
    }
    for (int entry : entries) {
        line += ' ';
        line += std::to_string(entry);
    }
    return line;
}

// A saved game as the game writes it: CR LF line ends, one space between words.
inline std::string SavedFile(int border, const std::string& name, const std::string& smooth, int columns, int rows,
                             const std::vector<GroupText>& groups)
{
    std::string text = "Border " + std::to_string(border) + "\n\nImageName " + name + "\n\nSmoothType " + smooth +
                       "\nNumberOfPiecesX " + std::to_string(columns) + "\nNumberOfPiecesY " + std::to_string(rows) +
                       "\n\nNumberOfGroups " + std::to_string(groups.size()) + "\n\n";
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        const GroupText& group = groups[g];
        text += "Group " + std::to_string(g) + " " + std::to_string(group.x) + " " + std::to_string(group.y) + "\n";
        text += List(g, "InGroup", group.members) + "\n" + List(g, "CanJoin", group.canJoin) + "\n\n";
    }
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

// A 4 x 4 cut in which pieces 0, 1, 4 and 5 are joined as group 0 at
// (120, 85) with the candidates 2, 6, 8 and 9; every other piece is alone.
inline std::vector<GroupText> JoinedSquareGroups()
{
    std::vector<GroupText> groups{{120, 85, {0, 1, 4, 5}, {2, 6, 8, 9}}};
    for (int piece = 0; piece < 16; ++piece) {
        if (piece == 0 || piece == 1 || piece == 4 || piece == 5) continue;
        const int column = piece % 4, row = piece / 4;
        GroupText single{10 * piece, 20 + piece, {piece}, {}};
        if (column > 0) single.canJoin.push_back(piece - 1);
        if (column < 3) single.canJoin.push_back(piece + 1);
        if (row > 0) single.canJoin.push_back(piece - 4);
        if (row < 3) single.canJoin.push_back(piece + 4);
        groups.push_back(single);
    }
    return groups;
}

inline std::string JoinedSquareFile()
{
    return SavedFile(0, kPictureInFile, "0.00", 4, 4, JoinedSquareGroups());
}

class SavedGameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::srand(4321);
        program.Write(res::kPreviewFrame, PictureFile(120, 100));
        program.Write(kPicture, PictureFile(448, 448));
        App.SetProgramFolder(program.Path().c_str());
        App.SetWriteFolder(write.Path().c_str());
        Log.Restart();
        CMenu::SetBorder(false);
    }
    void TearDown() override
    {
        Game.ClearGroups();
        Game.FreePieces();
        CutPreview.Release();
        CMenu::SetBorder(false);
        App.SetProgramFolder(nullptr);
        App.SetWriteFolder(nullptr);
    }

    // A new puzzle as the menu makes one: picture, cut, every piece built, play started.
    static void StartPuzzle(const std::string& picture, int pieces, float smooth, bool border)
    {
        CMenu::SetBorder(border);
        CutPreview.ChoosePictureFile(picture.c_str());
        CutPreview.SetDefaults();
        CutPreview.SetPieces(pieces);
        CutPreview.SetSmoothType(smooth);
        CutPreview.StartBuild();
        while (!CutPreview.BuildStep()) {
        }
        Game.StartGame();
    }

    void LoadFile(const std::string& text)
    {
        write.Write("game.pvs", text);
        Game.LoadGame();
    }

    std::string LogText() const { return write.Read("debug.log"); }
    std::string SavedText() const { return write.Read("game.pvs"); }

    TempFolder program;
    TempFolder write;
};

}  // namespace saves_test
