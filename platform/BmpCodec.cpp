// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BmpCodec.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the old OS/2 header with 16-bit sizes
constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitfields = 3;
constexpr std::uint32_t kCompressionAlphaBitfields = 6;

std::uint32_t ReadU32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t ReadU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

bool Fail(std::string* reason, const std::string& why)
{
    if (reason) *reason = why;
    return false;
}

// The headers as far as the size checks need them.
struct BmpHeader {
    long long width = 0;
    long long height = 0;  // rows; the file stores a negative height for top-down rows
    std::uint32_t bitCount = 0;
    std::uint32_t compression = kCompressionRgb;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
    std::uint32_t coloursUsed = 0;  // entries of the colour table; 0 means as many as the depth allows
};

bool ReadHeader(const unsigned char* bytes, std::size_t size, BmpHeader& header, std::string* reason)
{
    if (size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') return Fail(reason, "not a BMP file");
    const unsigned char* info = bytes + kFileHeaderSize;
    std::uint32_t infoSize = ReadU32(info);
    if (infoSize < kCoreHeaderSize || size - kFileHeaderSize < infoSize) return Fail(reason, "truncated header");
    header.pixelOffset = ReadU32(bytes + 10);
    header.infoSize = infoSize;
    if (infoSize == kCoreHeaderSize) {
        header.width = ReadU16(info + 4);
        header.height = ReadU16(info + 6);
        header.bitCount = ReadU16(info + 10);
    } else {
        if (infoSize < 16) return Fail(reason, "truncated header");
        header.width = static_cast<std::int32_t>(ReadU32(info + 4));
        header.height = static_cast<std::int32_t>(ReadU32(info + 8));
        header.bitCount = ReadU16(info + 14);
        header.compression = infoSize >= 20 ? ReadU32(info + 16) : kCompressionRgb;
        header.coloursUsed = infoSize >= 36 ? ReadU32(info + 32) : 0;
    }
    return true;
}

// Pictures compressed as JPEG or PNG inside, printer CMYK and unknown
// schemes are not pictures the game can show; bit masks only go with 16 and
// 32 bits, RLE8 with 8 and RLE4 with 4.
bool CheckCompression(const BmpHeader& header, std::string* reason)
{
    switch (header.compression) {
    case kCompressionRgb:
        return true;
    case kCompressionRle8:
        return header.bitCount == 8 || Fail(reason, "RLE8 compression needs 8 bits a pixel");
    case kCompressionRle4:
        return header.bitCount == 4 || Fail(reason, "RLE4 compression needs 4 bits a pixel");
    case kCompressionBitfields:
    case kCompressionAlphaBitfields:
        return header.bitCount == 16 || header.bitCount == 32 || Fail(reason, "bit masks need 16 or 32 bits a pixel");
    default:
        return Fail(reason, "unsupported compression " + std::to_string(header.compression));
    }
}

// Rejects sizes no real picture has before any memory is taken for them, and
// uncompressed pixel data that is cut short.
bool CheckSizes(const BmpHeader& header, std::size_t size, long long maxPixels, std::string* reason)
{
    long long rows = header.height < 0 ? -header.height : header.height;
    if (header.width <= 0 || rows == 0) return Fail(reason, "empty picture");
    if (header.width > BmpCodec::kMaxSide || rows > BmpCodec::kMaxSide || header.width * rows > maxPixels)
        return Fail(reason, "picture too large");
    bool uncompressed = header.compression != kCompressionRle8 && header.compression != kCompressionRle4;
    if (uncompressed && header.bitCount > 0 && header.bitCount <= 32) {
        long long rowBytes = (header.width * header.bitCount + 31) / 32 * 4;
        long long lastRowBytes = (header.width * header.bitCount + 7) / 8;
        long long needed = static_cast<long long>(header.pixelOffset) + rowBytes * (rows - 1) + lastRowBytes;
        if (needed > static_cast<long long>(size)) return Fail(reason, "truncated pixel data");
    }
    return true;
}

bool IsRle(const BmpHeader& header)
{
    return header.compression == kCompressionRle8 || header.compression == kCompressionRle4;
}

// The colour table of an RLE picture (4 bytes an entry after the info header).
bool ReadColourTable(const unsigned char* bytes, std::size_t size, const BmpHeader& header,
                     std::vector<Colour>& table, std::string* reason)
{
    std::size_t entries = std::size_t{1} << header.bitCount;
    if (header.coloursUsed > 0 && header.coloursUsed < entries) entries = header.coloursUsed;
    std::size_t start = kFileHeaderSize + header.infoSize;
    if (start > size || (size - start) / 4 < entries) return Fail(reason, "truncated colour table");
    for (std::size_t i = 0; i < entries; ++i) {
        const unsigned char* entry = bytes + start + 4 * i;
        table.push_back(MakeColour(entry[2], entry[1], entry[0]));
    }
    return true;
}

// RLE8 and RLE4 are decoded here rather than by SDL: their escapes may skip
// pixels (end of line, a jump, end of picture early), and a skipped pixel
// must stay black as on any new surface, where SDL's reader would paint it
// in the first colour of the table.
bool DecodeRle(const unsigned char* bytes, std::size_t size, const BmpHeader& header, Surface& out,
               std::string* reason)
{
    std::vector<Colour> table;
    if (!ReadColourTable(bytes, size, header, table, reason)) return false;
    const bool eightBits = header.compression == kCompressionRle8;
    const long long width = header.width, rows = header.height < 0 ? -header.height : header.height;
    Surface picture(static_cast<int>(width), static_cast<int>(rows));
    long long x = 0, y = 0;  // y counts rows in the order they are stored
    auto plot = [&](unsigned index) {
        if (index >= table.size()) return false;
        if (x < width && y < rows) {
            long long row = header.height < 0 ? y : rows - 1 - y;
            picture.Row(static_cast<int>(row))[x] = table[index];
        }
        ++x;
        return true;
    };
    auto nibbleOrByte = [eightBits](const unsigned char* run, unsigned i) -> unsigned {
        if (eightBits) return run[i];
        return i % 2 == 0 ? run[i / 2] >> 4 : run[i / 2] & 0x0F;
    };

    std::size_t at = header.pixelOffset;
    while (y < rows) {
        if (at > size || size - at < 2) return Fail(reason, "truncated pixel data");
        const unsigned count = bytes[at], value = bytes[at + 1];
        at += 2;
        if (count > 0) {  // a run: one index, or two alternating nibbles
            for (unsigned i = 0; i < count; ++i) {
                unsigned index = eightBits ? value : i % 2 == 0 ? value >> 4 : value & 0x0F;
                if (!plot(index)) return Fail(reason, "colour out of the table");
            }
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of the picture
            break;
        } else if (value == 2) {  // jump right and up
            if (size - at < 2) return Fail(reason, "truncated pixel data");
            x += bytes[at];
            y += bytes[at + 1];
            at += 2;
        } else {  // `value` indices as they are, padded to an even count of bytes
            const std::size_t length = eightBits ? value : (value + 1) / 2;
            if (size - at < length) return Fail(reason, "truncated pixel data");
            for (unsigned i = 0; i < value; ++i)
                if (!plot(nibbleOrByte(bytes + at, i))) return Fail(reason, "colour out of the table");
            at += length + length % 2;
        }
    }
    out = std::move(picture);
    return true;
}

// Enough of a file for its headers as plain 24-bit pictures have them.
constexpr std::size_t kStreamHeaderBytes = 256;
constexpr std::uint32_t kInfoHeaderSize = 40;

bool IsPlain24Bit(const BmpHeader& header, std::size_t headerBytes)
{
    return header.compression == kCompressionRgb && header.bitCount == 24 && header.infoSize >= kInfoHeaderSize &&
           header.pixelOffset >= kFileHeaderSize + header.infoSize && header.pixelOffset <= headerBytes;
}

// Reads exactly `count` bytes: first those already read ahead (`ahead` from
// `at`), then from the file.
class StreamCursor {
public:
    StreamCursor(const BmpCodec::ByteReader& read, const std::vector<unsigned char>& ahead, std::size_t at)
        : read_(read), ahead_(ahead), at_(at)
    {
    }
    bool Take(unsigned char* buffer, std::size_t count)
    {
        const std::size_t fromAhead = std::min(count, ahead_.size() - std::min(at_, ahead_.size()));
        if (fromAhead > 0) std::copy_n(ahead_.begin() + static_cast<std::ptrdiff_t>(at_), fromAhead, buffer);
        at_ += fromAhead;
        return fromAhead == count || read_(buffer + fromAhead, count - fromAhead) == count - fromAhead;
    }

private:
    const BmpCodec::ByteReader& read_;
    const std::vector<unsigned char>& ahead_;
    std::size_t at_;
};

// The pixels of a plain 24-bit picture, row by row as they are stored, then
// whatever follows them in the file.
bool DecodeRows(StreamCursor& cursor, std::size_t size, const BmpHeader& header, Surface& out, std::string* reason)
{
    const long long width = header.width, rows = header.height < 0 ? -header.height : header.height;
    const std::size_t rowBytes = static_cast<std::size_t>((width * 24 + 31) / 32 * 4);
    Surface picture(static_cast<int>(width), static_cast<int>(rows));
    std::vector<unsigned char> row(rowBytes);
    std::size_t consumed = header.pixelOffset;
    for (long long i = 0; i < rows; ++i) {
        // Every row whole, the last one's padding too, as Decode's reader wants it.
        if (size - consumed < rowBytes || !cursor.Take(row.data(), rowBytes))
            return Fail(reason, "truncated pixel data");
        consumed += rowBytes;
        Colour* to = picture.Row(static_cast<int>(header.height < 0 ? i : rows - 1 - i));
        for (long long x = 0; x < width; ++x) {
            const unsigned char* bgr = row.data() + 3 * x;
            to[x] = MakeColour(bgr[2], bgr[1], bgr[0]);
        }
    }
    for (std::size_t left = size - consumed; left > 0;) {
        const std::size_t count = std::min(left, row.size());
        if (!cursor.Take(row.data(), count)) return Fail(reason, "truncated file");
        left -= count;
    }
    out = std::move(picture);
    return true;
}

}  // namespace

bool BmpCodec::DecodeStream(const ByteReader& read, std::size_t size, Surface& out, std::string* reason,
                            long long maxPixels)
{
    std::vector<unsigned char> bytes(std::min(size, kStreamHeaderBytes));
    if (read(bytes.data(), bytes.size()) != bytes.size()) return Fail(reason, "truncated file");
    BmpHeader header;
    if (ReadHeader(bytes.data(), bytes.size(), header, nullptr) && IsPlain24Bit(header, bytes.size())) {
        if (!CheckSizes(header, size, maxPixels, reason)) return false;
        StreamCursor cursor(read, bytes, header.pixelOffset);
        return DecodeRows(cursor, size, header, out, reason);
    }
    const std::size_t ahead = bytes.size();
    bytes.resize(size);
    if (read(bytes.data() + ahead, size - ahead) != size - ahead) return Fail(reason, "truncated file");
    return Decode(bytes.data(), bytes.size(), out, reason, maxPixels);
}

bool BmpCodec::Decode(const void* data, std::size_t size, Surface& out, std::string* reason, long long maxPixels)
{
    if (!data) return Fail(reason, "no data");
    BmpHeader header;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!ReadHeader(bytes, size, header, reason) || !CheckCompression(header, reason) ||
        !CheckSizes(header, size, maxPixels, reason))
        return false;
    if (IsRle(header)) return DecodeRle(bytes, size, header, out, reason);

    // SDL's reader does the decoding; it checks colour indices against the
    // table, RLE runs against the row and every read against the data.
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(std::min<std::size_t>(size, INT32_MAX)));
    if (!stream) return Fail(reason, SDL_GetError());
    SdlSurface decoded(SDL_LoadBMP_RW(stream, 1));
    if (!decoded) return Fail(reason, SDL_GetError());
    SdlSurface converted(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_XBGR8888, 0));
    if (!converted) return Fail(reason, SDL_GetError());
    decoded.reset();

    Surface picture(converted->w, converted->h);
    if (picture.IsEmpty()) return Fail(reason, "empty picture");
    if (SDL_MUSTLOCK(converted.get())) SDL_LockSurface(converted.get());
    for (int y = 0; y < picture.Height(); ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(converted->pixels) +
                                                                   static_cast<std::size_t>(y) * converted->pitch);
        Colour* to = picture.Row(y);
        // The unused top byte must stay 0: the colour key of transparent copies relies on it.
        for (int x = 0; x < picture.Width(); ++x) to[x] = from[x] & 0xFFFFFF;
    }
    if (SDL_MUSTLOCK(converted.get())) SDL_UnlockSurface(converted.get());
    out = std::move(picture);
    return true;
}
