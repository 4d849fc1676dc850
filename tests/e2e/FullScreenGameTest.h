// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end tests of the menus share: the real game full screen on
// a 1280 x 720 screen, the frame's pixels found on that screen, and a click
// on a spot of the frame, waited on until the game shows it saw it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "GameSession.h"
#include "app/CApp.h"
#include "platform/Letterbox.h"
#include "resources/CFile.h"
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

    GameSession session{kScreenWidth, kScreenHeight};
    Letterbox box{kClientWidth, kClientHeight, kScreenWidth, kScreenHeight};
    Point origin;  // of the window the frame is in; the screen's corner when full screen
};
