// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "app/CApp.h"
#include "core/CLog.h"
#include "support/TempFolder.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App.SetWriteFolder(folder.Path().c_str());
        log.Restart();
    }
    void TearDown() override { App.SetWriteFolder(nullptr); }

    // The file without its header, after checking the header.
    std::string Text() const
    {
        std::string text = folder.Read("debug.log");
        std::smatch header;
        if (!std::regex_search(text, header, kHeader, std::regex_constants::match_continuous)) {
            ADD_FAILURE() << "no header in: " << text;
            return text;
        }
        return header.suffix();
    }

    // The build line gives this build's own time and date, "Exe: 12:14:06 Sep 27 2006".
    const std::regex kHeader{
        " ========== Debug Log File ========== \r\n\r\nVersion 1\\.0\r\n"
        "Exe: \\d\\d:\\d\\d:\\d\\d [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}\r\n"};

    TempFolder folder;
    CLog log;
};

TEST_F(LogTest, FirstWriteOfARunEmptiesTheFileAndWritesTheHeader)
{
    folder.Write("debug.log", "the previous run\r\n");
    log.Write("--- Opened data file %s\n", "data.000");
    EXPECT_EQ(Text(), "--- Opened data file data.000\r\n");
}

TEST_F(LogTest, LaterWritesAppend)
{
    log.Write("one\n");
    log.Write("two %i\n", 2);
    log.Write("three");  // the format carries its own line ends
    EXPECT_EQ(Text(), "one\r\ntwo 2\r\nthree");
}

TEST_F(LogTest, APercentSignInAMessageArrivesUnchanged)
{
    log.Write("%s\n", "C:/Pictures/100%s %i %n.jpg");
    EXPECT_EQ(Text(), "C:/Pictures/100%s %i %n.jpg\r\n");
}

TEST_F(LogTest, AnOverlongMessageIsCutNotOverflowed)
{
    std::string huge(40000, 'x');
    log.Write("%s\n", huge.c_str());
    std::string text = Text();
    ASSERT_EQ(text.size(), 16383u);
    EXPECT_EQ(text.back(), 'x');
}

TEST_F(LogTest, AnUnwritableLogLosesTheLineAndGoesOn)
{
    App.SetWriteFolder("/nonexistent-pavendra-folder/");
    log.Write("lost\n");
    log.Write("lost too\n");
    App.SetWriteFolder(folder.Path().c_str());
    log.Write("kept\n");
    EXPECT_EQ(folder.Read("debug.log"), "kept\r\n");  // the header went with the first, lost, line
}

}  // namespace
