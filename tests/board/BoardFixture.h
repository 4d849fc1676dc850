// SPDX-License-Identifier: GPL-3.0-or-later
// Shared set-up of the board tests: the whole game running headless in the
// game state, a puzzle cut from a generated picture, and the player's mouse
// driven through the game's input point.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/CApp.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "puzzle/PuzzleFixture.h"
#include "resources/ResourceNames.h"
#include "screens/CMenu.h"
#include "sound/CMgrSound.h"
#include "support/HeadlessGame.h"

namespace board_test {

inline FloatPoint Add(FloatPoint a, FloatPoint b) { return {a.x + b.x, a.y + b.y}; }

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::srand(1234);
        CMenu::showPicture = false;
        CMenu::borderOnly = false;
        game.Start();
    }

    void TearDown() override
    {
        Game.ClearGroups();
        Game.FreePieces();
        CutPreview.Release();
        CMenu::SetBorder(false);
        CMenu::showPicture = false;
    }

    // Cuts a generated picture into n x n pieces and starts play on it.
    void StartPuzzle(int width, int height, int pieces, float smooth = CCutPreview::kSmoothNone)
    {
        puzzle_test::BuildCut(width, height, pieces, smooth, false);
        Game.StartGame();
        App.SetState(STATE_GAME);
    }

    static std::vector<CGroup>& Groups() { return Game.TestHookGroups(); }
    static int GroupIndexOf(int piece) { return Game.GetPiece(piece).inGroup; }
    static CGroup& GroupOf(int piece) { return Groups()[GroupIndexOf(piece)]; }

    // Where the piece's image lies on the board.
    static FloatPoint ImagePos(int piece)
    {
        const CGroup& group = GroupOf(piece);
        return {group.x + Game.GetPiece(piece).x, group.y + Game.GetPiece(piece).y};
    }
    // Moves the piece's group so that the piece's image lies at (x, y).
    static void PlaceImage(int piece, float x, float y)
    {
        CGroup& group = GroupOf(piece);
        group.x = x - Game.GetPiece(piece).x;
        group.y = y - Game.GetPiece(piece).y;
    }
    // Puts the piece's group last, so that it lies on top of every other.
    static void BringToTop(int piece)
    {
        const int g = GroupIndexOf(piece);
        std::rotate(Groups().begin() + g, Groups().begin() + g + 1, Groups().end());
        Game.SyncInGroup();
    }

    // A unit of the piece that is its own (its mask white there), the
    // nearest to its middle, relative to the piece's image.
    static Point InsidePixel(int piece)
    {
        const PieceMask& mask = Game.GetPiece(piece).mask;
        const int width = mask.Width() / mask.Scale(), height = mask.Height() / mask.Scale();
        const int cx = width / 2, cy = height / 2;
        Point best{cx, cy};
        long bestDistance = -1;
        for (int y = 1; y < height; ++y) {
            for (int x = 1; x < width; ++x) {
                if (!mask.CoversUnit(x, y)) continue;
                const long d = long(x - cx) * (x - cx) + long(y - cy) * (y - cy);
                if (bestDistance < 0 || d < bestDistance) {
                    bestDistance = d;
                    best = {x, y};
                }
            }
        }
        return best;
    }
    // That pixel on the board, in whole pixels (pieces lie at whole positions).
    static Point OnBoard(int piece, Point inside)
    {
        const FloatPoint at = ImagePos(piece);
        return {static_cast<int>(at.x) + inside.x, static_cast<int>(at.y) + inside.y};
    }

    // Presses the left button on the piece, carries it so that its image
    // lands at (x, y), and releases it there, one frame for each step.
    void DragPieceTo(int piece, int x, int y)
    {
        const Point inside = InsidePixel(piece);
        const Point from = OnBoard(piece, inside);
        game.PressButton(MouseButton::Left, from.x, from.y);
        game.RunFrames(1);
        game.MoveMouse(x + inside.x, y + inside.y);
        game.RunFrames(1);
        game.ReleaseButton(MouseButton::Left, x + inside.x, y + inside.y);
        game.RunFrames(1);
    }

    // A press and release of the left button at one point, frame by frame.
    void Press(int x, int y)
    {
        game.PressButton(MouseButton::Left, x, y);
        game.RunFrames(1);
    }
    void MoveTo(int x, int y)
    {
        game.MoveMouse(x, y);
        game.RunFrames(1);
    }
    void Release(int x, int y)
    {
        game.ReleaseButton(MouseButton::Left, x, y);
        game.RunFrames(1);
    }

    // Playbacks of the sound queued in the last frame and not started yet:
    // the frame's own sound manager update starts what earlier frames queued.
    static int QueuedPlaybacks(const char* fileName)
    {
        const int sample = SoundMgr.FindSample(fileName);
        if (sample < 0) return 0;
        int queued = 0;
        for (int slot = 0; slot < CMgrSound::kSlotCount; ++slot) {
            const CMgrSound::Slot& s = SoundMgr.GetSlot(slot);
            if (s.sampleIndex == sample && s.channel == 0) ++queued;
        }
        return queued;
    }

    HeadlessGame game;
};

}  // namespace board_test
