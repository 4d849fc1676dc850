// SPDX-License-Identifier: GPL-3.0-or-later
// The records file: best times and solves per picture and cut, a damaged
// line skipped and the rest kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SavedGameFixture.h"
#include "puzzle/PuzzleRecords.h"

using namespace saves_test;

namespace {

using Record = PuzzleRecords::Record;

class PuzzleRecordsTest : public SavedGameTest {};

TEST_F(PuzzleRecordsTest, TheBestTimeAndTheSolvesAreKeptPerPictureAndCut)
{
    const std::string picture = "/home/me/My Pictures/the parrot.jpg";
    PuzzleRecords::Finish first = PuzzleRecords::Add(picture, 4, 4, 279.44f);
    EXPECT_TRUE(first.first);
    EXPECT_TRUE(first.newBest);
    EXPECT_FLOAT_EQ(first.best, 279.4f);
    EXPECT_EQ(first.solved, 1);

    PuzzleRecords::Finish slower = PuzzleRecords::Add(picture, 4, 4, 300);
    EXPECT_FALSE(slower.newBest);
    EXPECT_FLOAT_EQ(slower.best, 279.4f);
    EXPECT_EQ(slower.solved, 2);

    PuzzleRecords::Finish tie = PuzzleRecords::Add(picture, 4, 4, 279.41f);
    EXPECT_FALSE(tie.newBest) << "a tie is no new best";

    PuzzleRecords::Finish otherCut = PuzzleRecords::Add(picture, 5, 4, 500);
    EXPECT_TRUE(otherCut.first);
    PuzzleRecords::Finish faster = PuzzleRecords::Add(picture, 4, 4, 100);
    EXPECT_TRUE(faster.newBest);
    EXPECT_FALSE(faster.first);
    EXPECT_EQ(faster.solved, 4);

    EXPECT_EQ(PuzzleRecords::Read(), (std::vector<Record>{{picture, 4, 4, 100, 4}, {picture, 5, 4, 500, 1}}));
    EXPECT_NE(write.Read(PuzzleRecords::kName).find("\r\n"), std::string::npos) << "text as conf.pvd is";
}

TEST_F(PuzzleRecordsTest, DamagedLinesAreSkippedWithALogLineAndTheRestStand)
{
    const std::string text = "// comment\r\n"
                             "Solved 4 4 12.5 1 data/images/image3.bmp\r\n"
                             "Solved 4 4 12.5\r\n"                      // cut short
                             "Solved 0 4 12.5 1 a.jpg\n"                // no such cut
                             "Solved 4 276 12.5 1 a.jpg\n"              // beyond any cut
                             "Solved 4 4 -1 1 a.jpg\n"                  // time before zero
                             "Solved 4 4 nan 1 a.jpg\n"                 // no time
                             "Solved 4 4 1e30 1 a.jpg\n"                // beyond the clock
                             "Solved 4 4 12 0 a.jpg\n"                  // never solved
                             "Solved 4 4 12 1 \n"                       // no picture
                             "Best 4 4 12 1 a.jpg\n"                    // unknown
                             "\xff\xfe garbage\n"
                             "Solved 13 9 3600.0 7 /pictures/with  two spaces.png";
    int skipped = 0;
    EXPECT_EQ(PuzzleRecords::Parse(text, &skipped),
              (std::vector<Record>{{"data/images/image3.bmp", 4, 4, 12.5f, 1},
                                   {"/pictures/with  two spaces.png", 13, 9, 3600, 7}}));
    EXPECT_EQ(skipped, 10);

    write.Write(PuzzleRecords::kName, text);
    EXPECT_EQ(PuzzleRecords::Read().size(), 2u);
    EXPECT_NE(LogText().find("10 damaged lines of records.pvd skipped"), std::string::npos) << LogText();
    // Writing keeps what could be read.
    PuzzleRecords::Add("data/images/image3.bmp", 4, 4, 20);
    EXPECT_EQ(PuzzleRecords::Read(), (std::vector<Record>{{"data/images/image3.bmp", 4, 4, 12.5f, 2},
                                                          {"/pictures/with  two spaces.png", 13, 9, 3600, 7}}));
}

TEST_F(PuzzleRecordsTest, TheFinishLineTellsTheTimeAndTheBest)
{
    EXPECT_EQ(CGame::FormatDuration(279.9f), "4:39");
    EXPECT_EQ(CGame::FormatDuration(0), "0:00");
    EXPECT_EQ(CGame::FormatDuration(3723), "1:02:03");
}

}  // namespace
