// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes handed to the BMP decoder either decode or are
// refused with a reason; nothing is read or written out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A smaller limit than the game's keeps each run quick.
    constexpr long long kMaxPixels = 1 << 22;
    Surface picture;
    std::string reason;
    if (BmpCodec::Decode(data, size, picture, &reason, kMaxPixels)) {
        long long pixels = static_cast<long long>(picture.Width()) * picture.Height();
        if (picture.IsEmpty() || pixels > kMaxPixels) __builtin_trap();
    } else if (reason.empty()) {
        __builtin_trap();
    }
    return 0;
}
