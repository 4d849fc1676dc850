// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FontFace.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

// Point sizes tried when matching a cell height.
constexpr int kLargestPointSize = 400;

TTF_Font* AsFont(void* font) { return static_cast<TTF_Font*>(font); }

bool EnsureTtfReady()
{
    return TTF_WasInit() > 0 || TTF_Init() == 0;
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

// dest * (255 - alpha) + ink * alpha, rounded, channel by channel.
Colour Blend(Colour dest, Colour ink, unsigned alpha)
{
    auto channel = [alpha](unsigned d, unsigned s) { return (s * alpha + d * (255 - alpha) + 127) / 255; };
    return MakeColour(static_cast<int>(channel(RedOf(dest), RedOf(ink))),
                      static_cast<int>(channel(GreenOf(dest), GreenOf(ink))),
                      static_cast<int>(channel(BlueOf(dest), BlueOf(ink))));
}

}  // namespace

std::unique_ptr<FontFace> FontFace::FromMemory(std::vector<unsigned char> bytes, int cellHeight)
{
    if (bytes.empty() || cellHeight <= 0 || !EnsureTtfReady()) return nullptr;
    std::unique_ptr<FontFace> face(new FontFace(std::move(bytes)));
    if (!face->Open(cellHeight)) return nullptr;
    return face;
}

std::unique_ptr<FontFace> FontFace::FromFile(const char* path, int cellHeight)
{
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) return nullptr;
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    std::fclose(file);
    return FromMemory(std::move(bytes), cellHeight);
}

// The game's fonts live until the program ends, possibly after the font
// library has been shut down (which frees every face with it).
FontFace::~FontFace()
{
    if (font && TTF_WasInit() > 0) TTF_CloseFont(AsFont(font));
}

// Picks the largest point size whose cell is no higher than asked; for the
// game's faces and sizes the cell then matches exactly.
bool FontFace::Open(int cellHeight)
{
    if (bytes.size() > INT_MAX) return false;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!stream) return false;
    int size = std::clamp(cellHeight, 1, kLargestPointSize);
    TTF_Font* opened = TTF_OpenFontRW(stream, 1, size);
    if (!opened) return false;
    font = opened;
    while (size > 1 && TTF_FontHeight(opened) > cellHeight) TTF_SetFontSize(opened, --size);
    while (size < kLargestPointSize) {
        TTF_SetFontSize(opened, size + 1);
        if (TTF_FontHeight(opened) > cellHeight) break;
        ++size;
    }
    TTF_SetFontSize(opened, size);
    pointSize = size;
    return true;
}

int FontFace::CellHeight() const { return TTF_FontHeight(AsFont(font)); }

int FontFace::TextWidth(const char* text) const
{
    int width = 0, height = 0;
    if (!text || !*text || TTF_SizeUTF8(AsFont(font), text, &width, &height) != 0) return 0;
    return width;
}

void FontFace::Draw(Surface& dest, int x, int y, const char* text, Colour colour) const
{
    Draw(dest, x, y, text, colour, PixelRect{0, 0, dest.Width(), dest.Height()});
}

void FontFace::Draw(Surface& dest, int x, int y, const char* text, Colour colour, const PixelRect& clip) const
{
    if (!text || !*text) return;
    // The rendered text carries the ink's coverage in its alpha channel.
    SDL_Color ink{static_cast<Uint8>(RedOf(colour)), static_cast<Uint8>(GreenOf(colour)),
                  static_cast<Uint8>(BlueOf(colour)), 255};
    std::unique_ptr<SDL_Surface, SurfaceDeleter> rendered(TTF_RenderUTF8_Blended(AsFont(font), text, ink));
    if (!rendered) return;
    SDL_Surface* glyphs = rendered.get();
    if (glyphs->format->BytesPerPixel != 4) return;

    // Inside both the rectangle given and the surface's own clip.
    const PixelRect& kept = dest.ClipRect();
    const long long left = std::max({static_cast<long long>(kept.left), static_cast<long long>(clip.left),
                                     static_cast<long long>(x)});
    const long long top = std::max({static_cast<long long>(kept.top), static_cast<long long>(clip.top),
                                    static_cast<long long>(y)});
    const long long right = std::min({static_cast<long long>(kept.right), static_cast<long long>(clip.right),
                                      static_cast<long long>(x) + glyphs->w});
    const long long bottom = std::min({static_cast<long long>(kept.bottom), static_cast<long long>(clip.bottom),
                                       static_cast<long long>(y) + glyphs->h});
    const Uint32 alphaMask = glyphs->format->Amask;
    const int alphaShift = glyphs->format->Ashift;
    colour &= 0xFFFFFF;
    SDL_LockSurface(glyphs);
    for (long long row = top; row < bottom; ++row) {
        const auto* from = reinterpret_cast<const Uint32*>(static_cast<const unsigned char*>(glyphs->pixels) +
                                                           (row - y) * glyphs->pitch);
        Colour* to = dest.Row(static_cast<int>(row));
        for (long long col = left; col < right; ++col) {
            unsigned alpha = (from[col - x] & alphaMask) >> alphaShift;
            if (alpha == 255)
                to[col] = colour;
            else if (alpha > 0)
                to[col] = Blend(to[col], colour, alpha);
        }
    }
    SDL_UnlockSurface(glyphs);
}
