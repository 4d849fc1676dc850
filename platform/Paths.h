// SPDX-License-Identifier: GPL-3.0-or-later
// The folders the game reads from and writes to. Every folder comes back with
// a trailing "/" in a buffer of the caller's; a folder that does not fit is a
// failure, never a cut path.
#pragma once

#include <climits>
#include <cstddef>
#include <string>

// Longest path the game builds, terminator included: as long as the system
// takes a path to be.
constexpr int kMaxPath = PATH_MAX;

class Paths {
public:
    // The folder of the running executable.
    static bool ExecutableFolder(char* out, std::size_t size);
    // The player's own data folder for this game (created when missing).
    static bool UserDataFolder(char* out, std::size_t size);
    // The current directory.
    static bool CurrentFolder(char* out, std::size_t size);
    // Whether files can be created in the folder.
    static bool IsWritableFolder(const char* folder);
    // Finds the file whose name, with every space written as "_", is
    // `written`: each part of the path may mix spaces and "_" freely. A
    // relative name is looked for under `base` (a folder ending with "/", or
    // "" for the current folder). The name found comes back in the same form
    // as `written` (without `base`); an exact match is preferred.
    static bool FindWithSpacesAsUnderscores(const char* base, const std::string& written, std::string* found);
    // Copies text into a buffer of `size` bytes; false (and an empty buffer)
    // when it does not fit.
    static bool CopyBounded(char* out, std::size_t size, const char* text);
    // The file named by what was dropped onto the window: a path as it is, or
    // the first "file://" address of a list (percent escapes decoded). Empty
    // when the text names no local file.
    static std::string FromDroppedText(const std::string& text);
};
