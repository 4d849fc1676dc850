// SPDX-License-Identifier: GPL-3.0-or-later
// The reader of the thumbnails kept on the shelf beside the player's puzzles
// ("puzzles/own-<digits>.bmp"), over any bytes in that file: it reads a
// thumbnail of the page's box at a drawing scale of 1 to 3, or refuses the
// file (logged); it never crashes nor ends the game, and what it reads is
// the size it promises.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzHarness.h"
#include "puzzle/PuzzleShelf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool shelfMade = std::filesystem::create_directories(FuzzHarness::Folder() + PuzzleShelf::kFolder);
    (void)shelfMade;
    FuzzHarness::BeginInput();
    FuzzHarness::Run([data, size] {
        const std::string file = std::string(PuzzleShelf::kFolder) + "/own-00000000000000aa.bmp";
        FuzzHarness::WriteFile(file, data, size);
        Surface thumbnail;
        if (!PuzzleShelf::ReadThumbnail(file, thumbnail)) return;
        const int scale = thumbnail.Scale();
        if (scale < 1 || scale > PuzzleShelf::kLargestThumbnailScale)
            FuzzHarness::Finding("a thumbnail read at a scale the game never draws at");
        if (std::max(thumbnail.UnitWidth(), thumbnail.UnitHeight()) != PuzzleShelf::kThumbnailBox ||
            std::min(thumbnail.UnitWidth(), thumbnail.UnitHeight()) < 1 ||
            thumbnail.Width() != thumbnail.UnitWidth() * scale || thumbnail.Height() != thumbnail.UnitHeight() * scale)
            FuzzHarness::Finding("a thumbnail read outside the page's box");
    });
    return 0;
}
