// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's file-open dialog, for the player's own picture. Linux has no
// dialog of its own, so a dialog tool of the desktop (zenity, else kdialog)
// runs as a child process and the game waits for it. Without either nothing
// is shown and the caller is told so.
#pragma once

#include <functional>
#include <string>

class FileDialog {
public:
    enum class Outcome { Chosen, Cancelled, Unavailable };

    struct Answer {
        Outcome outcome = Outcome::Unavailable;
        std::string path;  // the full path when Chosen
    };

    // Modal: returns once the player chose a file or cancelled.
    // filterName is what the player reads ("Pictures"); patterns are shell
    // patterns separated by blanks ("*.jpg *.JPG").
    static Answer OpenFile(const std::string& title, const std::string& filterName, const std::string& patterns);

    // Tests answer in place of the player; an empty function restores the tool.
    using StandIn = std::function<Answer(const std::string& title)>;
    static void SetStandIn(StandIn standIn);

    // The programs that show the dialog (looked up on PATH), in the order tried,
    // and the package a player installs to get the first.
    static constexpr const char* kTool = "zenity";
    static constexpr const char* kFallbackTool = "kdialog";
    static constexpr const char* kPackage = "zenity";
};
