// SPDX-License-Identifier: GPL-3.0-or-later
// Disk files: modes, text line ends, bounded formatting and paths.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "app/CApp.h"
#include "core/CLog.h"
#include "core/CFile.h"
#include "support/TempFolder.h"

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App.SetProgramFolder(program.Path().c_str());
        App.SetWriteFolder(writable.Path().c_str());
    }
    void TearDown() override
    {
        App.SetProgramFolder(nullptr);
        App.SetWriteFolder(nullptr);
    }

    TempFolder program;
    TempFolder writable;
    CFile file;  // resolves against the write folder
};

TEST_F(FileTest, TextWritesStoreLineEndsAsCrLfAndBinaryWritesDoNot)
{
    ASSERT_TRUE(file.Open("conf.pvd", FILE_WRITE_TEXT));
    file.Printf("NumRunForWeb %i\n", 0);
    file.Printf("NumRunForUpdate %i\n", 8);
    file.Close();
    EXPECT_EQ(writable.Read("conf.pvd"), "NumRunForWeb 0\r\nNumRunForUpdate 8\r\n");

    ASSERT_TRUE(file.Open("conf.pvd", FILE_APPEND_TEXT));
    file.Printf("a\nb");
    file.Close();
    EXPECT_EQ(writable.Read("conf.pvd"), "NumRunForWeb 0\r\nNumRunForUpdate 8\r\na\r\nb");

    ASSERT_TRUE(file.Open("raw.bin", FILE_WRITE_BINARY));
    file.Printf("x\ny\n");
    file.Close();
    ASSERT_TRUE(file.Open("raw.bin", FILE_APPEND_BINARY));
    file.Printf("z\n");
    file.Close();
    EXPECT_EQ(writable.Read("raw.bin"), "x\ny\nz\n");
}

TEST_F(FileTest, ATextReadTurnsCrLfBackIntoLineFeeds)
{
    writable.Write("notes.txt", "one\r\ntwo\rthree\r\n");
    ASSERT_TRUE(file.Open("notes.txt", FILE_READ_TEXT));
    char buffer[32] = {};
    std::uint32_t got = file.Read(buffer, sizeof buffer);
    file.Close();
    EXPECT_EQ(std::string(buffer, got), "one\ntwo\rthree\n");
}

TEST_F(FileTest, ReadsAreWholeAndTheSizeKeepsThePosition)
{
    writable.Write("game.pvs", "0123456789");
    ASSERT_TRUE(file.Open("game.pvs", FILE_READ));
    char first[4] = {};
    ASSERT_EQ(file.Read(first, 4), 4u);
    EXPECT_EQ(file.GetSize(), 10u);
    char rest[16] = {};
    EXPECT_EQ(file.Read(rest, sizeof rest), 6u);  // more asked than there is: what there is
    EXPECT_EQ(std::string(rest, 6), "456789");
    file.Close();
}

TEST_F(FileTest, APercentSignInFormattedTextIsWrittenUnchanged)
{
    ASSERT_TRUE(file.Open("out.txt", FILE_WRITE_TEXT));
    file.Printf("%s", "100% sure, %s %d %n");
    file.Close();
    EXPECT_EQ(writable.Read("out.txt"), "100% sure, %s %d %n");
}

TEST_F(FileTest, FormattedTextIsCutAtTheBufferSize)
{
    std::string huge(50000, 'y');
    ASSERT_TRUE(file.Open("out.txt", FILE_WRITE_BINARY));
    file.Printf("%s", huge.c_str());
    file.Close();
    EXPECT_EQ(writable.Read("out.txt").size(), static_cast<std::size_t>(kMaxFormatted - 1));
}

TEST_F(FileTest, UnknownModesAndMissingFilesDoNotOpenButLongPathsDo)
{
    writable.Write("there.txt", "x");
    EXPECT_FALSE(file.Open("there.txt", 6));
    EXPECT_FALSE(file.Open("there.txt", -1));
    EXPECT_FALSE(file.Open("missing.txt", FILE_READ));
    // A name the system refuses (one part longer than a file name may be).
    std::string longName(300, 'n');
    EXPECT_FALSE(file.Open(longName.c_str(), FILE_WRITE_TEXT));
    // Paths far beyond 260 characters are as good as any.
    std::string deep = std::string(200, 'a') + "/" + std::string(200, 'b') + "/" + std::string(200, 'c');
    std::filesystem::create_directories(writable.Path() + "/" + deep);
    std::string name = deep + "/picture.txt";
    ASSERT_TRUE(file.Open(name.c_str(), FILE_WRITE_TEXT));
    file.Printf("far\n");
    file.Close();
    ASSERT_TRUE(file.Open(name.c_str(), FILE_READ));
    EXPECT_EQ(file.GetSize(), 5u);
    file.Close();
}

TEST_F(FileTest, PrintfWithoutAnOpenFileWritesNothing)
{
    file.Printf("nowhere %i\n", 1);  // must not crash
    file.Close();
    file.Close();  // closing twice is harmless
    SUCCEED();
}

TEST_F(FileTest, EachFileResolvesAgainstItsOwnRoot)
{
    program.Write("data/logo.bmp", "resource");
    writable.Write("data/logo.bmp", "not this one");
    CFile resources(FileRoot::Program);
    ASSERT_TRUE(resources.Open("data/logo.bmp", FILE_READ));
    char buffer[16] = {};
    std::uint32_t got = resources.Read(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, got), "resource");
}

TEST_F(FileTest, OpeningAgainClosesTheFileOpenBefore)
{
    writable.Write("a.txt", "A");
    writable.Write("b.txt", "B");
    ASSERT_TRUE(file.Open("a.txt", FILE_READ));
    ASSERT_TRUE(file.Open("b.txt", FILE_READ));
    char c = 0;
    EXPECT_EQ(file.Read(&c, 1), 1u);
    EXPECT_EQ(c, 'B');
}

TEST_F(FileTest, SizeOrReadWithNothingOpenIsACriticalError)
{
    EXPECT_EXIT(file.GetSize(), ::testing::ExitedWithCode(255), "CFile: File should be opened before getting size!");
    EXPECT_EXIT(
        {
            char c;
            file.Read(&c, 1);
        },
        ::testing::ExitedWithCode(255), "CFile: File should be opened before reading!");
}

// A write that hits the disk's limit (here a file-size limit, which makes
// write() fail with EFBIG) is reported and leaves the old file whole; one
// that fits replaces it whole. No half-written file or leftover ever shows.
TEST_F(FileTest, AFileIsReplacedWholeOrNotAtAll)
{
    constexpr rlim_t kLimit = 4096;
    const std::string old = "the old file\n";
    writable.Write("game.pvs", old);
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = kLimit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string expected = old;
    for (std::size_t length : {1u, 100u, 4095u, 4096u, 4097u, 9000u, 20000u, 3000u}) {
        const std::string text(length, static_cast<char>('a' + length % 26));
        ASSERT_TRUE(file.Open("game.pvs", FILE_WRITE_BINARY));
        for (std::size_t at = 0; at < length; at += 1000) file.Printf("%s", text.substr(at, 1000).c_str());
        const bool written = file.Close();
        EXPECT_EQ(written, length <= kLimit) << length;
        if (written) expected = text;
        if (!written) {
            EXPECT_NE(std::string(file.GetError()).find("File too large"), std::string::npos);
        }
        EXPECT_EQ(writable.Read("game.pvs"), expected) << length;
        EXPECT_FALSE(writable.Exists("game.pvs.new"));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    // A write given up before Close never takes the old file's place.
    {
        CFile abandoned;
        ASSERT_TRUE(abandoned.Open("game.pvs", FILE_WRITE_TEXT));
        abandoned.Printf("half");
    }
    EXPECT_EQ(writable.Read("game.pvs"), expected);
    // Something that is no file where the file should go is refused.
    std::filesystem::create_directory(writable / "conf.pvd");
    EXPECT_FALSE(file.Open("conf.pvd", FILE_WRITE_TEXT));
    EXPECT_TRUE(std::filesystem::is_directory(writable / "conf.pvd"));
}

// A FIFO, a device or a folder in a file's place is refused at once, as a
// missing file is, with a line in the log; the game never waits on it.
TEST_F(FileTest, OnlyPlainFilesAreRead)
{
    Log.Restart();
    ASSERT_EQ(mkfifo((writable / "conf.pvd").c_str(), 0644), 0);
    std::filesystem::create_directory(writable / "game.pvs");
    std::filesystem::create_symlink("/dev/zero", writable / "zero.bin");
    std::filesystem::create_directories(program / "data/logo.bmp");
    ASSERT_EQ(mkfifo((program / "data.000").c_str(), 0644), 0);
    for (const char* name : {"conf.pvd", "game.pvs", "zero.bin"}) {
        EXPECT_FALSE(file.Open(name, FILE_READ)) << name;
        EXPECT_FALSE(file.Open(name, FILE_READ_TEXT)) << name;
    }
    CFile resources(FileRoot::Program);
    EXPECT_FALSE(resources.OpenArchive("data.000"));
    EXPECT_FALSE(resources.Open("data/logo.bmp", FILE_READ));
    const std::string log = writable.Read("debug.log");
    EXPECT_NE(log.find("conf.pvd is not a regular file, not read"), std::string::npos) << log;
    EXPECT_NE(log.find("logo.bmp is not a regular file, not read"), std::string::npos) << log;
    // The size comes from the open file, whatever is done to its name.
    writable.Write("game.pvs.txt", "0123456789");
    ASSERT_TRUE(file.Open("game.pvs.txt", FILE_READ));
    std::filesystem::remove(writable / "game.pvs.txt");
    EXPECT_EQ(file.GetSize(), 10u);
}

// With a program folder the game cannot write into, the files it already
// holds still count: the write folder first, then the program folder.
TEST_F(FileTest, ReadsFallBackToTheProgramFolderAndWritesDoNot)
{
    program.Write("conf.pvd", "from the program folder");
    program.Write("game.pvs", "old save");
    writable.Write("game.pvs", "newer save");
    char buffer[64] = {};
    ASSERT_TRUE(file.Open("conf.pvd", FILE_READ));
    EXPECT_EQ(std::string(buffer, file.Read(buffer, sizeof buffer)), "from the program folder");
    ASSERT_TRUE(file.Open("game.pvs", FILE_READ));
    EXPECT_EQ(std::string(buffer, file.Read(buffer, sizeof buffer)), "newer save");
    ASSERT_TRUE(file.Open("conf.pvd", FILE_WRITE_BINARY));
    file.Printf("written");
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(writable.Read("conf.pvd"), "written");
    EXPECT_EQ(program.Read("conf.pvd"), "from the program folder");
}

}  // namespace
