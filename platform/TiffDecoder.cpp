// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TiffDecoder.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/PictureDecoder.h"

namespace {

// The file in memory, as the library's read and seek procedures see it.
struct MemoryFile {
    const unsigned char* data;
    toff_t size;
    toff_t at = 0;
};

tmsize_t ReadFile(thandle_t handle, void* to, tmsize_t count)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (count <= 0 || file->at >= file->size) return 0;
    const toff_t given = std::min<toff_t>(static_cast<toff_t>(count), file->size - file->at);
    std::memcpy(to, file->data + file->at, static_cast<std::size_t>(given));
    file->at += given;
    return static_cast<tmsize_t>(given);
}

tmsize_t WriteFile(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekFile(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    toff_t base = whence == SEEK_CUR ? file->at : whence == SEEK_END ? file->size : 0;
    if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
    file->at = base + offset;
    return file->at;
}

int CloseFile(thandle_t) { return 0; }
toff_t SizeOfFile(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size; }
int MapFile(thandle_t, void**, toff_t*) { return 0; }
void UnmapFile(thandle_t, void*, toff_t) {}

// Errors are kept for the log and refuse the picture; warnings (a tag the
// library does not know, ...) leave it whole.
int OnError(TIFF*, void* userData, const char* module, const char* format, va_list arguments)
{
    auto* errors = static_cast<std::string*>(userData);
    char words[512];
    std::vsnprintf(words, sizeof words, format, arguments);
    if (!errors->empty()) *errors += "; ";
    *errors += std::string(module ? module : "TIFF") + ": " + words;
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct CloseTiff {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

struct FreeOptions {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

int Blend(int value, int alpha, int backdrop) { return (value * alpha + backdrop * (255 - alpha) + 127) / 255; }

}  // namespace

bool TiffDecoder::Decode(const void* data, std::size_t size, long long maxPixels, Colour backdrop, Surface& out,
                         std::string& error)
{
    out = Surface();
    std::string errors;
    std::unique_ptr<TIFFOpenOptions, FreeOptions> options(TIFFOpenOptionsAlloc());
    if (!data || size == 0 || !options) {
        error = "no TIFF decoder";
        return false;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(PictureDecoder::kMemoryBudget));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, nullptr);
    MemoryFile file{static_cast<const unsigned char*>(data), static_cast<toff_t>(size)};
    // "m": read through the procedures above, never from the bytes in place.
    std::unique_ptr<TIFF, CloseTiff> tiff(TIFFClientOpenExt("picture", "rm", &file, ReadFile, WriteFile, SeekFile,
                                                            CloseFile, SizeOfFile, MapFile, UnmapFile, options.get()));
    std::uint32_t width = 0, height = 0;
    if (!tiff || !TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0) {
        error = errors.empty() ? "the TIFF holds no picture" : errors;
        return false;
    }
    if (static_cast<long long>(width) * height > maxPixels) {
        error = "the TIFF's picture is larger than its header says";
        return false;
    }
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
    // Stops at the first error, and any error refuses the picture.
    const int read = TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 1);
    if (!read || !errors.empty()) {
        error = errors.empty() ? "the TIFF's picture does not decode" : errors;
        return false;
    }
    Surface picture(static_cast<int>(width), static_cast<int>(height));
    const int r0 = RedOf(backdrop), g0 = GreenOf(backdrop), b0 = BlueOf(backdrop);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t* from = raster.data() + static_cast<std::size_t>(y) * width;
        Colour* to = picture.Row(static_cast<int>(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = from[x];
            const int r = static_cast<int>(TIFFGetR(pixel)), g = static_cast<int>(TIFFGetG(pixel)),
                      b = static_cast<int>(TIFFGetB(pixel)), alpha = static_cast<int>(TIFFGetA(pixel));
            to[x] = alpha == 255 ? MakeColour(r, g, b)
                                 : MakeColour(Blend(r, alpha, r0), Blend(g, alpha, g0), Blend(b, alpha, b0));
        }
    }
    out = std::move(picture);
    return true;
}
