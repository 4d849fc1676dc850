// SPDX-License-Identifier: GPL-3.0-or-later
// The saved game's text reader alone, over any bytes, thousands of times a
// second: it never reads outside the text, and a game it accepts is written
// and read back unchanged. (fuzz_savedgame loads whole games, cut and all.)
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzHarness.h"
#include "puzzle/SavedGameFile.h"
#include "resources/CParser.h"

namespace {

bool Same(const SavedGame& a, const SavedGame& b)
{
    if (a.border != b.border || a.imageName != b.imageName || a.smoothType != b.smoothType ||
        a.piecesX != b.piecesX || a.piecesY != b.piecesY || a.groups.size() != b.groups.size())
        return false;
    // The view's place is written with two decimals.
    auto near = [](float u, float v) { return std::fabs(u - v) <= std::max(0.006f, 1e-6f * std::fabs(u)); };
    if (a.hasView != b.hasView ||
        (a.hasView && (a.viewStep != b.viewStep || !near(a.viewX, b.viewX) || !near(a.viewY, b.viewY))))
        return false;
    for (std::size_t g = 0; g < a.groups.size(); ++g) {
        const SavedGroup &x = a.groups[g], &y = b.groups[g];
        if (x.x != y.x || x.y != y.y || x.members != y.members || x.canJoin != y.canJoin) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHarness::BeginInput();
    // The text exactly as the reader gets it: the file, then zero bytes.
    std::vector<char> text(size + CParser::kPadding, '\0');
    if (size > 0) std::memcpy(text.data(), data, size);
    SavedGame game;
    if (!SavedGameFile::Parse(text.data(), text.data() + size, game)) return 0;
    // A file without a picture's name keeps the name of the game before it;
    // a game with no name at all is never built, so never saved.
    if (game.imageName.empty()) return 0;
    FuzzHarness::Run([&game] {
        if (!SavedGameFile::Write(SavedGameFile::kName, game)) FuzzHarness::Finding("an accepted game is not written");
        SavedGame again;
        if (SavedGameFile::Read(SavedGameFile::kName, again) != SavedGameFile::ReadResult::Read)
            FuzzHarness::Finding("a written game is not read back");
        if (!Same(game, again)) FuzzHarness::Finding("a game written and read back differs");
    });
    return 0;
}
