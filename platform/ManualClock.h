// SPDX-License-Identifier: GPL-3.0-or-later
// A clock that only moves when told to: tests drive the game's time with it.
// It counts in microseconds.
#pragma once

#include "platform/Clock.h"

class ManualClock : public Clock {
public:
    static constexpr std::int64_t kFrequency = 1000000;

    std::int64_t Counter() override { return counter; }
    std::int64_t Frequency() override { return kFrequency; }
    std::uint32_t Milliseconds() override { return static_cast<std::uint32_t>(counter / 1000); }

    void SetCounter(std::int64_t value) { counter = value; }
    void Advance(double seconds) { counter += static_cast<std::int64_t>(seconds * kFrequency + (seconds < 0 ? -0.5 : 0.5)); }

private:
    std::int64_t counter = 1000000;  // starts at one second, so that going back is possible
};
