// SPDX-License-Identifier: GPL-3.0-or-later
// CApp's frame loop: one frame of whichever screen is live, the frames
// that rest or draw only a part, and the cards over the screen.
#include "app/CApp.h"

#include <algorithm>
#include <cstdint>

#include "core/CLog.h"
#include "platform/Display.h"
#include "core/CMgrInput.h"
#include "core/CTimer.h"
#include "platform/Memory.h"
#include "platform/ProcessTimes.h"
#include "platform/Signature.h"
#include "puzzle/CGame.h"
#include "resources/CFont.h"
#include "screens/CCard.h"
#include "screens/CLogo.h"
#include "screens/CMenu.h"
#include "screens/CMessage.h"
#include "screens/CPictureOpening.h"
#include "sound/CMgrSound.h"

namespace {

constexpr Colour kLogoClear = 0xFFFFFF;

// How long a menu page at rest may sleep: nothing on it changes without input.
constexpr double kQuietPage = 60.0;

constexpr int kHintX = 8, kHintY = 536;

constexpr Colour kMenuClear = 0x000000;

Colour BoardColour()
{
    return static_cast<Colour>((Game.backgroundColor[0] & 0xFF) | ((Game.backgroundColor[1] & 0xFF) << 8) |
                               ((Game.backgroundColor[2] & 0xFF) << 16));
}

int Trunc(float value) { return static_cast<int>(value); }

}  // namespace

void CApp::Run()
{
    while (Step()) {
    }
}

bool CApp::Step()
{
    if (quitPosted) return false;
    if (window) window->PumpEvents();
    if (quitPosted) return false;
    Frame();
    return true;
}

void CApp::Frame()
{
    const std::uint64_t lastPlayVersion = playBackVersion;
    playBackVersion = 0;
    if (resizePending) OnResize();
    if (Message.IsShowing()) {
        // The screen below stands still until the message is dismissed.
        restStable = false;
        Timer.Update();
        if (window) window->SetTitle(title);
        SoundMgr.Update();
        Message.Update(BackBuffer());
        Present();
        InputMgr.EndFrame();
        ++frameCount;
        return;
    }
    if (PictureOpening.IsBusy()) {
        // The screen below stands still while a picture is being opened.
        restStable = false;
        Timer.Update();
        if (window) window->SetTitle(title);
        SoundMgr.Update();
        PictureOpening.Update(BackBuffer());
        InputMgr.Reset();  // no click reaches the screen below
        Present();
        InputMgr.EndFrame();
        ++frameCount;
        CMenu::TakeOpenedPicture();
        return;
    }
    if (Card.IsShowing()) {
        CardFrame();
        return;
    }
    if (state == STATE_LOGO) {
        Clear(kLogoClear);
    } else if (state != STATE_GAME && state != STATE_MENU) {
        Clear(kMenuClear);
    }
    Timer.Update();
    if (window) window->SetTitle(title);
    // The logo's first frame needs neither sound nor text; every other frame may.
    if (frameCount > 0 || state != STATE_LOGO) InitAfterFirstFrame();
    SoundMgr.Update();
    bool resting = false;
    bool makingCopiesAhead = false;
    bool partial = false;
    PixelRect area;
    if (state != STATE_GAME && state != STATE_MENU) restStable = false;
    switch (state) {
    case STATE_LOGO:
        Logo.Update();
        // A picture to open (the command line, "Open with") does not wait for the logo.
        if (state == STATE_LOGO && !startPicture.empty()) Logo.End();
        break;
    case STATE_MENU: {
        if (!startPicture.empty()) {
            // The picture of the command line, once, the way Custom opens one.
            std::string picture;
            picture.swap(startPicture);
            Menu.OpenCustomPicture(picture);
        }
        // The picture and cut pages change only with input: once two full
        // frames in a row were drawn from the same input, state and page, and
        // the back buffer still holds the last, the next is that frame again
        // (on a large screen a menu frame is millions of pixels). A timed
        // message or a dropped file waiting keeps the page drawing.
        const bool stillPage = (CMenu::GetPage() == MENU_PICTURES || CMenu::GetPage() == MENU_CUT) &&
                               !CMenu::GetMessage() && droppedFile.empty();
        const std::uint64_t key = RestKey();
        if (stillPage && restStable && menuStillFrames >= 2 && key == restKey &&
            BackBuffer().Version() == restBackVersion) {
            resting = true;
            break;
        }
        Clear(kMenuClear);
        Menu.Update();
        restStable = stillPage && RestKey() == key;
        menuStillFrames = restStable && key == restKey ? menuStillFrames + 1 : (restStable ? 1 : 0);
        restKey = key;
        break;
    }
    case STATE_GAME: {
        // The clock counts only play.
        const bool clockStopped = IsPlayerAway();
        if (clockStopped != clockWasStopped)
            Log.Write(clockStopped ? "--- Play clock stopped: the window is not in front\n"
                                   : "--- Play clock goes on\n");
        clockWasStopped = clockStopped;
        Game.StopClock(clockStopped);
        if (HintShown() && !clockStopped) hintSecondsLeft = std::max(0.0f, hintSecondsLeft - Timer.GetDelta());
        // A frame of play that would draw the last one again, pixel for pixel,
        // is not drawn: the last full frame changed nothing it was drawn from,
        // nothing of that has changed since, no input came, and the back
        // buffer still holds that frame. Time still goes on: the clock's next
        // second is a full frame.
        const std::uint64_t key = RestKey();
        // After a frame that drew only the clock's next second, with no input
        // since, this frame would draw that frame again.
        if (clockDrawnAlone && inputEvents == clockFrameInputs) restKey = key;
        clockDrawnAlone = false;
        const bool unchanged = restStable && key == restKey && BackBuffer().Version() == restBackVersion;
        if (unchanged && hintDrawn == HintShown() && Game.Rest(Timer.GetDelta())) {
            resting = true;
            makingCopiesAhead = Game.MakeCopiesAhead();
            break;
        }
        // Resting but for the clock's next second: only the clock is drawn
        // again, and the board rests on from there. A carried group's
        // second is a whole frame.
        const bool clockOnly = partialFrames && unchanged && hintDrawn == HintShown() && !Game.IsHoldingGroup();
        if (clockOnly) {
            area = CGame::kClockArea;
            partial = true;
        } else {
            partial = partialFrames && lastPlayVersion != 0 && BackBuffer().Version() == lastPlayVersion &&
                      Menu.GamePanelSignature() == playPanel && hintDrawn == HintShown() &&
                      Game.ChangedArea(Timer.GetDelta(), area);
        }
        if (partial) BackBuffer().SetClip(area.left, area.top, area.right - area.left, area.bottom - area.top);
        Clear(BoardColour());
        Game.Update();
        DrawHint();
        BackBuffer().ResetClip();
        restStable = clockOnly || RestKey() == key;
        restKey = key;
        clockDrawnAlone = clockOnly;
        clockFrameInputs = inputEvents;
        break;
    }
    default:
        break;  // no screen: a black frame
    }
    // A message shown during this frame keeps the whole frame behind it.
    Message.KeepBackdrop(BackBuffer());
    restBackVersion = BackBuffer().Version();
    if (state == STATE_GAME && !Message.IsShowing()) {
        playBackVersion = restBackVersion;
        playPanel = Menu.GamePanelSignature();
    }
    if (resting && window) {
        // Only input changes a page at rest; a board at rest waits for its clock.
        // The copies a notch will want are made in the pause, a few a frame.
        window->ExpectQuiet(state != STATE_GAME ? kQuietPage
                            : makingCopiesAhead ? 0.0
                            : HintShown()       ? std::min(Game.SecondsOfRest(), static_cast<double>(hintSecondsLeft))
                                                : Game.SecondsOfRest());
        window->PresentSame(BackBuffer());
    } else if (partial && window) {
        // Only what changed goes to the window; the rest of its picture is the last frame's.
        const int scale = BackBuffer().Scale();
        window->PresentArea(BackBuffer(), PixelRect{area.left * scale, area.top * scale, area.right * scale,
                                                    area.bottom * scale});
        ++partialFrameCount;
    } else {
        Present();
    }
    // A new screen came after loading: what loading freed goes back to the system.
    if (state != shownState) {
        Memory::ReturnFreeMemory();
        shownState = state;
    }
    if (frameCount == 0) {
        Log.Write("--- First frame shown %.3f s after start, %.3f s of processor time (clock %.6f)\n",
                  ProcessTimes::SinceStart(), ProcessTimes::ProcessorTime(),
                  ProcessTimes::WallClock());
    }
    // Presses released before this frame saw them have now had their frame.
    InputMgr.EndFrame();
    ++frameCount;
}

void CApp::CardFrame()
{
    restStable = false;
    Timer.Update();
    if (window) window->SetTitle(title);
    InitAfterFirstFrame();  // the card's text
    SoundMgr.Update();
    InputMgr.Reset();  // nothing reaches the screen below
    if (Card.Update(BackBuffer())) {
        Present();
    } else if (window) {
        // Only a key or a click changes a card.
        window->ExpectQuiet(kQuietPage);
        window->PresentSame(BackBuffer());
    }
    InputMgr.EndFrame();
    ++frameCount;
}

void CApp::DrawHint()
{
    hintDrawn = HintShown();
    if (!hintDrawn || Game.IsCompleted()) return;
    SmallFont.Print(kHintX, kHintY, "%s", "F1: HELP");
}

void CApp::Clear(Colour colour) { BackBuffer().FillRect(0, 0, Trunc(backWidth), Trunc(backHeight), colour); }

void CApp::Present()
{
    if (window) window->Present(BackBuffer());
}

std::uint64_t CApp::RestKey() const
{
    Signature s;
    s.Add(static_cast<std::uint64_t>(inputEvents));
    s.Add(static_cast<std::uint64_t>(state));
    s.Add(CMenu::GetPage());
    for (bool flag : {InputMgr.IsLeftButtonDown(), InputMgr.IsRightButtonDown(), InputMgr.AnyKeyDown(),
                      Surface::PlainCopies(), Message.IsShowing(), resizePending, HintShown(), IsPlayerAway()})
        s.Add(flag);
    s.Add(static_cast<std::uint64_t>(InputMgr.KeyPressNumber()));
    const Point cursor = CMgrInput::GetCursor();
    s.Add(cursor.x);
    s.Add(cursor.y);
    s.Add(Game.FrameSignature());
    s.Add(Menu.GamePanelSignature());
    return s.Digest();
}
