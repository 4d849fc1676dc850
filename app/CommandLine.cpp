// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <cstdio>

#ifndef PAVENDRA_VERSION
#define PAVENDRA_VERSION "1.0"
#endif

namespace {

// The compiler's "Mmm dd yyyy" (the day padded with a space) as "yyyy-mm-dd".
std::string BuildDate()
{
    static const std::string kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const std::string date = __DATE__;
    const std::size_t found = kMonths.find(date.substr(0, 3));
    const int month = found == std::string::npos ? 0 : static_cast<int>(found) / 3 + 1;
    std::string day = date.substr(4, 2);
    if (day[0] == ' ') day[0] = '0';
    const char monthDigits[] = {static_cast<char>('0' + month / 10), static_cast<char>('0' + month % 10), '\0'};
    return date.substr(7, 4) + "-" + monthDigits + "-" + day;
}

}  // namespace

CommandLine CommandLine::Parse(int argc, const char* const* argv)
{
    CommandLine line;
    bool optionsEnded = false;
    auto fail = [&line](const std::string& why) {
        line.action = Action::Mistake;
        line.mistake = why;
        return line;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i] ? argv[i] : "";
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            if (argument == "--help") {
                line.action = Action::Help;
            } else if (argument == "--version") {
                if (line.action != Action::Help) line.action = Action::Version;
            } else if (argument == "--windowed") {
                line.windowed = true;
            } else {
                return fail("unknown option '" + argument + "'");
            }
        } else if (argument.empty()) {
            return fail("an empty picture name");
        } else if (!line.picture.empty()) {
            return fail("one picture at a time");
        } else {
            line.picture = argument;
        }
    }
    return line;
}

std::string CommandLine::HelpText()
{
    return "Usage: pavendra [--windowed] [PICTURE]\n"
           "A jigsaw-puzzle game: a picture is cut into pieces that you put together again.\n"
           "\n"
           "  PICTURE      cut this picture (JPEG, PNG, WebP, GIF, TIFF, BMP, TGA, HEIF or AVIF)\n"
           "               into a puzzle: the game starts with it on the cut page\n"
           "  --windowed   start in a window instead of full screen\n"
           "  --help       show this help and end\n"
           "  --version    show the version and the date of the build and end\n"
           "\n"
           "In the game, Escape quits and Alt+Enter switches between full screen and a window.\n"
           "Settings, the saved game and the log are kept beside the game, or in\n"
           "~/.local/share/pavendra/ when the game's folder is read-only.\n";
}

std::string CommandLine::VersionText() { return "Pavendra " PAVENDRA_VERSION " (built " + BuildDate() + ")\n"; }

std::string CommandLine::UsageLine(const std::string& mistake)
{
    return "pavendra: " + mistake + "; usage: pavendra [--help] [--version] [--windowed] [PICTURE]\n";
}

bool CommandLine::Answer(int& exitCode) const
{
    switch (action) {
    case Action::Play:
        return true;
    case Action::Help:
        std::fputs(HelpText().c_str(), stdout);
        exitCode = 0;
        return false;
    case Action::Version:
        std::fputs(VersionText().c_str(), stdout);
        exitCode = 0;
        return false;
    case Action::Mistake:
        break;
    }
    std::fputs(UsageLine(mistake).c_str(), stderr);
    exitCode = kMistakeExitCode;
    return false;
}
