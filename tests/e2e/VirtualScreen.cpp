// SPDX-License-Identifier: GPL-3.0-or-later
#include "VirtualScreen.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace {

// Xvfb tells its display number on this pipe once it takes connections.
constexpr int kStartTimeoutMs = 20000;

}  // namespace

bool VirtualScreen::Start()
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    Subprocess::Options options;
    options.inheritedFd = pipeFds[1];
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // The server's own fonts only, whatever font packages the machine has:
    // SDL's message box needs core fonts it then never finds, so a box no
    // test answers fails at once on every machine instead of waiting for a
    // click where fonts happen to be installed.
    bool started = server.Start({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen, "-nolisten",
                                 "tcp", "-noreset", "-fp", "built-ins"},
                                options);
    close(pipeFds[1]);
    std::string number;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (started && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{pipeFds[0], POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        char c;
        if (read(pipeFds[0], &c, 1) != 1) break;  // the server went away
        if (c == '\n') break;
        number += c;
    }
    close(pipeFds[0]);
    if (number.empty()) {
        server.Stop();
        return false;
    }
    name = ":" + number;
    return true;
}
