// Disk files: modes, text line ends, bounded formatting and paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/CApp.h"
#include "platform/MessageBox.h"
#include "resources/CFile.h"
#include "support/TempFolder.h"

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBox::SendToStandardError(true);
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

}  // namespace
