// SPDX-License-Identifier: GPL-3.0-or-later
// A save cut off at any moment by SIGKILL: a game process saves over and
// over, moving a group between saves, and is killed at random moments; the
// saved game on the disk must always be one complete version, never a file
// cut short or empty.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <string>

#include "SavedGameFixture.h"

using namespace saves_test;

namespace {

// Waits (bounded) until the child has reported `count` finished saves.
bool WaitForSaves(int pipe, int count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (count > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        struct pollfd ready {pipe, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        char done[64];
        const ssize_t got = ::read(pipe, done, std::min<std::size_t>(sizeof done, static_cast<std::size_t>(count)));
        if (got <= 0) return false;
        count -= static_cast<int>(got);
    }
    return true;
}

// The game's saves, back to back; the group moves one pixel right each time.
[[noreturn]] void SaveForever(int pipe)
{
    CGroup& moving = Game.TestHookGroups()[0];
    for (;;) {
        moving.x += 1;
        if (Game.SaveGame() != CGame::SaveResult::Saved) ::_exit(3);
        if (::write(pipe, "s", 1) != 1) ::_exit(4);
    }
}

TEST_F(SavedGameTest, AKilledSaveLeavesTheOldOrTheNewFileWhole)
{
    StartPuzzle(kPicture, 10, CCutPreview::kSmoothMedium, false);
    CGroup& moving = Game.TestHookGroups()[0];
    moving.x = 100;
    moving.y = 200;
    ASSERT_EQ(Game.SaveGame(), CGame::SaveResult::Saved);
    // Every version differs from the first in the moving group's line only.
    const std::string first = SavedText();
    const std::string firstLine = "Group 0 100 200\r\n";
    const std::size_t at = first.find(firstLine);
    ASSERT_NE(at, std::string::npos);
    auto version = [&](int shift) {
        return first.substr(0, at) + "Group 0 " + std::to_string(100 + shift) + " 200\r\n" +
               first.substr(at + firstLine.size());
    };

    std::mt19937 random(20261207);
    constexpr int kKills = 60;
    int underWay = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int pipes[2];
        ASSERT_EQ(::pipe(pipes), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipes[0]);
            SaveForever(pipes[1]);
        }
        ::close(pipes[1]);
        const int saves = 1 + static_cast<int>(random() % 8);
        const bool started = WaitForSaves(pipes[0], saves);
        // A random moment inside the next save (or the one after).
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 3000);
        while (std::chrono::steady_clock::now() < until) {
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        // The saves it finished before it died.
        int finished = saves;
        char done[256];
        for (ssize_t got; (got = ::read(pipes[0], done, sizeof done)) > 0;) finished += static_cast<int>(got);
        ::close(pipes[0]);
        ASSERT_TRUE(started) << "the saving game never got going";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << status;

        // The last finished save, or the one under way if it got through.
        const std::string onDisk = SavedText();
        if (onDisk == version(finished + 1)) {
            ++underWay;
        } else {
            ASSERT_EQ(onDisk, version(finished)) << "kill " << kill << " after " << finished << " saves left "
                                                 << onDisk.size() << " bytes that are not the last save";
        }
    }
    // What is left still loads.
    EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Loaded);
    EXPECT_EQ(Game.GetPieceCount(), 100);
    RecordProperty("kills_after_the_rename", underWay);
}

}  // namespace
