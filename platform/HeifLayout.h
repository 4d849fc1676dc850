// SPDX-License-Identifier: GPL-3.0-or-later
// The sizes a HEIF or AVIF file will make its decoder allocate, read from the
// file's boxes before anything is decoded. The size the file gives for its
// picture is only a tag: a grid may lay out a far larger canvas, and each
// coded picture carries its own size in its stream (HEVC's sequence
// parameters, AV1's sequence header), which is what its decoder allocates.
// Every one of those is read here, so that a tag that lies is caught before
// the library is asked to decode.
#pragma once

#include <cstddef>

class HeifLayout {
public:
    // Walks the boxes. False when they cannot be walked: the library then
    // reports the damage in its own words.
    bool Read(const unsigned char* data, std::size_t size);

    // The most pixels any one picture of the file holds while decoding: the
    // size tags, every grid's canvas, every coded picture's own size.
    long long LargestPixels() const { return largestPixels; }
    // The widest or highest any of those is.
    long long LongestSide() const { return longestSide; }

private:
    void Note(long long width, long long height);

    long long largestPixels = 0;
    long long longestSide = 0;
};
