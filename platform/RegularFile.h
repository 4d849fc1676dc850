// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file for reading only when it is a plain file: a FIFO, a device
// or a folder in its place would hang the game or report a size it does not
// have. The check opens without blocking and looks at what was opened, so
// nothing can swap the file between the check and the read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class RegularFile {
public:
    enum class Result { Opened, Missing, NotRegular, Failed };

    // Opens `path` for reading ("rb"); the stream comes back in `stream`.
    // Missing: nothing there. NotRegular: something that is not a plain file.
    // Failed: there, but it cannot be opened (the reason in `why`).
    static Result OpenForReading(const char* path, std::FILE** stream, std::string* why);
    // Opens `path` for appending ("ab"), creating it when missing; refused
    // for anything but a plain file.
    static Result OpenForAppending(const char* path, std::FILE** stream, std::string* why);
    // Whether `path` is a plain file, checked the same way.
    static bool IsRegular(const char* path);
    // The size of the open file itself.
    static bool SizeOf(std::FILE* stream, std::uint64_t* size);
};
