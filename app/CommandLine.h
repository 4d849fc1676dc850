// SPDX-License-Identifier: GPL-3.0-or-later
// The game's command line, in the form desktop programs use:
//
//   pavendra [--windowed] [PICTURE]      play (PICTURE opens on the cut page)
//   pavendra --help | --version          print and end
//
// "--" ends the options, so a picture whose name starts with "-" can be
// given. Anything else is a mistake: a one-line usage on standard error and
// exit code 2.
#pragma once

#include <string>

class CommandLine {
public:
    enum class Action {
        Play,     // start the game
        Help,     // print the help text, exit 0
        Version,  // print the version and build date, exit 0
        Mistake,  // print UsageLine() with the reason on standard error, exit 2
    };

    static constexpr int kMistakeExitCode = 2;

    // Reads the arguments after the program's name.
    static CommandLine Parse(int argc, const char* const* argv);

    Action GetAction() const { return action; }
    bool IsWindowed() const { return windowed; }
    // The picture to open, as given; empty when none.
    const std::string& GetPicture() const { return picture; }
    // What was wrong, for a Mistake: "unknown option '--x'".
    const std::string& GetMistake() const { return mistake; }

    static std::string HelpText();
    static std::string VersionText();
    // One line, ending in "\n".
    static std::string UsageLine(const std::string& mistake);

    // Handles --help, --version and mistakes (printing, exit code). Answers
    // true when the game should start.
    bool Answer(int& exitCode) const;

private:
    Action action = Action::Play;
    bool windowed = false;
    std::string picture;
    std::string mistake;
};
