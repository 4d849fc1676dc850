// SPDX-License-Identifier: GPL-3.0-or-later
#include "Subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

void RedirectTo(const std::string& file, int fd)
{
    int target = open(file.empty() ? "/dev/null" : file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (target >= 0) {
        dup2(target, fd);
        close(target);
    }
}

int DecodeStatus(int status)
{
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

Subprocess::~Subprocess() { Stop(); }

bool Subprocess::Start(const std::vector<std::string>& command, const Options& options)
{
    if (command.empty()) return false;
    std::vector<char*> argv;
    for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        // The child: only async-signal-safe calls matter little here, the
        // test process is single-threaded.
        for (const auto& [name, value] : options.environment) {
            if (value.empty()) {
                unsetenv(name.c_str());
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) _exit(126);
        int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, 0);
        RedirectTo(options.outputFile, 1);
        RedirectTo(options.errorFile, 2);
        if (options.inheritedFd >= 0) fcntl(options.inheritedFd, F_SETFD, 0);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    exitCode.reset();
    return true;
}

bool Subprocess::IsRunning() { return pid > 0 && !WaitForExit(0).has_value(); }

std::optional<int> Subprocess::WaitForExit(double seconds)
{
    if (exitCode) return exitCode;
    if (pid <= 0) return std::nullopt;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            exitCode = DecodeStatus(status);
            return exitCode;
        }
        if (done < 0) return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(kPollInterval);
    }
}

void Subprocess::Stop()
{
    if (pid <= 0 || exitCode) return;
    kill(pid, SIGTERM);
    if (!WaitForExit(5.0)) {
        kill(pid, SIGKILL);
        WaitForExit(5.0);
    }
}

Subprocess::Result Subprocess::Run(const std::vector<std::string>& command, const Options& options, double seconds)
{
    // The output goes through a file: a pipe could fill up and stall the child.
    char pattern[] = "/tmp/pavendra-run-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    Options withOutput = options;
    withOutput.outputFile = pattern;
    Result result;
    Subprocess process;
    if (process.Start(command, withOutput)) {
        result.exitCode = process.WaitForExit(seconds);
        process.Stop();
    }
    std::ifstream in(pattern, std::ios::binary);
    result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::remove(pattern);
    return result;
}
