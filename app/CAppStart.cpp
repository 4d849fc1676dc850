// SPDX-License-Identifier: GPL-3.0-or-later
// CApp's start-up and shutdown: the folders, the order in which everything
// starts, and the release of all that was started.
#include "app/CApp.h"

#include <cstdio>
#include <cstdlib>

#include "core/CLog.h"
#include "platform/Display.h"
#include "core/CMgrInput.h"
#include "core/CTimer.h"
#include "platform/Paths.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "core/CFile.h"
#include "resources/CFont.h"
#include "screens/CCard.h"
#include "screens/CLogo.h"
#include "screens/CMenu.h"
#include "screens/CMessage.h"
#include "screens/CPictureOpening.h"
#include "sound/CMgrSound.h"

CApp App;
// The services below the application ask it through System. Served here, once,
// by the one application object: a CApp made and thrown away (a test's fresh
// copy) never takes its place.
[[maybe_unused]] static const bool appServesTheSystem = (System.Serve(&App), true);

namespace {

// The first run tells the player where the controls are, for a few seconds of play.
constexpr float kHintSeconds = 8.0f;

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
