// SPDX-License-Identifier: GPL-3.0-or-later
// The command line a desktop starts the game with: --help, --version and
// mistakes answer without starting it; --windowed starts in the frame's
// window; a picture opens on the cut page ("Open with" in a file manager).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "FullScreenGameTest.h"
#include "GameSession.h"
#include "app/CApp.h"
#include "platform/Letterbox.h"
#include "core/CFile.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

// A spot of the picture page clear of every widget, left of the thumbnails.
constexpr int kBackgroundX = 20, kBackgroundY = 300;
// The game's message box, as it looks at (150, 300) of the frame.
constexpr Colour kMessageBoxColour = MakeColour(22, 30, 52);

std::size_t CountLines(const std::string& text)
{
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

struct Answer {
    std::optional<int> exitCode;
    std::string output;
    std::string errors;
};

// The game run without any display, in a folder of its own: a form that
// wrongly starts the game ends at once with exit code 1.
Answer RunWithoutDisplay(const TempFolder& folder, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command = {folder / "pavendra"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    Subprocess::Options options;
    options.environment = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, GameSession::StandInDialogTools(folder)};
    options.errorFile = folder / "stderr.txt";
    Subprocess::Result result = Subprocess::Run(command, options, GameSession::kExitSeconds);
    EXPECT_EQ(GameSession::UnaskedDialogs(folder), "");
    return {result.exitCode, result.output, folder.Read("stderr.txt")};
}

TEST(CommandLineTest, HelpVersionAndMistakesAnswerWithoutStartingTheGame)
{
    TempFolder folder;
    std::filesystem::copy_file(PAVENDRA_BIN_DIR "/pavendra", folder / "pavendra");
    const std::regex help("Usage: pavendra \\[--windowed\\] \\[PICTURE\\]\n[^]*--windowed[^]*--help[^]*--version[^]*");
    const std::regex version("Pavendra " PAVENDRA_VERSION " \\(built 20[0-9]{2}-[01][0-9]-[0-3][0-9]\\)\n");
    const std::regex usage("pavendra: [^\n]+; usage: pavendra \\[--help\\] \\[--version\\] \\[--windowed\\] \\[PICTURE\\]\n");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const std::regex* output;
        const std::regex* errors;
    };
    const Case cases[] = {
        {{"--help"}, 0, &help, nullptr},
        {{"--windowed", "--help"}, 0, &help, nullptr},
        {{"--version", "--help"}, 0, &help, nullptr},
        {{"--version"}, 0, &version, nullptr},
        {{"--bogus"}, 2, nullptr, &usage},
        {{"-w"}, 2, nullptr, &usage},
        {{"--windowed", "--help=me"}, 2, nullptr, &usage},
        {{"one.jpg", "two.jpg"}, 2, nullptr, &usage},
        {{""}, 2, nullptr, &usage},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& argument : c.arguments) shown += " '" + argument + "'";
        SCOPED_TRACE("pavendra" + shown);
        Answer answer = RunWithoutDisplay(folder, c.arguments);
        EXPECT_EQ(answer.exitCode, c.exitCode);
        if (c.output) {
            EXPECT_TRUE(std::regex_match(answer.output, *c.output)) << answer.output;
        } else {
            EXPECT_EQ(answer.output, "");
        }
        if (c.errors) {
            EXPECT_TRUE(std::regex_match(answer.errors, *c.errors)) << answer.errors;
            EXPECT_EQ(CountLines(answer.errors), 1u) << answer.errors;
        } else {
            EXPECT_EQ(answer.errors, "");
        }
        EXPECT_FALSE(folder.Exists("debug.log")) << "the game started";
    }
    // After "--" every word is a picture: the game starts (and, with no
    // display, stops at once as it always does).
    Answer started = RunWithoutDisplay(folder, {"--", "--version"});
    EXPECT_EQ(started.exitCode, 1);
    EXPECT_NE(started.errors.find("Windows Creation Error"), std::string::npos) << started.errors;
}

TEST(CommandLineTest, WindowedStartsInAWindowOfTheFramesSize)
{
    GameSession session(kScreenWidth, kScreenHeight);
    ASSERT_TRUE(session.Launch(true, {"--windowed"}));
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    EXPECT_TRUE(session.WaitForWindowSize(*window, kClientWidth, kClientHeight));
    // Unscaled: the logo's white frame, pixel for pixel.
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        std::optional<GameSession::Geometry> at = session.WindowGeometry(*window);
        return at && shot.IsAll(at->x, at->y, kClientWidth, 4, kWhite) &&
               shot.IsAll(at->x, at->y + kClientHeight - 4, kClientWidth, 4, kWhite);
    }));
    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

// The game started with a picture, full screen on a 1280 x 720 screen.
class PictureArgumentTest : public FullScreenGameTest {
protected:
    // Starts the game with the picture: the logo does not wait for a key then.
    void StartWith(const std::string& picture)
    {
        ASSERT_TRUE(session.Launch(true, {picture}));
        window = session.WaitForWindow("Pavendra");
        ASSERT_TRUE(window) << session.ErrorOutput();
    }
    void QuitWithEscape()
    {
        EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
    }

    std::optional<std::string> window;
};

TEST_F(PictureArgumentTest, APictureOpensOnTheCutPage)
{
    // A picture of one colour, with a space in its name as file managers pass them.
    const Colour green = MakeColour(0x2E, 0x8B, 0x57);
    const std::string picture = session.Folder() / "my picture.png";
    Subprocess::Result made = Subprocess::Run({"convert", "-size", "600x400", "xc:#2E8B57", picture}, {}, 30);
    ASSERT_EQ(made.exitCode, 0) << "ImageMagick could not make the picture";

    ASSERT_NO_FATAL_FAILURE(StartWith(picture));
    // The cut page shows the picture 448 wide round (512, 272), cut lines over
    // it, with no key pressed: well before the logo would end by itself.
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        int green_ = 0, samples = 0;
        for (int y = 180; y <= 360; y += 12)
            for (int x = 320; x <= 700; x += 12, ++samples) green_ += Near(FrameAt(shot, x, y), green);
        return green_ > samples * 3 / 4;
    })) << "no cut page with the picture";
    QuitWithEscape();
    EXPECT_NE(session.Log().find("=== App was shutdown successfully"), std::string::npos) << session.Log();
}

TEST_F(PictureArgumentTest, AMissingPictureIsReportedAndThePicturePageShowsWithNothingLost)
{
    // A saved game and settings of earlier runs, which must come through.
    const TempFolder& folder = session.Folder();
    const std::string saved = TempFolder::ReadFile(PAVENDRA_SOURCE_DIR "/fuzz/corpus/savedgame/singles-4x4.pvs");
    ASSERT_FALSE(saved.empty());
    folder.Write("game.pvs", saved);
    folder.Write("conf.pvd", "NumRunForWeb 0\r\nNumRunForUpdate 7\r\n");
    const std::string missing = folder / "gone/holiday.jpg";
    const Colour menuColour = MenuBackgroundAt(kBackgroundX, kBackgroundY);

    ASSERT_NO_FATAL_FAILURE(StartWith(missing));
    // The game's message over the picture page, which waits behind it.
    auto messageShown = [&](const Screenshot& shot) { return Near(FrameAt(shot, 150, 300), kMessageBoxColour, 6); };
    EXPECT_TRUE(session.WaitForScreen(messageShown)) << "no message\n" << session.Log();
    EXPECT_NE(session.Log().find("Message: The picture file could not be found."), std::string::npos) << session.Log();
    // Enter dismisses it: the picture page, as if nothing had been asked for.
    EXPECT_TRUE(session.PressKeyUntil("Return", *window, [&] {
        std::optional<Screenshot> shot = session.TakeScreenshot();
        return shot && Near(FrameAt(*shot, kBackgroundX, kBackgroundY), menuColour);
    })) << "no picture page";
    QuitWithEscape();
    EXPECT_EQ(folder.Read("game.pvs"), saved);
    // The run counted, the player's choices kept after it.
    EXPECT_EQ(folder.Read("conf.pvd").rfind("NumRunForWeb 0\r\nNumRunForUpdate 8\r\n", 0), 0u) << folder.Read("conf.pvd");
}

}  // namespace
