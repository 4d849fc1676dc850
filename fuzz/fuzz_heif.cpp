// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes handed to the HEIF/AVIF decoder directly, without
// the format check before it. A picture larger than the game's memory budget
// (its size tag, a grid's canvas or a coded picture's own size) is not
// decoded, as the game refuses it; anything else either
// decodes at the size the file announced or fails with the library's words.
#include <cstddef>
#include <cstdint>

#include "platform/HeifDecoder.h"
#include "platform/PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    HeifDecoder decoder;
    if (!decoder.Open(data, size)) {
        if (decoder.ErrorMessage().empty()) __builtin_trap();
        return 0;
    }
    const long long pixels = decoder.PixelsToDecode();
    if (pixels <= 0 || pixels * PictureDecoder::kHeifBytesPerPixel > PictureDecoder::kMemoryBudget) return 0;
    Surface picture;
    if (decoder.Decode(PictureDecoder::kBackdrop, picture)) {
        if (picture.Width() != decoder.Width() || picture.Height() != decoder.Height()) __builtin_trap();
    } else if (decoder.ErrorMessage().empty()) {
        __builtin_trap();
    }
    return 0;
}
