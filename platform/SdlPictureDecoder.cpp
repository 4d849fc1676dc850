#include "platform/SdlPictureDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <climits>

namespace {

const char* TypeName(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Webp: return "WEBP";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Tiff: return "TIF";
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Tga: return "TGA";
    default: return nullptr;
    }
}

}  // namespace

bool SdlPictureDecoder::Reads(PictureFormat format) { return TypeName(format) != nullptr; }

bool SdlPictureDecoder::Decode(const void* data, std::size_t size, PictureFormat format, Colour backdrop, Surface& out,
                               std::string& error)
{
    const char* type = TypeName(format);
    if (!type || !data || size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        error = "not a format of the picture library";
        return false;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(size));
    SDL_Surface* decoded = stream ? IMG_LoadTyped_RW(stream, 1, type) : nullptr;
    if (!decoded) {
        error = IMG_GetError();
        if (error.empty()) error = "the picture library could not read it";
        return false;
    }
    bool done = false;
    if (decoded->w > 0 && decoded->h > 0) {
        // Laid straight into the game's surface: the backdrop first, the
        // picture blended over it (a transparent colour of a GIF is left out).
        out = Surface(decoded->w, decoded->h);
        out.Fill(backdrop);
        SDL_Surface* target = SDL_CreateRGBSurfaceWithFormatFrom(out.Pixels(), out.Width(), out.Height(), 32,
                                                                 out.Width() * 4, SDL_PIXELFORMAT_XBGR8888);
        if (target) {
            SDL_SetSurfaceBlendMode(decoded, SDL_BLENDMODE_BLEND);
            done = SDL_BlitSurface(decoded, nullptr, target, nullptr) == 0;
            SDL_FreeSurface(target);
        }
        if (!done) error = SDL_GetError();
        // The filler byte may come back set; a colour's top byte is 0.
        Colour* pixels = out.Pixels();
        const std::size_t count = static_cast<std::size_t>(out.Width()) * static_cast<std::size_t>(out.Height());
        for (std::size_t i = 0; i < count; ++i) pixels[i] &= 0xFFFFFF;
    } else {
        error = "empty picture";
    }
    SDL_FreeSurface(decoded);
    if (!done) out = Surface();
    return done;
}
