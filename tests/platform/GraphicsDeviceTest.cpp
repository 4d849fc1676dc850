// SPDX-License-Identifier: GPL-3.0-or-later
// OpenGL is asked about its renderer only where a graphics card may be: a
// machine with one must never lose it to a guess, one without skips the
// question.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/GraphicsDevice.h"

namespace {

namespace fs = std::filesystem;

class GraphicsDeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 ("pavendra-dev-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    void Touch(const std::string& name)
    {
        fs::create_directories((folder / name).parent_path());
        std::ofstream(folder / name).put('\0');
    }
    fs::path folder;
};

TEST_F(GraphicsDeviceTest, AnyKindOfGraphicsDeviceFileMeansOpenGlIsAsked)
{
    for (const char* device : {"dri/card0", "dri/renderD128", "dri/card1", "nvidiactl", "nvidia0"}) {
        fs::remove_all(folder);
        Touch("null");
        Touch(device);
        EXPECT_TRUE(GraphicsDevice::MayBePresent(folder.string())) << device;
    }
}

TEST_F(GraphicsDeviceTest, WithoutOneOpenGlCouldOnlyDrawOnTheProcessor)
{
    Touch("null");
    Touch("tty0");
    EXPECT_FALSE(GraphicsDevice::MayBePresent(folder.string()));
    fs::create_directories(folder / "dri" / "by-path");  // an empty leftover
    EXPECT_FALSE(GraphicsDevice::MayBePresent(folder.string()));
}

TEST_F(GraphicsDeviceTest, AFolderThatCannotBeReadLeavesTheQuestionToOpenGl)
{
    EXPECT_TRUE(GraphicsDevice::MayBePresent((folder / "missing").string()));
}

}  // namespace
