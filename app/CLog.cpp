// Placeholder until the application spine lands.
#include "app/CLog.h"

#include <cstdarg>
#include <cstdio>

CLog Log;

void CLog::Write(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}
