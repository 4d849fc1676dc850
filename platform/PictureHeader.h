// SPDX-License-Identifier: GPL-3.0-or-later
// What a picture file is and how large, read from its first bytes only: the
// format by the file's content (never by its name), the stored size and the
// orientation its camera recorded. Nothing is decoded, so even a hostile file
// costs no more than a look at its header.
#pragma once

#include <cstddef>

enum class PictureFormat { Unknown, Jpeg, Png, Webp, Gif, Tiff, Bmp, Tga, Heif, Avif };

struct PictureHeader {
    PictureFormat format = PictureFormat::Unknown;
    // The size as stored (before turning by the orientation); 0 where this
    // header reader leaves it to the format's own decoder (JPEG, HEIF, AVIF).
    long long width = 0;
    long long height = 0;
    // Exif orientation found in the file, 1 when none.
    int orientation = 1;

    static PictureHeader Read(const unsigned char* data, std::size_t size);
    // "JPEG", "PNG", ...; for the log.
    static const char* FormatName(PictureFormat format);
};
