// SPDX-License-Identifier: GPL-3.0-or-later
// Reading through the data archive "data.000": real ZIP files made here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CApp.h"
#include "core/CLog.h"
#include "core/CFile.h"
#include "support/TempFolder.h"
#include "support/ZipBuilder.h"

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App.SetProgramFolder(program.Path().c_str());
        App.SetWriteFolder(program.Path().c_str());
        Log.Restart();
    }
    void TearDown() override
    {
        file.Close();
        file.CloseArchive();
        App.SetProgramFolder(nullptr);
        App.SetWriteFolder(nullptr);
    }

    void MakeArchive(const ZipBuilder& zip) { ASSERT_TRUE(zip.Write(program / "data.000")); }

    // The whole-file read every loader does: open, size, read, close.
    std::string ReadWhole(const char* name)
    {
        if (!file.Open(name, FILE_READ)) return "<not found>";
        std::uint32_t size = file.GetSize();
        std::vector<char> bytes(size);
        std::uint32_t got = file.Read(bytes.data(), size);
        file.Close();
        return std::string(bytes.data(), got);
    }

    TempFolder program;
    CFile file{FileRoot::Program};
};

TEST_F(ArchiveTest, TheArchivesCopyBeatsTheDisk)
{
    MakeArchive(ZipBuilder().Add("data/logo.bmp", "from the archive"));
    program.Write("data/logo.bmp", "from the disk");
    ASSERT_TRUE(file.OpenArchive("data.000"));
    EXPECT_EQ(ReadWhole("data/logo.bmp"), "from the archive");
    EXPECT_NE(program.Read("debug.log").find("--- Opened data file data.000\r\n"), std::string::npos);
}

TEST_F(ArchiveTest, LetterCaseIsIgnoredInTheArchive)
{
    MakeArchive(ZipBuilder().Add("Sounds/Button.wav", "click", false));
    ASSERT_TRUE(file.OpenArchive("data.000"));
    EXPECT_EQ(ReadWhole("sounds/BUTTON.WAV"), "click");
}

TEST_F(ArchiveTest, ANameMissingFromTheArchiveIsReadFromTheDisk)
{
    MakeArchive(ZipBuilder().Add("data/logo.bmp", "logo"));
    program.Write("data/images/image3.bmp", "loose picture");
    ASSERT_TRUE(file.OpenArchive("data.000"));
    EXPECT_EQ(ReadWhole("data/images/image3.bmp"), "loose picture");
    EXPECT_EQ(ReadWhole("data/images/image4.bmp"), "<not found>");
    EXPECT_EQ(ReadWhole("data/logo.bmp"), "logo");  // the archive still answers afterwards
}

TEST_F(ArchiveTest, WithoutAnArchiveEverythingComesFromTheDisk)
{
    program.Write("data/logo.bmp", "loose logo");
    EXPECT_FALSE(file.OpenArchive("data.000"));
    EXPECT_NE(program.Read("debug.log").find("--- Data file data.000 not found\r\n"), std::string::npos);
    EXPECT_EQ(ReadWhole("data/logo.bmp"), "loose logo");
}

TEST_F(ArchiveTest, AFileThatIsNoZipIsTakenAsNoArchive)
{
    program.Write("data.000", "this is not a zip archive at all");
    program.Write("data/logo.bmp", "loose logo");
    EXPECT_FALSE(file.OpenArchive("data.000"));
    EXPECT_NE(program.Read("debug.log").find("--- Data file data.000 not found\r\n"), std::string::npos);
    EXPECT_EQ(ReadWhole("data/logo.bmp"), "loose logo");
}

TEST_F(ArchiveTest, WritesGoToTheDiskEvenWithTheArchiveOpen)
{
    MakeArchive(ZipBuilder().Add("game.pvs", "archived"));
    ASSERT_TRUE(file.OpenArchive("data.000"));
    ASSERT_TRUE(file.Open("game.pvs", FILE_WRITE_TEXT));
    file.Printf("written\n");
    file.Close();
    EXPECT_EQ(program.Read("game.pvs"), "written\r\n");
    EXPECT_EQ(ReadWhole("game.pvs"), "archived");  // a read still prefers the archive
}

TEST_F(ArchiveTest, LargeCompressedEntriesReadWhole)
{
    std::string big;
    for (int i = 0; i < 200000; ++i) big += static_cast<char>('a' + i * 7 % 26);
    MakeArchive(ZipBuilder().Add("Sounds/music.trk", big));
    ASSERT_TRUE(file.OpenArchive("data.000"));
    ASSERT_TRUE(file.Open("Sounds/music.trk", FILE_READ));
    EXPECT_EQ(file.GetSize(), big.size());
    file.Close();
    EXPECT_EQ(ReadWhole("Sounds/music.trk"), big);
}

TEST_F(ArchiveTest, AnEntryThatCannotBeOpenedIsACriticalError)
{
    MakeArchive(ZipBuilder().Add("data/logo.bmp", "logo"));
    ASSERT_TRUE(ZipBuilder::SetMethod(program / "data.000", "data/logo.bmp", 99));
    EXPECT_EXIT(
        {
            file.OpenArchive("data.000");
            file.Open("data/logo.bmp", FILE_READ);
        },
        ::testing::ExitedWithCode(255), "Critical Error: CFile: Couldn't open file data/logo.bmp in data.000 file!");
}

TEST_F(ArchiveTest, AnEntryThatLiesAboutItsSizeIsACriticalError)
{
    // A stored entry whose header claims 4 GB: no loader may be asked to
    // allocate that.
    MakeArchive(ZipBuilder().Add("data/logo.bmp", "logo", false));
    ASSERT_TRUE(ZipBuilder::SetUncompressedSize(program / "data.000", "data/logo.bmp", 0xFFFFFFF0u));
    EXPECT_EXIT(
        {
            file.OpenArchive("data.000");
            if (file.Open("data/logo.bmp", FILE_READ)) file.GetSize();
        },
        ::testing::ExitedWithCode(255), "CFile: Couldn't get size of file in data.000 file!");
}

TEST_F(ArchiveTest, ADamagedEntryIsReportedAndReadsAsNothing)
{
    // A stored entry with a spoilt byte fails its checksum; a compressed one
    // that claims more than its stream holds ends early.
    const std::string bytes(3000, 'q');
    MakeArchive(ZipBuilder().Add("data/logo.bmp", "logo bytes", false).Add("Sounds/x.wav", bytes).Add("ok.txt", bytes));
    ASSERT_TRUE(ZipBuilder::SpoilStoredData(program / "data.000", "data/logo.bmp"));
    ASSERT_TRUE(ZipBuilder::SetUncompressedSize(program / "data.000", "Sounds/x.wav", 3100));
    ASSERT_TRUE(file.OpenArchive("data.000"));
    EXPECT_EQ(ReadWhole("data/logo.bmp"), "");
    EXPECT_EQ(ReadWhole("Sounds/x.wav"), "");
    EXPECT_EQ(ReadWhole("ok.txt"), bytes);
    const std::string log = program.Read("debug.log");
    for (const char* name : {"data/logo.bmp", "Sounds/x.wav"}) {
        const std::string line = std::string("CFile: File ") + name + " in data.000 file is damaged\r\n";
        ASSERT_NE(log.find(line), std::string::npos) << log;
        EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << "reported once";
    }
    EXPECT_EQ(log.find("ok.txt"), std::string::npos);
}

TEST_F(ArchiveTest, SizeAndReadOfAClosedEntryAreCriticalErrors)
{
    MakeArchive(ZipBuilder().Add("data/logo.bmp", "logo"));
    ASSERT_TRUE(file.OpenArchive("data.000"));
    ASSERT_TRUE(file.Open("data/logo.bmp", FILE_READ));
    file.Close();
    EXPECT_EXIT(file.GetSize(), ::testing::ExitedWithCode(255),
                "CFile: File should be opened before getting size!");
    EXPECT_EXIT(
        {
            char byte;
            file.Read(&byte, 1);
        },
        ::testing::ExitedWithCode(255), "CFile: File should be opened before reading!");
}

}  // namespace
