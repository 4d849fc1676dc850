// SPDX-License-Identifier: GPL-3.0-or-later
// The file dialog runs the desktop's dialog tool as a child process. A stand-in
// tool on PATH answers here the way the real one does: the path on standard
// output with 0, or 1 when the player cancels.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/FileDialog.h"
#include "support/TempFolder.h"

namespace {

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The tool itself, found on a PATH of the test's own.
        FileDialog::SetStandIn(nullptr);
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "";
        setenv("PATH", tools.Path().c_str(), 1);
    }
    void TearDown() override { setenv("PATH", savedPath.c_str(), 1); }

    // A tool that records its arguments, one a line, prints `output` and exits with `code`.
    void InstallTool(const std::string& output, int code)
    {
        tools.Write("output", output);
        tools.Write(FileDialog::kTool, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + (tools / "arguments") +
                                           "'\n/bin/cat '" + (tools / "output") + "'\nexit " + std::to_string(code) + "\n");
        chmod((tools / FileDialog::kTool).c_str(), 0755);
    }

    static FileDialog::Answer Open(const std::string& title = "Select your image (.jpg)")
    {
        return FileDialog::OpenFile(title, "JPG (*.jpg)", "*.jpg *.JPG");
    }

    TempFolder tools;
    std::string savedPath;
};

TEST_F(FileDialogTest, TheChosenPathComesBackWhole)
{
    InstallTool("/home/player/my pictures/it's $HOME.jpg\n", 0);
    FileDialog::Answer answer = Open("A \"quoted\" $title; `x`");
    EXPECT_EQ(answer.outcome, FileDialog::Outcome::Chosen);
    EXPECT_EQ(answer.path, "/home/player/my pictures/it's $HOME.jpg");
    // Every argument reached the tool as it was written: no shell in between.
    EXPECT_EQ(tools.Read("arguments"),
              "--file-selection\n--title=A \"quoted\" $title; `x`\n--file-filter=JPG (*.jpg) | *.jpg *.JPG\n");
}

TEST_F(FileDialogTest, CancellingAndAMissingToolAreToldApart)
{
    InstallTool("", 1);
    EXPECT_EQ(Open().outcome, FileDialog::Outcome::Cancelled);
    InstallTool("", 5);  // the tool itself failed
    EXPECT_EQ(Open().outcome, FileDialog::Outcome::Unavailable);
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(Open().outcome, FileDialog::Outcome::Unavailable);
}

TEST_F(FileDialogTest, WithoutZenityKdialogAsks)
{
    tools.Write("output", "/home/player/photo.heic\n");
    tools.Write(FileDialog::kFallbackTool, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" +
                                               (tools / "arguments") + "'\n/bin/cat '" + (tools / "output") + "'\n");
    chmod((tools / FileDialog::kFallbackTool).c_str(), 0755);
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    setenv("HOME", "/home/player", 1);
    FileDialog::Answer answer = FileDialog::OpenFile("Select your picture", "Pictures", "*.png *.heic");
    setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(answer.outcome, FileDialog::Outcome::Chosen);
    EXPECT_EQ(answer.path, "/home/player/photo.heic");
    EXPECT_EQ(tools.Read("arguments"),
              "--title\nSelect your picture\n--getopenfilename\n/home/player\nPictures (*.png *.heic)\n");
}

}  // namespace
