// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CError.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "core/CLog.h"
#include "core/CSystem.h"
#include "platform/MessageBox.h"
#include "core/CFile.h"

CError Error;

void CError::CriticalError(const char* format, ...)
{
    // The message is formatted before anything is released: its arguments may
    // point into what the shutdown frees.
    char message[kMaxFormatted];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);

    if (handler) handler(message);
    System.Shutdown();
    Log.Write("%s", message);
    // The window is gone by now: the box stands on its own.
    MessageBox::Show("Critical Error", message);
    std::exit(-1);
}
