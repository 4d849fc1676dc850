// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileDialog.h"

#include <cstdlib>
#include <vector>

#include "platform/ChildProcess.h"

namespace {

FileDialog::StandIn currentStandIn;

// Both tools' exit code for a dialog closed without a choice.
constexpr int kToolCancelled = 1;

// The tools end the path with one line break.
std::string WithoutLineEnd(std::string path)
{
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
    return path;
}

}  // namespace

void FileDialog::SetStandIn(StandIn function) { currentStandIn = std::move(function); }

FileDialog::Answer FileDialog::OpenFile(const std::string& title, const std::string& filterName,
                                        const std::string& patterns)
{
    if (currentStandIn) return currentStandIn(title);

    std::vector<std::string> arguments;
    if (ChildProcess::IsInstalled(kTool)) {
        arguments = {kTool, "--file-selection", "--title=" + title, "--file-filter=" + filterName + " | " + patterns};
    } else if (ChildProcess::IsInstalled(kFallbackTool)) {
        const char* home = std::getenv("HOME");
        arguments = {kFallbackTool, "--title", title, "--getopenfilename", home && *home ? home : ".",
                     filterName + " (" + patterns + ")"};
    } else {
        return {};
    }
    std::string output;
    const int code = ChildProcess::Run(arguments, &output);

    Answer answer;
    std::string path = WithoutLineEnd(output);
    if (code == 0 && !path.empty()) {
        answer.outcome = Outcome::Chosen;
        answer.path = path;
    } else if (code == 0 || code == kToolCancelled) {
        answer.outcome = Outcome::Cancelled;
    }
    // Any other code (the tool could not be started or failed) leaves Unavailable.
    return answer;
}
