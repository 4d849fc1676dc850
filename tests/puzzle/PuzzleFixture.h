// SPDX-License-Identifier: GPL-3.0-or-later
// Shared set-up of the puzzle tests: a generated picture installed in the cut
// preview, a cut of a chosen size and edge style, and a clean slate afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Surface.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/CImage.h"
#include "screens/CMenu.h"

namespace puzzle_test {

// The grey of the piece outlines never occurs in it, and neither do black and white.
inline Colour PictureColour(int x, int y)
{
    return MakeColour(1 + x % 250, 1 + y % 250, 1 + (x * 7 + y * 13) % 250);
}

inline CImage MakePicture(int width, int height)
{
    CImage picture;
    picture.width = static_cast<float>(width);
    picture.height = static_cast<float>(height);
    picture.surface = Surface(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) picture.surface.SetPixel(x, y, PictureColour(x, y));
    }
    return picture;
}

// Chooses a generated picture and sets up an n x n cut as the menu would.
inline void ChooseCut(int width, int height, int pieces, float smooth, bool border)
{
    CMenu::SetBorder(border);
    CutPreview.TestHookSetPicture(MakePicture(width, height));
    CutPreview.SetDefaults();
    CutPreview.SetPieces(pieces);
    CutPreview.SetSmoothType(smooth);
}

// Builds every piece, one step at a time; answers the number of steps that
// answered false.
inline int BuildAllPieces()
{
    CutPreview.StartBuild();
    int steps = 0;
    while (!CutPreview.BuildStep()) ++steps;
    return steps;
}

inline void BuildCut(int width, int height, int pieces, float smooth, bool border)
{
    ChooseCut(width, height, pieces, smooth, border);
    BuildAllPieces();
}

inline const float kAllStyles[] = {CCutPreview::kSmoothNone, CCutPreview::kSmoothEasy, CCutPreview::kSmoothMedium,
                                   CCutPreview::kSmoothHard};

class PuzzleTest : public ::testing::Test {
protected:
    void SetUp() override { std::srand(1234); }
    void TearDown() override
    {
        Game.ClearGroups();
        Game.FreePieces();
        CutPreview.Release();
        CMenu::SetBorder(false);
    }
};

}  // namespace puzzle_test
