// SPDX-License-Identifier: GPL-3.0-or-later
// Which kind of tracker module a block of bytes holds, judged by its content
// alone: the game's music file carries a name that says nothing of its kind.
#pragma once

#include <cstddef>

enum class TrackerFormat {
    Unknown,
    XM,   // "Extended Module: " at the start
    MOD,  // a channel signature such as "M.K." at byte 1080
    S3M,  // "SCRM" at byte 44
    IT,   // "IMPM" at the start
};

TrackerFormat DetectTrackerFormat(const void* data, std::size_t length);
