// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CLog.h"

#include <cstdarg>
#include <cstdio>

CLog Log;

namespace {

constexpr const char* kLogName = "debug.log";

}  // namespace

void CLog::Write(const char* format, ...)
{
    char message[kMaxFormatted];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);

    if (firstWrite) {
        // The first line of a run starts the file afresh.
        firstWrite = false;
        if (!Open(kLogName, FILE_WRITE_TEXT)) return;
        Printf(" ========== Debug Log File ========== \n\n");
        Printf("Version 1.0\n");
        Printf("Exe: %s %s\n", __TIME__, __DATE__);
    } else if (!Open(kLogName, FILE_APPEND_TEXT)) {
        return;  // the line is lost; the game goes on
    }
    Printf("%s", message);
    Close();
}
