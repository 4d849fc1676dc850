#include "platform/FileDialog.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace {

FileDialog::StandIn currentStandIn;

// The tool's exit code for a dialog closed without a choice.
constexpr int kToolCancelled = 1;

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            return text;
        }
    }
}

// The tool ends the path with one line break.
std::string WithoutLineEnd(std::string path)
{
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
    return path;
}

int WaitForExitCode(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

void FileDialog::SetStandIn(StandIn function) { currentStandIn = std::move(function); }

FileDialog::Answer FileDialog::OpenFile(const std::string& title, const std::string& filterName,
                                        const std::string& patterns)
{
    if (currentStandIn) return currentStandIn(title);

    // Arguments go straight to the program: no shell ever sees them.
    std::vector<std::string> arguments = {kTool, "--file-selection", "--title=" + title,
                                          "--file-filter=" + filterName + " | " + patterns};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    pid_t child = 0;
    int spawned = posix_spawnp(&child, kTool, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return {};
    }
    std::string output = ReadAll(pipeEnds[0]);
    close(pipeEnds[0]);
    int code = WaitForExitCode(child);

    Answer answer;
    std::string path = WithoutLineEnd(output);
    if (code == 0 && !path.empty()) {
        answer.outcome = Outcome::Chosen;
        answer.path = path;
    } else if (code == 0 || code == kToolCancelled) {
        answer.outcome = Outcome::Cancelled;
    }
    // Any other code (127: the tool could not be started) leaves Unavailable.
    return answer;
}
