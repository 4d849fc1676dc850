// SPDX-License-Identifier: GPL-3.0-or-later
#include "HeadlessGame.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "BenchPhoto.h"
#include "BenchSupport.h"
#include "app/CApp.h"
#include "core/CFile.h"
#include "core/CTimer.h"
#include "platform/InputHub.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "screens/CMenu.h"

namespace bench {

namespace {

// Pieces along the photograph's longer side: 39 x 26 = 1,014 pieces.
constexpr int kAlongLongerSide = 39;

}  // namespace

HeadlessGame::HeadlessGame(int scale)
{
    folder = (std::filesystem::temp_directory_path() / "pavendra-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        folder.clear();
        return;
    }
    folder += "/";
    // The pictures, fonts and sounds come from the data archive beside the benchmark.
    std::error_code noArchive;
    std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data.000",
                                    folder + "data.000", noArchive);
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // the game is measured, not the sound card
    App.UseDisplay(&display);
    App.SetProgramFolder(folder.c_str());
    App.SetWriteFolder(folder.c_str());
    Timer.SetClock(&clock);
    App.StartUp();
    display.SetDrawingScale(scale);
    Frames(2);
    ready = true;
}

HeadlessGame::~HeadlessGame()
{
    Game.ClearGroups();
    Game.FreePieces();
    CutPreview.Release();
    App.Shutdown();
    App.UseDisplay(nullptr);
    App.SetProgramFolder(nullptr);
    App.SetWriteFolder(nullptr);
    Timer.SetClock(nullptr);
    DataFile.CloseArchive();
    InputHub::ResetCursor();
    App.UsePartialFrames(true);
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

void HeadlessGame::Frames(int count)
{
    for (int i = 0; i < count; ++i) {
        clock.Advance(1.0 / 60.0);
        App.Step();
    }
}

double HeadlessGame::WholeFrame(int frames)
{
    double spent = 0;
    for (int i = 0; i < frames; ++i) {
        Queue(InputEvent::MouseMove(400 + i % 2, 300));
        const double start = ThreadSeconds();
        Frames(1);
        spent += ThreadSeconds() - start;
    }
    return spent / frames;
}

bool HeadlessGame::PickUpAPiece(Point& at)
{
    for (int piece = 0; piece < Game.GetPieceCount(); ++piece) {
        const CPiece& p = Game.GetPiece(piece);
        const CGroup& group = Game.GetGroups()[p.inGroup];
        const TablePoint middle =
            Game.GetView().ToScreen({group.x + p.x + p.width / 2, group.y + p.y + p.height / 2});
        at = {static_cast<int>(middle.x), static_cast<int>(middle.y)};
        if (at.y < 150 || at.y > 450 || at.x < 150 || at.x > 650) continue;  // room to move it
        Queue(InputEvent::MouseMove(at.x, at.y));
        Queue(InputEvent::ButtonDown(MouseButton::Left, at.x, at.y));
        Frames(2);
        if (Game.IsHoldingGroup()) return true;
        Queue(InputEvent::ButtonUp(MouseButton::Left, at.x, at.y));
        Frames(2);
    }
    return false;
}

double HeadlessGame::CarryingFrame(Point at, int frames)
{
    double spent = 0;
    for (int i = 0; i < frames; ++i) {
        const int step = i % 20;
        const int dx = step < 10 ? step * 4 : (20 - step) * 4;
        Queue(InputEvent::MouseMove(at.x + dx, at.y + dx / 2));
        const double start = ThreadSeconds();
        Frames(1);
        spent += ThreadSeconds() - start;
    }
    return spent / frames;
}

bool HeadlessGame::ChooseThousandPieces(const std::string& path)
{
    std::srand(7);
    CMenu::SetBorder(false);
    std::string problem;
    if (!CutPreview.ChoosePictureFile(path.c_str(), &problem)) return false;
    CutPreview.SetDefaults();
    CutPreview.SetPieces(kAlongLongerSide);
    CutPreview.Refresh();
    return CutPreview.GetPieceCount() >= 1000;
}

HeadlessGame::PlayTimes HeadlessGame::Play()
{
    const Clock::time_point pressed = Clock::now();
    Clock::time_point pictureTaken = pressed;
    CutPreview.StartBuild();
    while (!CutPreview.BuildStep()) {
        if (!CutPreview.IsPictureComing()) {
            if (pictureTaken == pressed) pictureTaken = Clock::now();
        } else {
            // Waiting for the picture: the page's frames leave the cores to the decoder and the reducer.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const Clock::time_point built = Clock::now();
    App.SetState(STATE_GAME);
    Game.StartGame();
    CutPreview.FreePoints();
    CutPreview.ReleaseWork();
    CutPreview.ReleaseCutPicture();
    Game.PrepareTheTable();  // as the progress page does
    Frames(1);
    return {Seconds(pictureTaken - pressed), Seconds(built - pictureTaken), Seconds(Clock::now() - built)};
}

bool HeadlessGame::StartThousandPieces(benchmark::State& state)
{
    if (!ready || !ChooseThousandPieces(TheLargePhoto().Path())) {
        state.SkipWithError("no cut of a thousand pieces");
        return false;
    }
    Play();
    if (Game.GetPieceCount() < 1000 || Game.GetPiece(0).image.IsEmpty()) {
        state.SkipWithError("the pieces were not cut");
        return false;
    }
    return true;
}

}  // namespace bench
