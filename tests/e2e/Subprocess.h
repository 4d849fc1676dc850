// SPDX-License-Identifier: GPL-3.0-or-later
// A child process for the end-to-end tests: started with its own environment
// additions, working folder and output files; waited for with a bound, never
// forever; killed when the object goes if it still runs.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

class Subprocess {
public:
    struct Options {
        std::vector<std::pair<std::string, std::string>> environment;  // set in the child; an empty value unsets
        std::string workingFolder;  // empty: the test's own
        std::string outputFile;     // standard output; empty: discarded
        std::string errorFile;      // standard error; empty: discarded
        int inheritedFd = -1;       // a descriptor the child keeps open (Xvfb's -displayfd)
    };

    Subprocess() = default;
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    bool Start(const std::vector<std::string>& command, const Options& options);
    bool IsRunning();
    // The exit code once the process ended within the time; a process killed
    // by a signal answers 128 + the signal. Nothing when it still runs.
    std::optional<int> WaitForExit(double seconds);
    // SIGTERM, a short bounded wait, then SIGKILL.
    void Stop();
    pid_t Pid() const { return pid; }

    // Runs a command to its end (bounded) and answers its exit code and output.
    struct Result {
        std::optional<int> exitCode;
        std::string output;
    };
    static Result Run(const std::vector<std::string>& command, const Options& options, double seconds);

private:
    pid_t pid = -1;
    std::optional<int> exitCode;
};
