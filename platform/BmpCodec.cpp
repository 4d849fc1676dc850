#include "platform/BmpCodec.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the old OS/2 header with 16-bit sizes
constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitfields = 3;

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
};

bool ReadHeader(const unsigned char* bytes, std::size_t size, BmpHeader& header, std::string* reason)
{
    if (size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') return Fail(reason, "not a BMP file");
    const unsigned char* info = bytes + kFileHeaderSize;
    std::uint32_t infoSize = ReadU32(info);
    if (infoSize < kCoreHeaderSize || size - kFileHeaderSize < infoSize) return Fail(reason, "truncated header");
    header.pixelOffset = ReadU32(bytes + 10);
    if (infoSize == kCoreHeaderSize) {
        header.width = ReadU16(info + 4);
        header.height = ReadU16(info + 6);
        header.bitCount = ReadU16(info + 10);
    } else {
        if (infoSize < 16 + 4) return Fail(reason, "truncated header");
        header.width = static_cast<std::int32_t>(ReadU32(info + 4));
        header.height = static_cast<std::int32_t>(ReadU32(info + 8));
        header.bitCount = ReadU16(info + 14);
        header.compression = infoSize >= 20 ? ReadU32(info + 16) : kCompressionRgb;
    }
    return true;
}

// Rejects sizes no real picture has before any memory is taken for them, and
// uncompressed pixel data that is cut short.
bool CheckSizes(const BmpHeader& header, std::size_t size, long long maxPixels, std::string* reason)
{
    long long rows = header.height < 0 ? -header.height : header.height;
    if (header.width <= 0 || rows == 0) return Fail(reason, "empty picture");
    if (header.width > BmpCodec::kMaxSide || rows > BmpCodec::kMaxSide || header.width * rows > maxPixels)
        return Fail(reason, "picture too large");
    bool uncompressed = header.compression == kCompressionRgb || header.compression == kCompressionBitfields;
    if (uncompressed && header.bitCount > 0 && header.bitCount <= 32) {
        long long rowBytes = (header.width * header.bitCount + 31) / 32 * 4;
        long long lastRowBytes = (header.width * header.bitCount + 7) / 8;
        long long needed = static_cast<long long>(header.pixelOffset) + rowBytes * (rows - 1) + lastRowBytes;
        if (needed > static_cast<long long>(size)) return Fail(reason, "truncated pixel data");
    }
    return true;
}

}  // namespace

bool BmpCodec::Decode(const void* data, std::size_t size, Surface& out, std::string* reason, long long maxPixels)
{
    if (!data) return Fail(reason, "no data");
    BmpHeader header;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!ReadHeader(bytes, size, header, reason) || !CheckSizes(header, size, maxPixels, reason)) return false;

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
