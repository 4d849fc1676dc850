// SPDX-License-Identifier: GPL-3.0-or-later
// Runs another program (a dialog tool of the desktop) and waits for it. The
// arguments go straight to the program: no shell ever sees them.
#pragma once

#include <string>
#include <vector>

class ChildProcess {
public:
    // The program is looked up on PATH. Answers its exit code, or -1 when it
    // could not be started or did not end normally; what it printed on
    // standard output goes to `output` when given.
    static int Run(const std::vector<std::string>& arguments, std::string* output);
    // Whether a program of this name is on PATH.
    static bool IsInstalled(const char* program);
};
