// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SystemClock.h"

#include <SDL.h>

std::int64_t SystemClock::Counter() { return static_cast<std::int64_t>(SDL_GetPerformanceCounter()); }
std::int64_t SystemClock::Frequency() { return static_cast<std::int64_t>(SDL_GetPerformanceFrequency()); }
std::uint32_t SystemClock::Milliseconds() { return SDL_GetTicks(); }

SystemClock& SystemClock::Instance()
{
    static SystemClock clock;
    return clock;
}
