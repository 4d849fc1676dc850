// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes HEIC/HEIF and AVIF pictures held in memory, through libheif. The
// size is known before anything is decoded; the picture comes out turned as
// the file says and opaque (transparent parts over a backdrop colour).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/Surface.h"

class HeifDecoder {
public:
    // Wider or higher than this many pixels is refused by the library itself:
    // the longest side a picture within the memory budget can have at the
    // most elongated shape the game still cuts (four times as long as wide).
    static const int kMaxSide;

    HeifDecoder();
    ~HeifDecoder();
    HeifDecoder(const HeifDecoder&) = delete;
    HeifDecoder& operator=(const HeifDecoder&) = delete;

    // Reads the file's structure and its main picture's size. The bytes must
    // stay until Decode.
    bool Open(const void* data, std::size_t size);
    // The upright size.
    int Width() const;
    int Height() const;
    // The most pixels any one picture in the file holds while decoding: its
    // size tag, a grid's canvas, each coded picture's own size; known before
    // decoding, so that a size tag that lies is caught first.
    long long PixelsToDecode() const;
    bool Decode(Colour backdrop, Surface& out);
    const std::string& ErrorMessage() const;
    // The last step failed because the picture is beyond the library's limits.
    bool TooLarge() const;

private:
    struct State;
    std::unique_ptr<State> state;
};
