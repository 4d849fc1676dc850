// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WebpDecoder.h"

#include <webp/demux.h>

#include <cstdint>
#include <memory>

namespace {

struct DeleteDecoder {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

int Blend(int value, int alpha, int backdrop) { return (value * alpha + backdrop * (255 - alpha) + 127) / 255; }

}  // namespace

bool WebpDecoder::Decode(const void* data, std::size_t size, long long maxPixels, Colour backdrop, Surface& out,
                         std::string& error)
{
    out = Surface();
    WebPAnimDecoderOptions options;
    if (!data || size == 0 || !WebPAnimDecoderOptionsInit(&options)) {
        error = "no WebP decoder";
        return false;
    }
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData webp{static_cast<const std::uint8_t*>(data), size};
    // The structure is checked whole here: a chunk cut short fails.
    std::unique_ptr<WebPAnimDecoder, DeleteDecoder> decoder(WebPAnimDecoderNew(&webp, &options));
    WebPAnimInfo info{};
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) {
        error = "the WebP's chunks are damaged or cut short";
        return false;
    }
    const int width = static_cast<int>(info.canvas_width), height = static_cast<int>(info.canvas_height);
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > maxPixels) {
        error = "the WebP's canvas is empty or larger than its header says";
        return false;
    }
    std::uint8_t* pixels = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp) || !pixels) {
        error = "the WebP's picture does not decode";
        return false;
    }
    Surface picture(width, height);
    const int r0 = RedOf(backdrop), g0 = GreenOf(backdrop), b0 = BlueOf(backdrop);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        Colour* to = picture.Row(y);
        for (int x = 0; x < width; ++x, from += 4) {
            const int alpha = from[3];
            to[x] = alpha == 255 ? MakeColour(from[0], from[1], from[2])
                                 : MakeColour(Blend(from[0], alpha, r0), Blend(from[1], alpha, g0),
                                              Blend(from[2], alpha, b0));
        }
    }
    out = std::move(picture);
    return true;
}
