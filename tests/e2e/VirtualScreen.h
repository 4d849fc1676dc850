// SPDX-License-Identifier: GPL-3.0-or-later
// A private X server in memory (Xvfb) for one test: its own display number,
// so that tests can run side by side, and its own screen size.
#pragma once

#include <string>

#include "Subprocess.h"

class VirtualScreen {
public:
    VirtualScreen(int width, int height) : width(width), height(height) {}

    // Starts the server and waits (bounded) until it takes connections.
    bool Start();
    void Stop() { server.Stop(); }
    // ":N"
    const std::string& Name() const { return name; }
    int Width() const { return width; }
    int Height() const { return height; }

private:
    int width;
    int height;
    std::string name;
    Subprocess server;
};
