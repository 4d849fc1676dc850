// Placeholder until the application spine lands.
#include "app/CError.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

CError Error;

void CError::CriticalError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::exit(-1);
}
