// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SdlPictureDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/PictureDecoder.h"

namespace {

const char* TypeName(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Tga: return "TGA";
    default: return nullptr;
    }
}

// The picture library makes its pictures with SDL's allocator, sized by what
// it reads in the file as it goes; that is not always the size the game read
// in the header and reckoned the memory budget from. So SDL's allocator refuses
// any one block larger than the whole budget. The blocks themselves still
// come from SDL's own functions, so blocks allocated before the cap was set
// are freed as before.
SDL_malloc_func plainMalloc;
SDL_calloc_func plainCalloc;
SDL_realloc_func plainRealloc;
SDL_free_func plainFree;

bool BeyondBudget(std::size_t bytes) { return bytes > static_cast<std::size_t>(PictureDecoder::kMemoryBudget); }
void* CappedMalloc(std::size_t bytes) { return BeyondBudget(bytes) ? nullptr : plainMalloc(bytes); }
void* CappedCalloc(std::size_t count, std::size_t bytes)
{
    if (bytes != 0 && count > SIZE_MAX / bytes) return nullptr;
    return BeyondBudget(count * bytes) ? nullptr : plainCalloc(count, bytes);
}
void* CappedRealloc(void* block, std::size_t bytes) { return BeyondBudget(bytes) ? nullptr : plainRealloc(block, bytes); }

void CapAllocations()
{
    static const bool capped = [] {
        SDL_GetMemoryFunctions(&plainMalloc, &plainCalloc, &plainRealloc, &plainFree);
        return SDL_SetMemoryFunctions(CappedMalloc, CappedCalloc, CappedRealloc, plainFree) == 0;
    }();
    (void)capped;
}

// The picture library reads a PNG through a stream that, past the end of the
// data, leaves the reader's buffer as it was instead of failing: a chunk that
// runs past the end is followed by the same stale chunk header again and
// again, for ever. So the chunks are walked first: each lies wholly inside the
// file, and the last is the end chunk.
bool PngChunksWhole(const unsigned char* data, std::size_t size)
{
    auto be32 = [data](std::size_t at) {
        return static_cast<std::size_t>(data[at]) << 24 | static_cast<std::size_t>(data[at + 1]) << 16 |
               static_cast<std::size_t>(data[at + 2]) << 8 | data[at + 3];
    };
    std::size_t at = 8;  // past the signature
    while (at <= size && size - at >= 12) {
        const std::size_t length = be32(at);
        if (length > size - at - 12) return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
        at += 12 + length;
    }
    return false;
}

// The picture library reads a TGA without looking where its data ends: rows
// past the end come out black, and a run that would reach past the end is
// repeated to fill the picture. So the pixel data is walked first: it must
// hold every pixel of the picture, and no run may reach past its last one.
bool TgaPixelsWhole(const unsigned char* data, std::size_t size)
{
    if (size < 18) return false;
    auto le16 = [data](std::size_t at) { return static_cast<std::size_t>(data[at] | data[at + 1] << 8); };
    const unsigned imageType = data[2];
    const std::size_t colourMap = data[1] == 1 ? le16(5) * ((data[7] + 7u) / 8) : 0;
    const std::size_t pixelBytes = (data[16] + 7u) / 8;
    const unsigned long long pixels = static_cast<unsigned long long>(le16(12)) * le16(14);
    std::size_t at = 18 + data[0] + colourMap;
    if (imageType < 9) return at <= size && (size - at) / pixelBytes >= pixels;
    unsigned long long done = 0;
    while (done < pixels) {
        if (at >= size) return false;
        const unsigned packet = data[at++];
        const unsigned count = (packet & 0x7F) + 1;
        const std::size_t bytes = (packet & 0x80) ? pixelBytes : count * pixelBytes;
        if (count > pixels - done || bytes > size - at) return false;
        done += count;
        at += bytes;
    }
    return true;
}

// The locked RGBA32 picture, laid over the backdrop colour.
void LayOverBackdrop(const SDL_Surface& rgba, Colour backdrop, Surface& out)
{
    out = Surface(rgba.w, rgba.h);
    const int r0 = RedOf(backdrop), g0 = GreenOf(backdrop), b0 = BlueOf(backdrop);
    auto blend = [](int value, int alpha, int under) { return (value * alpha + under * (255 - alpha) + 127) / 255; };
    for (int y = 0; y < rgba.h; ++y) {
        const auto* from = static_cast<const Uint8*>(rgba.pixels) + static_cast<std::size_t>(y) * rgba.pitch;
        Colour* to = out.Row(y);
        for (int x = 0; x < rgba.w; ++x, from += 4) {
            const int alpha = from[3];
            to[x] = alpha == 255 ? MakeColour(from[0], from[1], from[2])
                                 : MakeColour(blend(from[0], alpha, r0), blend(from[1], alpha, g0),
                                              blend(from[2], alpha, b0));
        }
    }
}

}  // namespace

bool SdlPictureDecoder::Reads(PictureFormat format) { return TypeName(format) != nullptr; }

void SdlPictureDecoder::Prepare() { CapAllocations(); }

bool SdlPictureDecoder::Decode(const void* data, std::size_t size, PictureFormat format, Colour backdrop, Surface& out,
                               std::string& error)
{
    const char* type = TypeName(format);
    if (!type || !data || size == 0 || size > static_cast<std::size_t>(INT_MAX) - 2) {
        error = "not a format of the picture library";
        return false;
    }
    if (format == PictureFormat::Png && !PngChunksWhole(static_cast<const unsigned char*>(data), size)) {
        error = "a PNG chunk runs past the end of the file, or the end chunk is missing";
        return false;
    }
    if (format == PictureFormat::Tga && !TgaPixelsWhole(static_cast<const unsigned char*>(data), size)) {
        error = "the TGA's pixel data ends before its picture does, or a run reaches past it";
        return false;
    }
    Prepare();
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(size));
    SDL_Surface* decoded = stream ? IMG_LoadTyped_RW(stream, 1, type) : nullptr;
    if (!decoded) {
        error = IMG_GetError();
        if (error.empty()) error = "the picture library could not read it";
        return false;
    }
    // Every kind of pixel (palettes, a GIF's transparent colour, 16 bits a
    // channel) as red, green, blue and alpha bytes, then laid over the backdrop.
    SDL_Surface* rgba = decoded->format->format == SDL_PIXELFORMAT_RGBA32
                            ? decoded
                            : SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0);
    bool done = false;
    if (!rgba) {
        error = SDL_GetError();
    } else if (rgba->w <= 0 || rgba->h <= 0) {
        error = "empty picture";
    } else if (SDL_LockSurface(rgba) == 0) {
        LayOverBackdrop(*rgba, backdrop, out);
        SDL_UnlockSurface(rgba);
        done = true;
    } else {
        error = SDL_GetError();
    }
    if (rgba && rgba != decoded) SDL_FreeSurface(rgba);
    SDL_FreeSurface(decoded);
    if (!done) out = Surface();
    return done;
}
