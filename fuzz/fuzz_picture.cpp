// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes handed to the picture decoder, as a file the player
// chose. The format comes from the content, so one target reaches every
// decoder (JPEG, PNG, WebP, GIF, TIFF, BMP, TGA, HEIF, AVIF) and the header
// readers before them. Either a picture comes out at the size the header
// promised or smaller (turned upright), or the decoder says why not; decoding never
// takes more than the game's memory budget, never ends the program.
#include <cstddef>
#include <cstdint>

#include "platform/PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PictureDecoder decoder;
    if (!decoder.Open(data, size)) {
        if (decoder.GetFailure() == PictureDecoder::Failure::None) __builtin_trap();
        return 0;
    }
    if (decoder.MemoryNeeded() > PictureDecoder::kMemoryBudget) __builtin_trap();
    // As the game asks for its largest copy of a picture.
    decoder.ScaleToAtLeast(448, 448);
    Surface picture;
    if (decoder.Decode(picture)) {
        if (picture.IsEmpty()) __builtin_trap();
        // Never larger than the header said (the budget was reckoned from it).
        if (static_cast<long long>(picture.Width()) * picture.Height() >
            static_cast<long long>(decoder.Width()) * decoder.Height())
            __builtin_trap();
    } else if (decoder.GetFailure() == PictureDecoder::Failure::None) {
        __builtin_trap();
    }
    return 0;
}
