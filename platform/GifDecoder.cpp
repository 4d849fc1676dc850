// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct MemoryReader {
    const GifByteType* data;
    std::size_t size;
    std::size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* to, int count)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
    const std::size_t given = std::min(wanted, reader->size - reader->at);
    if (given > 0) std::memcpy(to, reader->data + reader->at, given);
    reader->at += given;
    return static_cast<int>(given);
}

struct CloseGif {
    void operator()(GifFileType* gif) const
    {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using GifFile = std::unique_ptr<GifFileType, CloseGif>;

bool Failed(int code, std::string& error)
{
    const char* words = GifErrorString(code);
    error = words ? words : "the GIF could not be read";
    return false;
}

// Passes over the extensions before the first frame, keeping the transparent
// colour its graphic control sets; stops at that frame's descriptor.
bool ReachFirstFrame(GifFileType* gif, int& transparent, std::string& error)
{
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) return Failed(gif->Error, error);
        if (type == IMAGE_DESC_RECORD_TYPE) return true;
        if (type == TERMINATE_RECORD_TYPE) {
            error = "the GIF holds no picture";
            return false;
        }
        if (type != EXTENSION_RECORD_TYPE) continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return Failed(gif->Error, error);
        GraphicsControlBlock control{};
        if (code == GRAPHICS_EXT_FUNC_CODE && block && DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparent = control.TransparentColor;
        while (block)
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return Failed(gif->Error, error);
    }
}

// Every colour index as a pixel: the frame's own table, else the file's, else
// a grey ramp as the format suggests; indices past a table are black.
std::array<Colour, 256> PaletteOf(const GifFileType& gif, int transparent, Colour backdrop)
{
    std::array<Colour, 256> colours;
    colours.fill(kBlack);
    const ColorMapObject* table = gif.Image.ColorMap ? gif.Image.ColorMap : gif.SColorMap;
    if (table) {
        for (int i = 0; i < std::min(table->ColorCount, 256); ++i)
            colours[i] = MakeColour(table->Colors[i].Red, table->Colors[i].Green, table->Colors[i].Blue);
    } else {
        for (int i = 0; i < 256; ++i) colours[i] = MakeColour(i, i, i);
    }
    if (transparent >= 0 && transparent < 256) colours[transparent] = backdrop;
    return colours;
}

// The rows in the order the file stores them: an interlaced frame in four
// passes, every eighth row first.
std::vector<int> RowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    static constexpr int kFirst[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kFirst[pass]; y < height; y += kStep[pass]) rows.push_back(y);
    return rows;
}

void IndicesToColours(const GifPixelType* indices, int width, const std::array<Colour, 256>& colours, Colour* to)
{
    for (int x = 0; x < width; ++x) to[x] = colours[indices[x]];
}

}  // namespace

bool GifDecoder::Decode(const void* data, std::size_t size, long long maxPixels, Colour backdrop, Surface& out,
                        std::string& error, const std::atomic<bool>* stop)
{
    out = Surface();
    MemoryReader reader{static_cast<const GifByteType*>(data), data ? size : 0};
    int code = 0;
    GifFile gif(DGifOpen(&reader, ReadFromMemory, &code));
    if (!gif) return Failed(code, error);
    int transparent = NO_TRANSPARENT_COLOR;
    if (!ReachFirstFrame(gif.get(), transparent, error)) return false;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return Failed(gif->Error, error);

    const int width = gif->Image.Width, height = gif->Image.Height;
    if (width <= 0 || height <= 0) {
        error = "the GIF's first frame is empty";
        return false;
    }
    if (static_cast<long long>(width) * height > maxPixels) {
        error = "the GIF's first frame is larger than its header says";
        return false;
    }
    const std::array<Colour, 256> colours = PaletteOf(*gif, transparent, backdrop);
    Surface picture(width, height);
    picture.Fill(backdrop);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    // Every row must come from the file: a frame cut short or damaged part
    // way is refused, not shown with the missing rows made up.
    for (int y : RowOrder(height, gif->Image.Interlace)) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            error = "stopped";
            return false;
        }
        if (DGifGetLine(gif.get(), line.data(), width) == GIF_ERROR) return Failed(gif->Error, error);
        IndicesToColours(line.data(), width, colours, picture.Row(y));
    }
    out = std::move(picture);
    return true;
}
