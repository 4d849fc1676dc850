// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes handed to the BMP decoder either decode or are
// refused with a reason; nothing is read or written out of bounds. Read as a
// stream (as the game reads its own art from the archive), the same bytes
// decode to the same picture, or are refused as well.
#include <algorithm>
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
    const bool decoded = BmpCodec::Decode(data, size, picture, &reason, kMaxPixels);
    if (decoded) {
        long long pixels = static_cast<long long>(picture.Width()) * picture.Height();
        if (picture.IsEmpty() || pixels > kMaxPixels) __builtin_trap();
    } else if (reason.empty()) {
        __builtin_trap();
    }

    std::size_t at = 0;
    auto read = [&](unsigned char* buffer, std::size_t count) {
        const std::size_t n = std::min(count, size - at);
        std::copy_n(data + at, n, buffer);
        at += n;
        return n;
    };
    Surface streamed;
    std::string streamReason;
    if (BmpCodec::DecodeStream(read, size, streamed, &streamReason, kMaxPixels) != decoded) __builtin_trap();
    if (!decoded) {
        if (streamReason.empty()) __builtin_trap();
        return 0;
    }
    if (streamed.Width() != picture.Width() || streamed.Height() != picture.Height()) __builtin_trap();
    for (int y = 0; y < picture.Height(); ++y)
        if (!std::equal(picture.Row(y), picture.Row(y) + picture.Width(), streamed.Row(y))) __builtin_trap();
    return 0;
}
