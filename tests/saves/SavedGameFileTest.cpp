// SPDX-License-Identifier: GPL-3.0-or-later
// The saved game's text on its own, without a puzzle: what the writer puts
// down the reader gives back, for games of every shape the file can hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/CApp.h"
#include "puzzle/SavedGameFile.h"
#include "support/TempFolder.h"

namespace {

// Every piece of a random cut in one of a random number of groups, in a
// random order, with random candidates and positions anywhere the file keeps.
SavedGame RandomGame(std::mt19937& random)
{
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const float styles[] = {CCutPreview::kSmoothNone, CCutPreview::kSmoothEasy, CCutPreview::kSmoothMedium,
                            CCutPreview::kSmoothHard};
    SavedGame game;
    game.border = below(2) == 1;
    game.imageName = below(2) ? "pics/a picture of " + std::to_string(below(1000)) + ".jpg" : "data/pic3.bmp";
    game.smoothType = styles[below(4)];
    game.piecesX = 1 + below(SavedGameFile::kLargestCut);
    game.piecesY = 1 + below(std::min(SavedGameFile::kLargestCut, SavedGameFile::kMostPieces / game.piecesX));
    const int pieces = game.piecesX * game.piecesY;
    std::vector<int> order(pieces);
    for (int i = 0; i < pieces; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    game.groups.resize(1 + below(pieces));
    for (int i = 0; i < pieces; ++i) {
        // The first pieces give every group a member; the rest go anywhere.
        const int g = i < static_cast<int>(game.groups.size()) ? i : below(static_cast<int>(game.groups.size()));
        game.groups[g].members.push_back(order[i]);
    }
    for (SavedGroup& group : game.groups) {
        group.x = below(2) ? below(800) : SavedGameFile::Position(-1e12f);
        group.y = below(600) - 100;
        for (int n = below(5); n > 0; --n) group.canJoin.push_back(below(pieces));
    }
    return game;
}

void ExpectSame(const SavedGame& read, const SavedGame& written)
{
    EXPECT_EQ(read.border, written.border);
    EXPECT_EQ(read.imageName, written.imageName);
    EXPECT_EQ(read.smoothType, written.smoothType);
    EXPECT_EQ(read.piecesX, written.piecesX);
    EXPECT_EQ(read.piecesY, written.piecesY);
    ASSERT_EQ(read.groups.size(), written.groups.size());
    for (std::size_t g = 0; g < read.groups.size(); ++g) {
        EXPECT_EQ(read.groups[g].x, written.groups[g].x) << "group " << g;
        EXPECT_EQ(read.groups[g].y, written.groups[g].y) << "group " << g;
        EXPECT_EQ(read.groups[g].members, written.groups[g].members) << "group " << g;
        EXPECT_EQ(read.groups[g].canJoin, written.groups[g].canJoin) << "group " << g;
    }
}

}  // namespace

TEST(SavedGameFileTest, WhatIsWrittenReadsBackTheSame)
{
    TempFolder write;
    App.SetWriteFolder(write.Path().c_str());
    std::mt19937 random(2718);
    for (int round = 0; round < 100; ++round) {
        const SavedGame written = RandomGame(random);
        ASSERT_TRUE(SavedGameFile::Write("game.pvs", written));
        SavedGame read;
        ASSERT_EQ(SavedGameFile::Read("game.pvs", read), SavedGameFile::ReadResult::Read) << write.Read("game.pvs");
        ExpectSame(read, written);
        if (HasFailure()) break;
    }
    // A file may claim a place no writer writes: it is read as the writer
    // would write it, so that the game loaded and saved again keeps it.
    SavedGame far = RandomGame(random);
    far.groups[0].x = 2000000000;
    far.groups[0].y = -1006666666;
    ASSERT_TRUE(SavedGameFile::Write("game.pvs", far));
    SavedGame read;
    ASSERT_EQ(SavedGameFile::Read("game.pvs", read), SavedGameFile::ReadResult::Read);
    EXPECT_EQ(read.groups[0].x, SavedGameFile::Position(2e9f));
    EXPECT_EQ(read.groups[0].y, SavedGameFile::Position(-1006666666.0f));

    SavedGame none;
    EXPECT_EQ(SavedGameFile::Read("none.pvs", none), SavedGameFile::ReadResult::Missing);
    App.SetWriteFolder(nullptr);
}
