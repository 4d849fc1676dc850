// SPDX-License-Identifier: GPL-3.0-or-later
// The saved-game reader over any bytes: whatever "game.pvs" holds, loading it
// must never crash, index out of range or end the game. A file it refuses
// leaves an empty puzzle; one it takes leaves every piece in exactly one group.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzHarness.h"
#include "app/CApp.h"
#include "platform/BmpWriter.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "puzzle/SavedGameFile.h"
#include "resources/ResourceNames.h"

namespace {

void WriteFile(const std::string& path, const void* data, std::size_t size)
{
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
}

// A small picture saved as a bitmap, as a game's picture would be.
void WritePicture(const std::string& path, int width, int height)
{
    Surface picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(1 + x % 250, 1 + y % 250, 77));
    }
    std::vector<unsigned char> bytes = BmpWriter::Encode(picture);
    WriteFile(path, bytes.data(), bytes.size());
}

// The program folder holds the preview frame and the pictures the corpus
// names: "pic.bmp", square (cuts up to 13 x 13 at the game's 448 pixels),
// and "wide.bmp", 448 x 134 at the game's size (cuts up to 4 x 4).
void WritePictures()
{
    static const bool written = [] {
        const std::string& folder = FuzzHarness::Folder();
        mkdir((folder + "data").c_str(), 0700);
        WritePicture(folder + res::kPreviewFrame, 40, 30);
        WritePicture(folder + "pic.bmp", 200, 200);
        WritePicture(folder + "wide.bmp", 200, 60);
        return true;
    }();
    (void)written;
}

void CheckPuzzle()
{
    std::vector<int> owner(Game.GetPieceCount(), -1);
    for (int g = 0; g < static_cast<int>(Game.GetGroups().size()); ++g) {
        for (int m : Game.GetGroups()[g].members) {
            if (!Game.IsValidPieceIndex(m) || owner[m] != -1) FuzzHarness::Finding("a piece in two groups");
            owner[m] = g;
            if (Game.GetPiece(m).inGroup != g) FuzzHarness::Finding("a piece names another group");
        }
    }
    for (int o : owner) {
        if (o == -1) FuzzHarness::Finding("a piece in no group");
    }
}

// What a saved game keeps of the groups: members, candidates, whole-pixel places.
std::vector<SavedGroup> Groups()
{
    std::vector<SavedGroup> groups;
    for (const CGroup& group : Game.GetGroups()) {
        groups.push_back(SavedGroup{static_cast<int>(group.x), static_cast<int>(group.y), group.members, group.canJoin});
    }
    return groups;
}

bool Same(const std::vector<SavedGroup>& a, const std::vector<SavedGroup>& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t g = 0; g < a.size(); ++g) {
        if (a[g].x != b[g].x || a[g].y != b[g].y || a[g].members != b[g].members || a[g].canJoin != b[g].canJoin)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHarness::BeginInput();
    WritePictures();
    // The structure of the puzzle is what is checked; the pieces' pictures
    // would only cost time.
    CGame::SetCutPieceImages(false);
    FuzzHarness::WriteFile("game.pvs", data, size);
    FuzzHarness::Run([] {
        Game.LoadGame();
        CheckPuzzle();
        if (Game.GetPieceCount() == 0) return;
        // A game that loads is saved as it was loaded: the file, read again,
        // holds the same groups (rebuilding the cut from it a second time
        // would only halve the speed).
        if (Game.SaveGame() != CGame::SaveResult::Saved) FuzzHarness::Finding("a loaded game is not saved");
        SavedGame again;
        if (SavedGameFile::Read(SavedGameFile::kName, again) != SavedGameFile::ReadResult::Read)
            FuzzHarness::Finding("a loaded game saved is not read back");
        if (!Same(again.groups, Groups()) || again.piecesX != Game.GetPiecesX() || again.piecesY != Game.GetPiecesY())
            FuzzHarness::Finding("a loaded game saved and read back differs");
        // Whatever view the file held, the one taken keeps to the steps and
        // the table, and is saved as it stands.
        const TableView& view = Game.GetView();
        const float right = std::max(0.0f, view.TableWidth() - TableView::kScreenWidth / view.Zoom());
        const float bottom = std::max(0.0f, view.TableHeight() - TableView::kScreenHeight / view.Zoom());
        if (view.Step() < 0 || view.Step() > view.LastStep() || !(view.Origin().x >= 0 && view.Origin().x <= right) ||
            !(view.Origin().y >= 0 && view.Origin().y <= bottom))
            FuzzHarness::Finding("a loaded view shows beyond the table");
        if (again.hasView == view.IsWhole() || (again.hasView && (again.viewStep != view.Step() ||
                                                                  std::fabs(again.viewX - view.Origin().x) > 0.01f ||
                                                                  std::fabs(again.viewY - view.Origin().y) > 0.01f)))
            FuzzHarness::Finding("a loaded view saved and read back differs");
    });
    // The next input starts from an empty puzzle, so that loading it has
    // nothing of this one to keep aside, and the input leaves nothing behind
    // (when more is held after an input than before, the fuzzer runs it again
    // to look for a leak).
    Game.ClearGroups();
    Game.FreePieces();
    Game.SetSize(0, 0);
    CutPreview.Release();
    return 0;
}
