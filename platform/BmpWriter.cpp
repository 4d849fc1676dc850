// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BmpWriter.h"

#include <SDL.h>

#include <climits>
#include <memory>

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

constexpr std::size_t kHeaderBytes = 14 + 40;

std::size_t FileSize(int width, int height)
{
    std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    return kHeaderBytes + rowBytes * static_cast<std::size_t>(height);
}

}  // namespace

std::vector<unsigned char> BmpWriter::Encode(const Surface& surface)
{
    if (surface.IsEmpty()) return {};
    // A surface pixel is red in the low byte, then green, then blue, the top
    // byte unused: XBGR8888 to SDL. Having no alpha, it is saved as 24 bits.
    auto* pixels = const_cast<Colour*>(surface.Pixels());
    std::unique_ptr<SDL_Surface, SurfaceDeleter> view(SDL_CreateRGBSurfaceWithFormatFrom(
        pixels, surface.Width(), surface.Height(), 32, surface.Width() * 4, SDL_PIXELFORMAT_XBGR8888));
    if (!view) return {};

    std::size_t expected = FileSize(surface.Width(), surface.Height());
    if (expected > INT_MAX - 1024) return {};
    // Room for a larger header than expected; the real size is read back.
    std::vector<unsigned char> bytes(expected + 1024);
    SDL_RWops* stream = SDL_RWFromMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!stream) return {};
    bool saved = SDL_SaveBMP_RW(view.get(), stream, 0) == 0;
    Sint64 written = SDL_RWtell(stream);
    SDL_RWclose(stream);
    if (!saved || written <= 0) return {};
    bytes.resize(static_cast<std::size_t>(written));
    return bytes;
}
