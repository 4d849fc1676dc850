// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PictureHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/ExifOrientation.h"

namespace {

struct Bytes {
    const unsigned char* data;
    std::size_t size;

    bool Has(std::size_t at, std::size_t count) const { return at <= size && size - at >= count; }
    bool Is(std::size_t at, const char* text) const
    {
        std::size_t length = std::strlen(text);
        return Has(at, length) && std::memcmp(data + at, text, length) == 0;
    }
    unsigned Le16(std::size_t at) const { return Has(at, 2) ? data[at] | data[at + 1] << 8 : 0; }
    unsigned long Le24(std::size_t at) const { return Has(at, 3) ? Le16(at) | static_cast<unsigned long>(data[at + 2]) << 16 : 0; }
    unsigned long Le32(std::size_t at) const
    {
        return Has(at, 4) ? Le16(at) | static_cast<unsigned long>(Le16(at + 2)) << 16 : 0;
    }
    unsigned long Be32(std::size_t at) const
    {
        if (!Has(at, 4)) return 0;
        return static_cast<unsigned long>(data[at]) << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
    }
};

void ReadPng(const Bytes& b, PictureHeader& header)
{
    if (!b.Is(12, "IHDR")) return;
    header.width = static_cast<long long>(b.Be32(16));
    header.height = static_cast<long long>(b.Be32(20));
    // An eXIf chunk may carry the camera's orientation; it stands before the pixels.
    std::size_t at = 8;
    while (b.Has(at, 8) && !b.Is(at + 4, "IDAT")) {
        const unsigned long length = b.Be32(at);
        if (b.Is(at + 4, "eXIf") && b.Has(at + 8, length)) {
            header.orientation = ExifOrientation::FromExif(b.data + at + 8, length);
            break;
        }
        if (length > b.size) break;
        at += 12 + static_cast<std::size_t>(length);
    }
}

// A GIF has a screen size and, for its first frame, a size of its own; the
// larger of each is what decoding may need.
void ReadGif(const Bytes& b, PictureHeader& header)
{
    header.width = b.Le16(6);
    header.height = b.Le16(8);
    std::size_t at = 13;
    if (b.Has(10, 1) && (b.data[10] & 0x80)) at += 3u << ((b.data[10] & 7) + 1);
    while (b.Has(at, 1)) {
        if (b.data[at] == 0x2C) {
            header.width = std::max<long long>(header.width, b.Le16(at + 1) + static_cast<long long>(b.Le16(at + 5)));
            header.height = std::max<long long>(header.height, b.Le16(at + 3) + static_cast<long long>(b.Le16(at + 7)));
            return;
        }
        if (b.data[at] == 0x3B) return;  // the end, with no frame
        if (b.data[at] != 0x21) {
            // Stray bytes: passed over, so that no frame behind them is
            // missed when the size is reckoned.
            ++at;
            continue;
        }
        at += 2;  // introducer and label, then data blocks up to an empty one
        while (b.Has(at, 1) && b.data[at] != 0) at += 1 + static_cast<std::size_t>(b.data[at]);
        at += 1;
    }
}

void ReadBmp(const Bytes& b, PictureHeader& header)
{
    const unsigned long infoSize = b.Le32(14);
    if (infoSize == 12) {
        header.width = b.Le16(18);
        header.height = b.Le16(20);
    } else {
        header.width = static_cast<std::int32_t>(b.Le32(18));
        const long long height = static_cast<std::int32_t>(b.Le32(22));
        header.height = height < 0 ? -height : height;
    }
}

void ReadTiff(const Bytes& b, PictureHeader& header)
{
    const bool little = b.data[0] == 'I';
    auto u16 = [&](std::size_t at) -> unsigned long {
        return little ? b.Le16(at) : (b.Has(at, 2) ? static_cast<unsigned long>(b.data[at] << 8 | b.data[at + 1]) : 0);
    };
    auto u32 = [&](std::size_t at) -> unsigned long { return little ? b.Le32(at) : b.Be32(at); };
    const unsigned long directory = u32(4);
    if (!b.Has(directory, 2)) return;
    const unsigned long entries = u16(directory);
    for (unsigned long i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (!b.Has(entry, 12)) break;
        const unsigned long tag = u16(entry), type = u16(entry + 2);
        const unsigned long value = type == 3 ? u16(entry + 8) : u32(entry + 8);
        if (tag == 256) header.width = static_cast<long long>(value);
        if (tag == 257) header.height = static_cast<long long>(value);
        if (tag == 274) header.orientation = value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
}

void ReadWebp(const Bytes& b, PictureHeader& header)
{
    if (b.Is(12, "VP8 ")) {
        header.width = b.Le16(26) & 0x3FFF;
        header.height = b.Le16(28) & 0x3FFF;
    } else if (b.Is(12, "VP8L")) {
        const unsigned long bits = b.Le32(21);
        header.width = static_cast<long long>((bits & 0x3FFF) + 1);
        header.height = static_cast<long long>(((bits >> 14) & 0x3FFF) + 1);
    } else if (b.Is(12, "VP8X")) {
        header.width = static_cast<long long>(b.Le24(24)) + 1;
        header.height = static_cast<long long>(b.Le24(27)) + 1;
    }
    // The camera's Exif block is a chunk of its own.
    std::size_t at = 12;
    while (b.Has(at, 8)) {
        const unsigned long length = b.Le32(at + 4);
        if (b.Is(at, "EXIF") && b.Has(at + 8, length)) {
            header.orientation = ExifOrientation::FromExif(b.data + at + 8, length);
            break;
        }
        if (length > b.size) break;
        at += 8 + static_cast<std::size_t>(length) + (length & 1);
    }
}

// A TGA file has no signature: every field of its header must make sense.
bool LooksLikeTga(const Bytes& b)
{
    if (!b.Has(0, 18)) return false;
    const unsigned char colourMapType = b.data[1], imageType = b.data[2], depth = b.data[16], descriptor = b.data[17];
    const bool typeKnown = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 || imageType == 10 ||
                           imageType == 11;
    const bool depthKnown = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    const bool mapped = imageType == 1 || imageType == 9;
    return colourMapType <= 1 && (colourMapType == 1) == mapped && typeKnown && depthKnown && (descriptor & 0xC0) == 0 &&
           b.Le16(12) > 0 && b.Le16(14) > 0;
}

PictureFormat IsoMediaFormat(const Bytes& b)
{
    if (!b.Is(4, "ftyp")) return PictureFormat::Unknown;
    const unsigned long boxSize = std::min<unsigned long>(b.Be32(0), static_cast<unsigned long>(b.size));
    bool heif = false;
    // The major brand, then the compatible brands.
    for (std::size_t at = 8; at + 4 <= boxSize; at += at == 8 ? 8 : 4) {
        if (b.Is(at, "avif") || b.Is(at, "avis")) return PictureFormat::Avif;
        for (const char* brand : {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1"})
            if (b.Is(at, brand)) heif = true;
    }
    return heif ? PictureFormat::Heif : PictureFormat::Unknown;
}

}  // namespace

PictureHeader PictureHeader::Read(const unsigned char* data, std::size_t size)
{
    PictureHeader header;
    if (!data) return header;
    const Bytes b{data, size};
    if (b.Has(0, 3) && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        header.format = PictureFormat::Jpeg;
    } else if (b.Is(0, "\x89PNG\r\n\x1a\n")) {
        header.format = PictureFormat::Png;
        ReadPng(b, header);
    } else if (b.Is(0, "GIF87a") || b.Is(0, "GIF89a")) {
        header.format = PictureFormat::Gif;
        ReadGif(b, header);
    } else if (b.Is(0, "BM") && b.Has(0, 26)) {
        header.format = PictureFormat::Bmp;
        ReadBmp(b, header);
    } else if (b.Is(0, "II*") || b.Is(0, "MM")) {
        if (b.Has(0, 8) && (data[0] == 'I' ? data[3] == 0 : data[2] == 0 && data[3] == '*')) {
            header.format = PictureFormat::Tiff;
            ReadTiff(b, header);
        }
    } else if (b.Is(0, "RIFF") && b.Is(8, "WEBP")) {
        header.format = PictureFormat::Webp;
        ReadWebp(b, header);
    } else if (PictureFormat iso = IsoMediaFormat(b); iso != PictureFormat::Unknown) {
        header.format = iso;
    } else if (LooksLikeTga(b)) {
        header.format = PictureFormat::Tga;
        header.width = b.Le16(12);
        header.height = b.Le16(14);
    }
    return header;
}

const char* PictureHeader::FormatName(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Webp: return "WebP";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Tga: return "TGA";
    case PictureFormat::Heif: return "HEIF";
    case PictureFormat::Avif: return "AVIF";
    case PictureFormat::Unknown: break;
    }
    return "unknown";
}
