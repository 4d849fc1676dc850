// SPDX-License-Identifier: GPL-3.0-or-later
// Where the game's time comes from: a high-resolution counter and a
// millisecond clock. The real one reads the system; tests use ManualClock.
#pragma once

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t Counter() = 0;
    virtual std::int64_t Frequency() = 0;  // counts per second, above 0
    virtual std::uint32_t Milliseconds() = 0;
};
