// SPDX-License-Identifier: GPL-3.0-or-later
#include "GameSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "CloseRequest.h"

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineIn(double seconds)
{
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

bool CopyInto(const std::string& from, const std::string& to)
{
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

}  // namespace

GameSession::GameSession(int screenWidth, int screenHeight) : screen(screenWidth, screenHeight) {}

GameSession::~GameSession()
{
    game.Stop();
    windowManager.Stop();
    screen.Stop();
    EXPECT_EQ(UnaskedDialogs(folder), "") << "the game opened dialogs the test did not ask for";
}

std::pair<std::string, std::string> GameSession::StandInDialogTools(const TempFolder& folder)
{
    for (const char* tool : {"zenity", "kdialog"}) {
        const std::string file = folder / "tools/" + tool;
        if (std::filesystem::exists(file)) continue;  // the test's own
        // 255: the tool could not run (to SDL too, which then draws its own box).
        folder.Write("tools/" + std::string(tool),
                     "#!/bin/sh\necho \"$(basename \"$0\") $*\" >> '" + (folder / "unasked-dialogs") + "'\nexit 255\n");
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    }
    const char* path = std::getenv("PATH");
    return {"PATH", (folder / "tools") + ":" + (path ? path : "/usr/bin:/bin")};
}

Subprocess::Result GameSession::RunOnScreen(const std::vector<std::string>& command, double seconds)
{
    Subprocess::Options options;
    options.environment = {{"DISPLAY", screen.Name()}};
    return Subprocess::Run(command, options, seconds);
}

bool GameSession::Launch(bool withShippedData, const std::vector<std::string>& arguments)
{
    // A copy, not a link: the game finds its folder from the executable's real place.
    if (!CopyInto(PAVENDRA_BIN_DIR "/pavendra", folder / "pavendra")) return false;
    std::filesystem::permissions(folder / "pavendra", std::filesystem::perms::owner_all);
    std::string archive = PAVENDRA_BIN_DIR "/data.000";
    if (withShippedData && !folder.Exists("data.000") && std::filesystem::exists(archive)) {
        if (!CopyInto(archive, folder / "data.000")) return false;
    }
    std::vector<std::string> command = {folder / "pavendra"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return Start(command);
}

bool GameSession::Start(const std::vector<std::string>& command)
{
    if (!screenStarted && !(screenStarted = screen.Start())) return false;
    Subprocess::Options options;
    options.environment = {{"DISPLAY", screen.Name()}, StandInDialogTools(folder)};
    options.environment.insert(options.environment.end(), environment.begin(), environment.end());
    options.workingFolder.assign(1, '/');  // the root: the game must not depend on where it was started from
    options.outputFile = folder / "stdout.txt";
    options.errorFile = folder / "stderr.txt";
    return game.Start(command, options);
}

bool GameSession::StartWindowManager()
{
    if (!screenStarted && !(screenStarted = screen.Start())) return false;
    Subprocess::Options options;
    // An empty configuration folder of its own: the system's defaults,
    // whoever runs the test.
    options.environment = {
        {"DISPLAY", screen.Name()}, {"HOME", folder.Path()}, {"XDG_CONFIG_HOME", folder / "wm-config"}};
    options.errorFile = folder / "wm-stderr.txt";
    if (!windowManager.Start({"openbox", "--sm-disable"}, options)) return false;
    // A window manager names itself on the root window once it runs.
    auto deadline = DeadlineIn(kStartSeconds);
    do {
        Subprocess::Result found = RunOnScreen({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"});
        if (found.exitCode == 0 && found.output.find("window id") != std::string::npos) return true;
        if (!windowManager.IsRunning()) return false;
        std::this_thread::sleep_for(kPollInterval);
    } while (Clock::now() < deadline);
    return false;
}

std::optional<std::string> GameSession::WaitForWindow(const std::string& title, double seconds)
{
    std::string exactTitle = "^" + title + "$";
    auto deadline = DeadlineIn(seconds);
    do {
        Subprocess::Result found = RunOnScreen({"xdotool", "search", "--onlyvisible", "--name", exactTitle});
        std::istringstream ids(found.output);
        std::string id;
        if (found.exitCode == 0 && ids >> id) return id;
        // The tree lists windows from their creation on, before they are
        // mapped: a key sent to such a window is lost.
        std::optional<std::string> listed = FindInWindowTree(title);
        if (listed && IsViewable(*listed)) return listed;
        if (!game.IsRunning()) return std::nullopt;
        std::this_thread::sleep_for(kPollInterval);
    } while (Clock::now() < deadline);
    return std::nullopt;
}

bool GameSession::IsViewable(const std::string& windowId)
{
    Subprocess::Result info = RunOnScreen({"xwininfo", "-id", windowId});
    return info.exitCode == 0 && info.output.find("Map State: IsViewable") != std::string::npos;
}

std::optional<std::string> GameSession::FindInWindowTree(const std::string& title)
{
    // Lines read:      0x600002 "Critical Error": ()  429x100+425+206  +425+206
    Subprocess::Result tree = RunOnScreen({"xwininfo", "-root", "-tree"});
    std::istringstream lines(tree.output);
    std::string line;
    std::string quoted = "\"" + title + "\":";
    while (std::getline(lines, line)) {
        std::size_t name = line.find(quoted);
        std::istringstream words(line);
        std::string id;
        if (name != std::string::npos && words >> id && id.rfind("0x", 0) == 0) return id;
    }
    return std::nullopt;
}

std::optional<Screenshot> GameSession::TakeScreenshot() { return Screenshot::FromDisplay(screen.Name()); }

bool GameSession::WaitForScreen(const std::function<bool(const Screenshot&)>& test, double seconds)
{
    auto deadline = DeadlineIn(seconds);
    do {
        std::optional<Screenshot> shot = TakeScreenshot();
        if (shot && test(*shot)) return true;
        std::this_thread::sleep_for(kPollInterval);
    } while (Clock::now() < deadline);
    return false;
}

std::optional<GameSession::Geometry> GameSession::WindowGeometry(const std::string& windowId)
{
    Subprocess::Result shape = RunOnScreen({"xdotool", "getwindowgeometry", "--shell", windowId});
    if (shape.exitCode != 0) return std::nullopt;
    Geometry geometry;
    std::istringstream lines(shape.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals);
        int value = std::atoi(line.c_str() + equals + 1);
        if (key == "X") geometry.x = value;
        if (key == "Y") geometry.y = value;
        if (key == "WIDTH") geometry.width = value;
        if (key == "HEIGHT") geometry.height = value;
    }
    return geometry;
}

bool GameSession::WaitForWindowSize(const std::string& windowId, int width, int height, double seconds)
{
    auto deadline = DeadlineIn(seconds);
    do {
        std::optional<Geometry> geometry = WindowGeometry(windowId);
        if (geometry && geometry->width == width && geometry->height == height) return true;
        std::this_thread::sleep_for(kPollInterval);
    } while (Clock::now() < deadline);
    return false;
}

bool GameSession::PressKey(const std::string& keys, const std::string& windowId)
{
    if (!windowId.empty() && RunOnScreen({"xdotool", "windowfocus", windowId}).exitCode != 0) return false;
    return RunOnScreen({"xdotool", "key", keys}).exitCode == 0;
}

bool GameSession::PressKeyUntil(const std::string& keys, const std::string& windowId,
                                const std::function<bool()>& reached, double seconds)
{
    auto deadline = DeadlineIn(seconds);
    do {
        PressKey(keys, windowId);  // a window gone meanwhile fails the focus; the state tells
        auto retry = std::min(deadline, DeadlineIn(kRetrySeconds));
        do {
            if (reached()) return true;
            std::this_thread::sleep_for(kPollInterval);
        } while (Clock::now() < retry);
    } while (Clock::now() < deadline);
    return reached();
}

std::optional<int> GameSession::PressKeyUntilExit(const std::string& keys, const std::string& windowId)
{
    PressKeyUntil(keys, windowId, [this] { return !game.IsRunning(); });
    return WaitForExit(0);
}

bool GameSession::MoveMouse(int x, int y)
{
    return RunOnScreen({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}).exitCode == 0;
}

bool GameSession::Click(int x, int y, int button)
{
    return MoveMouse(x, y) && RunOnScreen({"xdotool", "click", std::to_string(button)}).exitCode == 0;
}

std::optional<int> GameSession::WaitForExit(double seconds) { return game.WaitForExit(seconds); }

bool GameSession::Signal(int signal) { return game.Pid() > 0 && ::kill(game.Pid(), signal) == 0; }

bool GameSession::RequestClose(const std::string& windowId)
{
    return SendCloseRequest(screen.Name(), windowId);
}
