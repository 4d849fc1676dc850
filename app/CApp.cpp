// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CApp.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/CError.h"
#include "core/CLog.h"
#include "core/CMgrInput.h"
#include "core/CTimer.h"
#include "platform/InputEvent.h"
#include "platform/InputHub.h"
#include "platform/BmpCodec.h"
#include "platform/MessageBox.h"
#include "platform/Memory.h"
#include "platform/Paths.h"
#include "platform/ProcessTimes.h"
#include "platform/SdlDisplay.h"
#include "platform/Signature.h"
#include "platform/VirtualKeys.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "core/CFile.h"
#include "resources/CFont.h"
#include "resources/CParser.h"
#include "resources/ResourceNames.h"
#include "screens/CCard.h"
#include "screens/CLogo.h"
#include "screens/CMenu.h"
#include "screens/CMessage.h"
#include "screens/CPictureOpening.h"
#include "sound/CMgrSound.h"

CApp App;

namespace {

// The outer size of the window is its client area plus the frame a window
// would have: borders and caption.
constexpr int kFrameWidth = 5;
constexpr int kFrameHeight = 35;

// A window icon is a few kilobytes; anything far larger is not one. Its
// picture goes through the game's own checked bitmap reader, held to the
// size of the largest icon a window system shows.
constexpr std::uint32_t kLargestIcon = 4u << 20;
constexpr long long kLargestIconPixels = 512 * 512;

constexpr Colour kLogoClear = 0xFFFFFF;

// How long a menu page at rest may sleep: nothing on it changes without input.
constexpr double kQuietPage = 60.0;

// Switches the music on or off on every screen.
constexpr int kMusicKey = 'M';
// Open the help card on every screen; pause a puzzle in play.
constexpr int kHelpKeys[] = {VK_F1, VK_OEM_2};
constexpr int kPauseKeys[] = {'P', VK_PAUSE};
// The first run tells the player where the controls are, for a few seconds of play.
constexpr float kHintSeconds = 8.0f;
constexpr int kHintX = 8, kHintY = 536;

template <std::size_t N>
bool IsOneOf(int key, const int (&keys)[N])
{
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}
constexpr Colour kMenuClear = 0x000000;

Colour BoardColour()
{
    return static_cast<Colour>((Game.backgroundColor[0] & 0xFF) | ((Game.backgroundColor[1] & 0xFF) << 8) |
                               ((Game.backgroundColor[2] & 0xFF) << 16));
}

int Trunc(float value) { return static_cast<int>(value); }

constexpr const char* kSettingsFile = "conf.pvd";

// The leading decimal number of a value (optional sign and digits; 0 when it
// starts with neither), held within the range of a counter.
int LeadingNumber(const char* text)
{
    const long long value = std::strtoll(text, nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void LoadWindowIcon(Display& window)
{
    if (!DataFile.Open(res::kWindowIcon, FILE_READ)) return;  // no icon is fine
    std::uint32_t size = DataFile.GetSize();
    if (size > kLargestIcon) {
        DataFile.Close();
        Log.Write("--- Window icon %s is too large\n", res::kWindowIcon);
        return;
    }
    std::vector<unsigned char> bytes(size);
    std::uint32_t got = DataFile.Read(bytes.data(), size);
    DataFile.Close();
    Surface icon;
    if (got != size || !BmpCodec::Decode(bytes.data(), bytes.size(), icon, nullptr, kLargestIconPixels) ||
        !window.SetIcon(icon)) {
        Log.Write("--- Window icon %s is not a picture\n", res::kWindowIcon);
    }
}

}  // namespace

// The folders themselves belong to the files (CFile). An empty or missing
// folder leaves the root as it was; one too long to keep leaves it empty.
void CApp::SetProgramFolder(const char* folder)
{
    programFolderGiven = folder && *folder;
    if (!programFolderGiven) return;
    CFile::SetProgramFolder(folder);
    programFolderGiven = *CFile::GetProgramFolder() != '\0';
}

void CApp::SetWriteFolder(const char* folder)
{
    writeFolderGiven = folder && *folder;
    if (!writeFolderGiven) return;
    CFile::SetWriteFolder(folder);
    writeFolderGiven = *CFile::GetWriteFolder() != '\0';
}

void CApp::StartUp()
{
    quitPosted = false;
    musicKeyHeld = false;
    windowFocused = windowShown = true;
    clockWasStopped = false;
    Card.Close();
    shuttingDown = false;
    frameCount = 0;
    SetDefaults();
    FindProgramFolder();
    ReadSettings();
    hintSecondsLeft = NumRunForUpdate == 0 ? kHintSeconds : 0;
    hintDrawn = false;
    DataFile.OpenArchive("data.000");
    CreateMainWindow();
    InitSubsystems();
}

// Every way out of the loop (Escape, the window's close button, the
// session's end) leaves the puzzle in play saved: LOAD GAME resumes it.
void CApp::CloseDown()
{
    if (state == STATE_GAME) Game.AutoSave();
    UpdateRunCounters();
    WriteSettings();
    Shutdown();
}

void CApp::SetDefaults()
{
    std::snprintf(title, sizeof title, "%s", "Pavendra");
    width = kClientWidth + kFrameWidth;
    height = kClientHeight + kFrameHeight;
    fullScreen = !startWindowed;
    fullScreenChoice = true;
    windowedSize = {};
    resizePending = false;
}

void CApp::FindProgramFolder()
{
    char programFolder[kMaxPath];
    Paths::CopyBounded(programFolder, sizeof programFolder, CFile::GetProgramFolder());
    if (!programFolderGiven && !Paths::ExecutableFolder(programFolder, sizeof programFolder)) {
        // The executable's folder is unknown or too long to build paths on:
        // the current folder stands in for it.
        if (!Paths::CurrentFolder(programFolder, sizeof programFolder)) {
            Paths::CopyBounded(programFolder, sizeof programFolder, "./");
        }
    }
    CFile::SetProgramFolder(programFolder);
    if (writeFolderGiven) return;
    // An installed, read-only copy of the game still saves: into the player's own folder.
    char writeFolder[kMaxPath];
    if (Paths::IsWritableFolder(programFolder) || !Paths::UserDataFolder(writeFolder, sizeof writeFolder)) {
        Paths::CopyBounded(writeFolder, sizeof writeFolder, programFolder);
    }
    CFile::SetWriteFolder(writeFolder);
}

// "conf.pvd": keys, each followed by its value. The two run counters, and
// the choices a player makes that outlive a run: board colour, edge style,
// the Border option and the music switch. A missing or unreadable file, a
// missing key or a value out of range leaves the default without a word.
void CApp::ReadSettings()
{
    NumRunForWeb = 0;
    NumRunForUpdate = 0;
    std::vector<char> text;
    if (CParser::ReadFile(kSettingsFile, text) != CParser::ReadResult::Read) return;
    char* const end = text.data() + (text.size() - CParser::kPadding);
    char* p = text.data();
    while (char* token = TheParser.NextToken(p, end)) {
        p = token + TheParser.GetTokenLength();
        const bool known = std::strcmp(token, "NumRunForWeb") == 0 || std::strcmp(token, "NumRunForUpdate") == 0 ||
                           std::strcmp(token, "BoardColour") == 0 || std::strcmp(token, "EdgeStyle") == 0 ||
                           std::strcmp(token, "Border") == 0 || std::strcmp(token, "Music") == 0 ||
                           std::strcmp(token, "FullScreen") == 0 || std::strcmp(token, "WindowWidth") == 0 ||
                           std::strcmp(token, "WindowHeight") == 0;
        if (!known) continue;  // any other word is skipped
        char* value = TheParser.NextToken(p, end);
        if (!value) break;
        // On after the value, however much white space stood before it.
        p = value + TheParser.GetTokenLength();
        ApplySetting(token, value);
    }
}

void CApp::ApplySetting(const char* key, const char* value)
{
    const int number = LeadingNumber(value);
    if (std::strcmp(key, "NumRunForWeb") == 0) {
        NumRunForWeb = number;
    } else if (std::strcmp(key, "NumRunForUpdate") == 0) {
        NumRunForUpdate = number;
    } else if (std::strcmp(key, "BoardColour") == 0) {
        if (number >= 0 && number < 4) {
            const int* colour = CGame::kBoardColours[number];
            Game.SetBackgroundColor(colour[0], colour[1], colour[2]);
        }
    } else if (std::strcmp(key, "EdgeStyle") == 0) {
        // Saved with two decimals: the nearest of the four styles.
        const float style = std::strtof(value, nullptr);
        for (float known : {CCutPreview::kSmoothNone, CCutPreview::kSmoothEasy, CCutPreview::kSmoothMedium,
                            CCutPreview::kSmoothHard}) {
            if (std::fabs(style - known) < 0.005f) CutPreview.SetChosenSmoothType(known);
        }
    } else if (std::strcmp(key, "Border") == 0) {
        CMenu::SetBorder(number == 1);
    } else if (std::strcmp(key, "Music") == 0) {
        SoundMgr.SetMusicOn(number != 0);
    } else if (std::strcmp(key, "FullScreen") == 0) {
        fullScreenChoice = number != 0;
    } else if (std::strcmp(key, "WindowWidth") == 0) {
        // A side beyond any screen is a damaged value: the window then opens
        // at its first size.
        windowedSize.width = WindowSize::IsPlausibleSide(number) ? number : 0;
    } else if (std::strcmp(key, "WindowHeight") == 0) {
        windowedSize.height = WindowSize::IsPlausibleSide(number) ? number : 0;
    }
}

// Written whole or not at all. A settings file that cannot be written costs
// the player nothing of the game: it is logged and the run ends normally.
void CApp::WriteSettings()
{
    CFile file;
    if (!file.Open(kSettingsFile, FILE_WRITE_TEXT)) {
        Log.Write("Couldn't save config: %s\n", file.GetError());
        return;
    }
    file.Printf("NumRunForWeb %i\n", NumRunForWeb);
    file.Printf("NumRunForUpdate %i\n", NumRunForUpdate);
    int colour = 0;
    for (int i = 0; i < 4; ++i) {
        if (std::equal(Game.backgroundColor, Game.backgroundColor + 3, CGame::kBoardColours[i])) colour = i;
    }
    file.Printf("BoardColour %i\n", colour);
    file.Printf("EdgeStyle %.2f\n", CutPreview.GetChosenSmoothType());
    file.Printf("Border %i\n", CMenu::IsBorder() ? 1 : 0);
    file.Printf("Music %i\n", SoundMgr.IsMusicOn() ? 1 : 0);
    // The window: written after the keys older versions know, which skip
    // these as words they do not know.
    if (window && window->WindowedSize().IsKnown()) windowedSize = window->WindowedSize();
    file.Printf("FullScreen %i\n", fullScreenChoice ? 1 : 0);
    if (windowedSize.IsKnown()) {
        file.Printf("WindowWidth %i\n", windowedSize.width);
        file.Printf("WindowHeight %i\n", windowedSize.height);
    }
    if (!file.Close()) Log.Write("Couldn't save config: %s\n", file.GetError());
}

// The game opens no statistics page at the end of a run: there is no
// publisher's web server for this build, and a browser starting at every exit
// would be unwelcome.
void CApp::UpdateRunCounters()
{
    // A file that claims the largest count keeps it rather than wrapping round.
    if (NumRunForUpdate < INT_MAX) NumRunForUpdate += 1;
    NumRunForWeb = 0;
}

void CApp::CreateMainWindow()
{
    InputHub::SetHandler([this](const InputEvent& event) { OnInput(event); });
    window = testDisplay ? testDisplay : new SdlDisplay();
    // --windowed holds for this run only; the remembered choice stays.
    fullScreen = fullScreenChoice && !startWindowed;
    window->SetWindowedSize(windowedSize.IsKnown() ? windowedSize : WindowExtent{});
    if (!window->Open(title, kClientWidth, kClientHeight, fullScreen)) {
        ReleaseWindow();
        Log.Write("Windows Creation Error\n");
        MessageBox::Show("Error", "Windows Creation Error");
        // Not a normal end of the game: say so to whoever started it.
        std::exit(1);
    }
    if (*window->PresenterNote()) Log.Write("--- %s\n", window->PresenterNote());
    LoadWindowIcon(*window);
    CreateBackBuffer();
}

// What the first frame (the logo on white) needs, and the sound device, which
// the puzzle may use before any frame; the fonts are started right after that
// frame is on screen (InitAfterFirstFrame), so that the window shows
// something as early as it can.
void CApp::InitSubsystems()
{
    Timer.Init();
    SoundMgr.Init();
    InputMgr.Init();
    Logo.Init();
    Game.SetPanel([] { Menu.UpdateGamePanel(); });
    SetState(STATE_LOGO);
    Logo.SetStartTime(static_cast<float>(Timer.GetTime()));
    std::srand(Timer.GetMilliseconds());
    lateStarted = false;
}

void CApp::InitAfterFirstFrame()
{
    if (lateStarted) return;
    lateStarted = true;
    SmallFont.CreateDefault();
    LargeFont.Create(30, "Arial");
}

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
        window->ExpectQuiet(state != STATE_GAME ? kQuietPage
                            : HintShown() ? std::min(Game.SecondsOfRest(), static_cast<double>(hintSecondsLeft))
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

void CApp::CreateBackBuffer()
{
    int clientWidth = window ? window->ClientWidth() : kClientWidth;
    int clientHeight = window ? window->ClientHeight() : kClientHeight;
    backWidth = static_cast<float>(clientWidth);
    backHeight = static_cast<float>(clientHeight);
    // The frame has the screen's own pixels; the game still draws in its
    // client area's units.
    const int scale = window ? window->DrawingScale() : 1;
    if (BackBuffer().Scale() != scale || BackBuffer().UnitWidth() != clientWidth ||
        BackBuffer().UnitHeight() != clientHeight || BackBuffer().IsEmpty()) {
        // A scale other than 1, or a way back to it, goes to the log.
        const bool scaledBefore = !BackBuffer().IsEmpty() && BackBuffer().Scale() != 1;
        BackBuffer() = Surface::Scaled(clientWidth, clientHeight, scale);
        if (scale != 1 || scaledBefore)
            Log.Write("--- Drawing at %i x %i pixels\n", clientWidth * scale, clientHeight * scale);
        Game.MatchDrawingScale(scale);
    }
    BackBuffer().Fill(kWhite);
}

void CApp::OnResize()
{
    // The game always sees the same client area, whatever the window's size on
    // the screen: the frame is scaled to the window, not rebuilt larger.
    int clientWidth = window ? window->ClientWidth() : kClientWidth;
    int clientHeight = window ? window->ClientHeight() : kClientHeight;
    width = clientWidth + kFrameWidth;
    height = clientHeight + kFrameHeight;
    CreateBackBuffer();
    resizePending = false;
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

void CApp::OnInput(const InputEvent& event)
{
    ++inputEvents;
    // Enter and Escape answer a message on screen; Escape then does not quit.
    if (event.type == InputEventType::KeyDown && Message.OnKeyDown(event.key)) return;
    // Escape gives up on a picture being opened; no other key reaches the game then.
    if (event.type == InputEventType::KeyDown && PictureOpening.OnKeyDown(event.key)) return;
    if (OnCardInput(event)) return;
    switch (event.type) {
    case InputEventType::Drop:
        // Only the menu's picture and cut pages take a picture; a drop during
        // play, on the logo or behind a message is ignored.
        droppedFile.clear();
        if (state == STATE_MENU && !Message.IsShowing() && !PictureOpening.IsBusy() &&
            (CMenu::GetPage() == MENU_PICTURES || CMenu::GetPage() == MENU_CUT)) {
            droppedFile = Paths::FromDroppedText(event.text);
            if (droppedFile.empty()) Log.Write("CApp: Dropped text names no file: %s\n", event.text.c_str());
        }
        return;
    case InputEventType::Close:
        PostQuit();
        break;
    case InputEventType::Resize:
        SetResizePending();
        break;
    case InputEventType::KeyDown:
    case InputEventType::KeyUp: {
        const bool down = event.type == InputEventType::KeyDown;
        // The music key belongs to no screen: it works everywhere and is
        // never taken for "any key".
        if (event.key == kMusicKey) {
            // Held down, the key repeats; only a fresh press switches.
            if (down && !musicKeyHeld) SoundMgr.SetMusicOn(!SoundMgr.IsMusicOn());
            musicKeyHeld = down;
            return;
        }
        InputMgr.OnKey(event.key, down);
        break;
    }
    case InputEventType::ButtonDown:
    case InputEventType::ButtonUp: {
        bool down = event.type == InputEventType::ButtonDown;
        if (event.button == MouseButton::Left) {
            InputMgr.OnLeftButton(down);
        } else {
            InputMgr.OnRightButton(down);
        }
        break;
    }
    case InputEventType::ToggleFullScreen:
        if (window) {
            window->SetFullScreen(!window->IsFullScreen());
            fullScreenChoice = window->IsFullScreen();
        }
        return;
    case InputEventType::MouseMove:
        return;  // the cursor is tracked where input enters; nothing for the flags
    case InputEventType::Focus:
        windowFocused = event.x != 0;
        return;
    case InputEventType::Shown:
        windowShown = event.x != 0;
        return;
    }
    // Escape ends the game from any screen, at the first message after it went down.
    if (InputMgr.IsKeyDown(VK_ESCAPE)) PostQuit();
}

bool CApp::OnCardInput(const InputEvent& event)
{
    if (event.type == InputEventType::KeyUp) {
        Card.OnKeyUp(event.key);
        return false;  // a release always reaches the flags
    }
    const bool keyDown = event.type == InputEventType::KeyDown;
    if (!keyDown && event.type != InputEventType::ButtonDown) return false;
    // Escape still quits and M still switches the music, with a card or without.
    if (keyDown && (event.key == VK_ESCAPE || event.key == kMusicKey)) return false;
    if (Card.OnPress(keyDown ? event.key : 0)) return true;
    if (!keyDown) return false;
    if (IsOneOf(event.key, kHelpKeys)) {
        Card.ShowHelp(state, Game.IsCompleted(), event.key);
        EndHint();  // found it
        return true;
    }
    if (IsOneOf(event.key, kPauseKeys) && state == STATE_GAME && !Game.IsCompleted()) {
        Card.ShowPause(event.key);
        return true;
    }
    return false;
}

void CApp::ShowMessageBox(const char* caption, const char* text)
{
    if (window && window->IsOpen()) {
        window->ShowMessageBox(caption, text, true);
    } else {
        MessageBox::Show(caption, text);
    }
}

void CApp::ShowMessage(const std::string& text)
{
    if (window && window->IsOpen()) {
        Message.Show(text);
    } else {
        Log.Write("Message: %s\n", text.c_str());
        MessageBox::Show("Pavendra", text.c_str());
    }
}

std::string CApp::TakeDroppedFile()
{
    std::string taken;
    taken.swap(droppedFile);
    return taken;
}

void CApp::RunOutsideDialog(const std::function<void()>& dialog)
{
    const bool aside = window && window->IsOpen();
    if (aside) window->StepAside();
    dialog();
    if (aside) window->ComeBack();
    Timer.SkipPause();
}

void CApp::ReleaseWindow()
{
    if (!window) return;
    window->Close();
    if (window != testDisplay) delete window;
    window = nullptr;
}

void CApp::Shutdown()
{
    // A critical error raised while shutting down must not start it again.
    if (shuttingDown) return;
    shuttingDown = true;
    Message.Clear();
    Card.Close();
    PictureOpening.Clear();
    droppedFile.clear();
    Menu.Release();
    CutPreview.Release();
    Game.FreePieces();
    BackBuffer() = Surface();
    backWidth = 0;
    backHeight = 0;
    SoundMgr.Shutdown();
    // Closing the window also hands the display back, so that a critical
    // error's message box is not hidden behind a full-screen game.
    ReleaseWindow();
    Log.Write("\n=== App was shutdown successfully\n");
}
