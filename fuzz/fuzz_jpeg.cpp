// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes handed to the JPEG decoder, at full size or
// reduced, either decode or fail with a message; the decoder never exits the
// program nor touches memory outside its buffers. The rows it shows while
// decoding are reduced beside it, as a large cut's picture is: they only
// ever grow, stay within the picture, and are read while it decodes on; a
// failed decode withdraws them before they go.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/AreaReducer.h"
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

    std::unique_ptr<AreaReducer> reducer;
    std::thread beside;
    int shown = 0;
    decoder.WatchRows([&](const Surface& rows, int final) {
        if (final == 0) {  // a failed decode takes the rows it showed away
            if (!reducer || !beside.joinable()) __builtin_trap();
            reducer->Abandon();
            beside.join();
            return;
        }
        if (final <= shown || final > rows.Height()) __builtin_trap();
        shown = final;
        if (!reducer) {
            reducer = std::make_unique<AreaReducer>(rows.Width(), rows.Height(), (rows.Width() * 3 + 3) / 4,
                                                    (rows.Height() * 3 + 3) / 4);
            beside = std::thread([&] { reducer->Work(); });
        }
        reducer->Arrived(rows.Pixels(), final);
    });
    Surface picture;
    const bool decoded = decoder.ReadImage(picture);
    if (reducer) {
        // A failed decode has stopped the reduction before its rows went.
        if (decoded != beside.joinable()) __builtin_trap();
        if (decoded) {
            reducer->Arrived(picture.Pixels(), picture.Height());  // the last bands, if any wait
            beside.join();
            if (reducer->TakeResult().Height() != (picture.Height() * 3 + 3) / 4) __builtin_trap();
        }
    }
    if (decoded) {
        if (picture.Width() != decoder.OutputWidth() || picture.Height() != decoder.OutputHeight()) __builtin_trap();
    } else if (decoder.ErrorMessage().empty()) {
        __builtin_trap();
    }
    return 0;
}
