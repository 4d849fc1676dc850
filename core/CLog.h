// SPDX-License-Identifier: GPL-3.0-or-later
// The debug log "debug.log": one run per file, every line opens, appends and
// closes the file so that the log is complete on disk after each write.
#pragma once

#include "core/CFile.h"

class CLog : public CFile {
public:
    // printf-style; the format carries its own line ends.
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Test hook: the next write starts the file afresh, as at the start of a run.
    void Restart() { firstWrite = true; }

private:
    bool firstWrite = true;
};

extern CLog Log;
