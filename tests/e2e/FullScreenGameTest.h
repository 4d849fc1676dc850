// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end tests of the menus share: the real game full screen on
// a 1280 x 720 screen, the frame's pixels found on that screen, a click on a
// spot of the frame, waited on until the game shows it saw it, and the
// pages known by their look: the menu past the logo, a page changed, the board.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "GameSession.h"
#include "app/CApp.h"
#include "platform/Letterbox.h"
#include "puzzle/CGame.h"
#include "core/CFile.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;

inline int Channel(Colour colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

// Scaling to the screen (and JPEG) blends neighbouring colours a little.
inline bool Near(Colour a, Colour b, int tolerance = 24)
{
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
    return true;
}

// A pixel of the menu's background picture, read from the shipped archive.
inline Colour MenuBackgroundAt(int x, int y)
{
    App.SetProgramFolder(PAVENDRA_BIN_DIR "/");
    EXPECT_TRUE(DataFile.OpenArchive("data.000"));
    CImage background;
    ImageMgr.LoadImage(background, res::kMenuBackground);
    DataFile.CloseArchive();
    App.SetProgramFolder(nullptr);
    return background.surface.GetPixel(x, y);
}

class FullScreenGameTest : public ::testing::Test {
protected:
    FullScreenGameTest() = default;
    // A screen of another size; the frame fills it until the test says otherwise (InWindow).
    FullScreenGameTest(int screenWidth, int screenHeight)
        : session{screenWidth, screenHeight}, box{kClientWidth, kClientHeight, screenWidth, screenHeight}
    {
    }
    // Where a frame pixel lands on the screen.
    Point OnScreen(int frameX, int frameY) const
    {
        const ScreenRect& target = box.Target();
        return {origin.x + target.x + frameX * target.width / kClientWidth,
                origin.y + target.y + frameY * target.height / kClientHeight};
    }
    // The frame is letterboxed in a window of this place and size on the screen.
    void InWindow(const GameSession::Geometry& window)
    {
        origin = {window.x, window.y};
        box = Letterbox(kClientWidth, kClientHeight, window.width, window.height);
    }
    Colour FrameAt(const Screenshot& shot, int frameX, int frameY) const
    {
        Point at = OnScreen(frameX, frameY);
        return shot.At(at.x, at.y);
    }
    bool Xdotool(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command = {"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return session.RunOnScreen(command).exitCode == 0;
    }
    // A click on a spot of the frame (a button acts when its press ends on
    // it), then a wait until the screen shows that it was seen.
    bool ClickUntil(int frameX, int frameY, const std::function<bool(const Screenshot&)>& seen)
    {
        Point at = OnScreen(frameX, frameY);
        if (!session.MoveMouse(at.x, at.y) || !Xdotool({"mousedown", "1"}) || !Xdotool({"mouseup", "1"}))
            return false;
        return session.WaitForScreen(seen);
    }

    // A key held until the menu shows; its first screenshot is kept in `menu`.
    void PassTheLogo(const std::string& window)
    {
        static const Colour menuColour = MenuBackgroundAt(kBackgroundX, kBackgroundY);
        ASSERT_TRUE(Xdotool({"windowfocus", window}));
        ASSERT_TRUE(Xdotool({"keydown", "a"}));
        bool menuShown = session.WaitForScreen(
            [&](const Screenshot& shot) { return Near(FrameAt(shot, kBackgroundX, kBackgroundY), menuColour); });
        ASSERT_TRUE(Xdotool({"keyup", "a"}));
        ASSERT_TRUE(menuShown) << session.ErrorOutput();
        menu = session.TakeScreenshot();
        ASSERT_TRUE(menu);
    }
    // The frame around a spot is mostly unlike the same spots of an earlier
    // screenshot: another page, or a widget that changed its look.
    std::function<bool(const Screenshot&)> ChangedAround(const Screenshot& before, int frameX, int frameY,
                                                         int reach = 40)
    {
        return [this, before, frameX, frameY, reach](const Screenshot& shot) {
            int differing = 0, spots = 0;
            for (int dy = -reach; dy <= reach; dy += reach / 5)
                for (int dx = -reach; dx <= reach; dx += reach / 5, ++spots)
                    differing +=
                        !Near(FrameAt(shot, frameX + dx, frameY + dy), FrameAt(before, frameX + dx, frameY + dy));
            return differing > spots / 3;
        };
    }
    // The board's colour shows at one of a few spots a new puzzle leaves free.
    std::function<bool(const Screenshot&)> BoardShown()
    {
        return [this](const Screenshot& shot) {
            const Point spots[] = {{400, 300}, {30, 300}, {770, 300}, {400, 100}, {400, 500}, {200, 200}, {600, 400}};
            for (Point spot : spots)
                if (Near(FrameAt(shot, spot.x, spot.y), BoardColour(), 4)) return true;
            return false;
        };
    }
    // The first spot, row by row in the frame's rectangle, well inside a
    // piece: nothing of the board's colour within 6 units around it.
    std::optional<Point> PieceSpot(const Screenshot& shot, int left, int top, int right, int bottom) const
    {
        auto insidePiece = [&](int x, int y) {
            for (int dy = -6; dy <= 6; dy += 3)
                for (int dx = -6; dx <= 6; dx += 3)
                    if (Near(FrameAt(shot, x + dx, y + dy), BoardColour(), 8)) return false;
            return true;
        };
        for (int y = top; y < bottom; y += 4)
            for (int x = left; x < right; x += 4)
                if (insidePiece(x, y)) return Point{x, y};
        return std::nullopt;
    }
    static Colour BoardColour()
    {
        return MakeColour(CGame::kBoardColours[0][0], CGame::kBoardColours[0][1], CGame::kBoardColours[0][2]);
    }

    // A spot of the picture page clear of every widget, left of the thumbnails.
    static constexpr int kBackgroundX = 20, kBackgroundY = 300;
    GameSession session{kScreenWidth, kScreenHeight};
    std::optional<Screenshot> menu;  // the picture page, as PassTheLogo found it
    Letterbox box{kClientWidth, kClientHeight, kScreenWidth, kScreenHeight};
    Point origin;  // of the window the frame is in; the screen's corner when full screen
};
