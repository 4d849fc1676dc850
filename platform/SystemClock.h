// SPDX-License-Identifier: GPL-3.0-or-later
// The system's performance counter and millisecond clock.
#pragma once

#include "platform/Clock.h"

class SystemClock : public Clock {
public:
    std::int64_t Counter() override;
    std::int64_t Frequency() override;
    std::uint32_t Milliseconds() override;

    // The one instance the game uses unless a test sets another.
    static SystemClock& Instance();
};
