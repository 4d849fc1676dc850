// SPDX-License-Identifier: GPL-3.0-or-later
// The real game in a real window, for end-to-end tests: a private Xvfb
// screen, a fresh program folder holding a copy of the built executable (and
// the data archive when the build has one), the game started in it, and the
// ways a player meets it: screenshots, keys and clicks through xdotool, the
// exit code and the files it wrote. Every wait polls for a state with a bound.
// The game knows no display but that screen, and finds stand-ins for the
// desktop's dialog tools: one the test did not write itself fails the test.
//
//     GameSession session;               // a 1280 x 720 screen
//     ASSERT_TRUE(session.Launch());
//     ASSERT_TRUE(session.WaitForWindow("Pavendra"));
//     ASSERT_TRUE(session.WaitForFrame([](const Screenshot& s) { ... }));
//     session.PressKey("Escape");
//     EXPECT_EQ(session.WaitForExit(), 0);
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "Subprocess.h"
#include "VirtualScreen.h"
#include "support/TempFolder.h"

class GameSession {
public:
    // Bounds of the waits, generous for the sanitizer builds on a busy machine.
    static constexpr double kStartSeconds = 60;
    static constexpr double kExitSeconds = 60;

    explicit GameSession(int screenWidth = 1280, int screenHeight = 720);
    ~GameSession();

    // The fresh program folder: put extra files (or a data archive of the
    // test's own) here before Launch.
    const TempFolder& Folder() const { return folder; }
    // Starts the screen (first time) and the game, with the shipped archive
    // copied in unless withShippedData is false or the folder has one already,
    // and the command-line arguments given.
    bool Launch(bool withShippedData = true, const std::vector<std::string>& arguments = {});
    // Starts the screen (first time) and any command on it, its output in the
    // session's folder as the game's is: an installed copy of the game.
    bool Start(const std::vector<std::string>& command);
    // Starts the screen (first time) and a window manager on it (openbox,
    // with no configuration of the user's), as a desktop has one; answers
    // once it has taken the screen. Before Launch.
    bool StartWindowManager();
    // An environment variable the game is started with (set before Launch or Start).
    void SetEnvironment(const std::string& name, const std::string& value) { environment.emplace_back(name, value); }

    // The desktop's dialog tools (zenity, kdialog) as a game under test finds
    // them: stand-ins written into the folder's "tools/", first on the PATH
    // answered here. Each records its call in "unasked-dialogs" and fails at
    // once (as a tool that could not run), so that a dialog the test did not
    // ask for fails the test instead of waiting for a player. A test that
    // wants a dialog writes its own tool there first.
    static std::pair<std::string, std::string> StandInDialogTools(const TempFolder& folder);
    // The stand-ins' calls, one a line; empty when none was called.
    static std::string UnaskedDialogs(const TempFolder& folder) { return folder.Read("unasked-dialogs"); }

    // Waits for a window on the screen (mapped, so that it can take keys)
    // whose title is exactly `title`; answers its id. Gives up at once when
    // the game has ended: the window can no longer come.
    std::optional<std::string> WaitForWindow(const std::string& title, double seconds = kStartSeconds);
    // The whole screen, now.
    std::optional<Screenshot> TakeScreenshot();
    // Takes screenshots until one satisfies the test.
    bool WaitForScreen(const std::function<bool(const Screenshot&)>& test, double seconds = kStartSeconds);
    // The game's window: its position and size on the screen.
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
    };
    std::optional<Geometry> WindowGeometry(const std::string& windowId);
    // Waits until the window has the size (as the window system applies it).
    bool WaitForWindowSize(const std::string& windowId, int width, int height, double seconds = 10);

    // Keys by xdotool's names ("Escape", "alt+Return", "a"), to the focused
    // window (given: focused first).
    bool PressKey(const std::string& keys, const std::string& windowId = "");
    // Presses the keys on the window until the state is reached: a press
    // that the window was not yet ready for is lost, so after kRetrySeconds
    // without the state the keys go again. Answers whether it was reached.
    static constexpr double kRetrySeconds = 3;
    bool PressKeyUntil(const std::string& keys, const std::string& windowId, const std::function<bool()>& reached,
                       double seconds = kExitSeconds);
    // Presses the keys until the game ends; answers its exit code.
    std::optional<int> PressKeyUntilExit(const std::string& keys, const std::string& windowId);
    // A click at screen pixel (x, y); button 1 left, 3 right.
    bool Click(int x, int y, int button = 1);
    bool MoveMouse(int x, int y);

    // The exit code once the game ended, nothing if it still runs after the bound.
    std::optional<int> WaitForExit(double seconds = kExitSeconds);
    bool IsRunning() { return game.IsRunning(); }
    // Sends a signal to the game, as the system does at the end of a session.
    bool Signal(int signal);
    // Asks the window to close, as a desktop's close button does
    // (WM_DELETE_WINDOW).
    bool RequestClose(const std::string& windowId);

    std::string ReadFile(const std::string& name) const { return folder.Read(name); }
    std::string Log() const { return ReadFile("debug.log"); }
    std::string ErrorOutput() const { return ReadFile("stderr.txt"); }
    const VirtualScreen& Screen() const { return screen; }

    // Runs an X client (xdotool, import) against the session's screen.
    Subprocess::Result RunOnScreen(const std::vector<std::string>& command, double seconds = 20);

private:
    // Windows whose title xdotool cannot read (a UTF-8 WM_NAME, as on SDL's
    // message boxes) are found in the window tree.
    std::optional<std::string> FindInWindowTree(const std::string& title);
    // Whether the window is mapped and everything above it too.
    bool IsViewable(const std::string& windowId);

    VirtualScreen screen;
    bool screenStarted = false;
    TempFolder folder;
    Subprocess game;
    Subprocess windowManager;
    std::vector<std::pair<std::string, std::string>> environment;
};
