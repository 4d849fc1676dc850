// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessTimes.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

double ProcessTimes::SinceStart()
{
    // Field 22 of /proc/self/stat is the start in clock ticks after boot; the
    // command name before it may hold spaces, so fields count after its ")".
    std::FILE* file = std::fopen("/proc/self/stat", "r");
    if (!file) return 0;
    char text[1024] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[got] = '\0';
    const char* p = std::strrchr(text, ')');
    if (!p) return 0;
    unsigned long long startTicks = 0;
    // After ")": state is field 3, starttime field 22.
    int field = 2;
    for (++p; *p && field < 22; ++p)
        if (*p == ' ') ++field;
    if (std::sscanf(p, "%llu", &startTicks) != 1) return 0;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double seconds = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    return ticks > 0 ? seconds - static_cast<double>(startTicks) / ticks : 0;
}

double ProcessTimes::WallClock()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double ProcessTimes::ProcessorTime()
{
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}
