// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CError.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "app/CApp.h"
#include "app/CLog.h"
#include "platform/MessageBox.h"
#include "resources/CFile.h"

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
    App.Shutdown();
    Log.Write("%s", message);
    // The window is gone by now: the box stands on its own.
    MessageBox::Show("Critical Error", message);
    std::exit(-1);
}
