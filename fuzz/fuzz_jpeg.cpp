// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes handed to the JPEG decoder, at full size or
// reduced, either decode or fail with a message; the decoder never exits the
// program nor touches memory outside its buffers.
#include <cstddef>
#include <cstdint>

#include "platform/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Far below the game's limit: the decoder's checks are the same, and a
    // smaller picture lets the fuzzer try many more inputs a second.
    constexpr long long kMaxPixels = 1 << 18;
    JpegDecoder decoder;
    if (!decoder.Init()) __builtin_trap();
    decoder.SetMaxPixels(kMaxPixels);
    if (!decoder.ReadHeaderFromMemory(data, size)) return 0;
    // Large pictures decode reduced, as the game loads them scaled.
    if (static_cast<long long>(decoder.Width()) * decoder.Height() > kMaxPixels) decoder.ScaleToAtLeast(64, 64);
    Surface picture;
    if (decoder.ReadImage(picture)) {
        if (picture.Width() != decoder.OutputWidth() || picture.Height() != decoder.OutputHeight()) __builtin_trap();
    } else if (decoder.ErrorMessage().empty()) {
        __builtin_trap();
    }
    return 0;
}
