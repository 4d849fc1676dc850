// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpWriter.h"

#include <algorithm>
#include <stdexcept>

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Spreads a channel of `bits` bits over 8 bits, as decoders do.
int Expand(int value, int bits) { return (value << (8 - bits)) | (value >> (2 * bits - 8)); }

struct Masks {
    std::uint32_t red, green, blue, alpha;
};

Masks MasksFor(const BmpOptions& o)
{
    if (o.bitCount == 16) {
        if (o.compression == BmpCompression::Bitfields) return {0xF800, 0x07E0, 0x001F, 0};
        return {0x7C00, 0x03E0, 0x001F, 0};
    }
    if (o.swappedMasks) return {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    return {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
}

std::uint32_t Pack(Colour c, const Masks& m)
{
    auto place = [](int value, std::uint32_t mask) -> std::uint32_t {
        int shift = 0, bits = 0;
        while (!(mask >> shift & 1)) ++shift;
        while (shift + bits < 32 && (mask >> (shift + bits) & 1)) ++bits;
        return static_cast<std::uint32_t>(value >> (8 - bits)) << shift;
    };
    // An alpha of 0x80 that the decoder must not let through.
    return place(RedOf(c), m.red) | place(GreenOf(c), m.green) | place(BlueOf(c), m.blue) |
           (m.alpha ? place(0x80, m.alpha) : 0);
}

std::vector<Colour> PaletteOf(const Surface& picture, int bitCount)
{
    std::vector<Colour> palette;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (std::find(palette.begin(), palette.end(), picture.GetPixel(x, y)) == palette.end())
                palette.push_back(picture.GetPixel(x, y));
    if (palette.size() > (1u << bitCount)) throw std::invalid_argument("too many colours for the depth");
    return palette;
}

std::vector<int> IndexRow(const Surface& picture, int y, const std::vector<Colour>& palette)
{
    std::vector<int> row;
    for (int x = 0; x < picture.Width(); ++x)
        row.push_back(static_cast<int>(std::find(palette.begin(), palette.end(), picture.GetPixel(x, y)) -
                                       palette.begin()));
    return row;
}

// RLE8 and RLE4: runs of one index become encoded runs, stretches of
// differing indices absolute runs, each row ends with an end-of-line escape
// and the file with end-of-bitmap.
void EncodeRleRow(std::vector<std::uint8_t>& out, const std::vector<int>& row, int bitCount)
{
    std::size_t x = 0;
    while (x < row.size()) {
        std::size_t run = 1;
        while (x + run < row.size() && row[x + run] == row[x] && run < 255) ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(static_cast<std::uint8_t>(bitCount == 8 ? row[x] : row[x] << 4 | row[x]));
            x += run;
            continue;
        }
        std::size_t literal = 1;
        while (x + literal < row.size() && literal < 255 &&
               !(x + literal + 1 < row.size() && row[x + literal] == row[x + literal + 1]))
            ++literal;
        if (literal < 3) {
            out.push_back(1);
            out.push_back(static_cast<std::uint8_t>(bitCount == 8 ? row[x] : row[x] << 4));
            ++x;
            continue;
        }
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(literal));
        std::size_t bytes = 0;
        if (bitCount == 8) {
            for (std::size_t i = 0; i < literal; ++i) out.push_back(static_cast<std::uint8_t>(row[x + i]));
            bytes = literal;
        } else {
            for (std::size_t i = 0; i < literal; i += 2) {
                int low = i + 1 < literal ? row[x + i + 1] : 0;
                out.push_back(static_cast<std::uint8_t>(row[x + i] << 4 | low));
            }
            bytes = (literal + 1) / 2;
        }
        if (bytes % 2) out.push_back(0);
        x += literal;
    }
}

void WriteRow(std::vector<std::uint8_t>& out, const Surface& picture, int y, const BmpOptions& o,
              const std::vector<Colour>& palette)
{
    std::size_t start = out.size();
    if (o.bitCount <= 8) {
        std::vector<int> row = IndexRow(picture, y, palette);
        int perByte = 8 / o.bitCount;
        for (std::size_t x = 0; x < row.size(); x += perByte) {
            int byte = 0;
            for (int i = 0; i < perByte; ++i) {
                int index = x + i < row.size() ? row[x + i] : 0;
                byte |= index << (8 - o.bitCount * (i + 1));
            }
            out.push_back(static_cast<std::uint8_t>(byte));
        }
    } else {
        Masks masks = MasksFor(o);
        for (int x = 0; x < picture.Width(); ++x) {
            Colour c = picture.GetPixel(x, y);
            if (o.bitCount == 16) {
                Put16(out, Pack(c, masks));
            } else if (o.bitCount == 24) {
                out.push_back(static_cast<std::uint8_t>(BlueOf(c)));
                out.push_back(static_cast<std::uint8_t>(GreenOf(c)));
                out.push_back(static_cast<std::uint8_t>(RedOf(c)));
            } else {
                Put32(out, Pack(c, masks));
            }
        }
    }
    while ((out.size() - start) % 4) out.push_back(0);
}

}  // namespace

Colour BmpWriter::RoundTrip(Colour colour, const BmpOptions& options)
{
    if (options.bitCount != 16) return colour;
    bool sixGreen = options.compression == BmpCompression::Bitfields;
    int g = sixGreen ? Expand(GreenOf(colour) >> 2, 6) : Expand(GreenOf(colour) >> 3, 5);
    return MakeColour(Expand(RedOf(colour) >> 3, 5), g, Expand(BlueOf(colour) >> 3, 5));
}

std::vector<std::uint8_t> BmpWriter::Write(const Surface& picture, const BmpOptions& o)
{
    const bool core = o.headerSize == 12;
    const bool rle = o.compression == BmpCompression::Rle;
    const bool bitfields = o.compression == BmpCompression::Bitfields;
    std::vector<Colour> palette;
    if (o.bitCount <= 8) palette = PaletteOf(picture, o.bitCount);

    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, 0);  // file size, patched below
    Put32(out, 0);
    Put32(out, 0);  // pixel offset, patched below
    Put32(out, static_cast<std::uint32_t>(o.headerSize));
    int height = o.topDown ? -picture.Height() : picture.Height();
    if (core) {
        Put16(out, static_cast<unsigned>(picture.Width()));
        Put16(out, static_cast<unsigned>(picture.Height()));
        Put16(out, 1);
        Put16(out, static_cast<unsigned>(o.bitCount));
    } else {
        Put32(out, static_cast<std::uint32_t>(picture.Width()));
        Put32(out, static_cast<std::uint32_t>(height));
        Put16(out, 1);
        Put16(out, static_cast<unsigned>(o.bitCount));
        std::uint32_t compression = rle ? (o.bitCount == 8 ? 1 : 2) : bitfields ? 3 : 0;
        Put32(out, compression);
        Put32(out, 0);  // image size, may be 0 when uncompressed
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, static_cast<std::uint32_t>(palette.size()));
        Put32(out, 0);
        if (o.headerSize >= 108 || bitfields) {
            Masks masks = MasksFor(o);
            Put32(out, masks.red);
            Put32(out, masks.green);
            Put32(out, masks.blue);
            if (o.headerSize >= 108) Put32(out, masks.alpha);
        }
        while (out.size() < 14u + static_cast<unsigned>(o.headerSize)) out.push_back(0);
    }
    for (Colour c : palette) {
        out.push_back(static_cast<std::uint8_t>(BlueOf(c)));
        out.push_back(static_cast<std::uint8_t>(GreenOf(c)));
        out.push_back(static_cast<std::uint8_t>(RedOf(c)));
        if (!core) out.push_back(0);
    }
    Patch32(out, 10, static_cast<std::uint32_t>(out.size()));

    for (int i = 0; i < picture.Height(); ++i) {
        int y = o.topDown ? i : picture.Height() - 1 - i;
        if (rle) {
            EncodeRleRow(out, IndexRow(picture, y, palette), o.bitCount);
            out.push_back(0);
            out.push_back(i + 1 == picture.Height() ? 1 : 0);
        } else {
            WriteRow(out, picture, y, o, palette);
        }
    }
    Patch32(out, 2, static_cast<std::uint32_t>(out.size()));
    return out;
}
