// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HeifDecoder.h"

#include <libheif/heif.h>

#include <algorithm>
#include <climits>

#include "platform/HeifLayout.h"
#include "platform/PictureDecoder.h"

namespace {

// The longest side of a picture of `pixels` pixels `aspect` times as long as wide.
constexpr int LongestSide(long long pixels, long long aspect)
{
    long long side = 1;
    while ((side + 1) * (side + 1) <= pixels * aspect) ++side;
    return static_cast<int>(side);
}

int Blend(int value, int alpha, int backdrop) { return (value * alpha + backdrop * (255 - alpha) + 127) / 255; }

}  // namespace

const int HeifDecoder::kMaxSide = LongestSide(PictureDecoder::kMemoryBudget / PictureDecoder::kHeifBytesPerPixel, 4);

struct HeifDecoder::State {
    heif_context* context = nullptr;
    heif_image_handle* handle = nullptr;
    std::string message;
    bool tooLarge = false;
    long long pixelsToDecode = 0;

    bool Check(const heif_error& error)
    {
        if (error.code == heif_error_Ok) return true;
        message = error.message ? error.message : "damaged file";
        tooLarge = error.subcode == heif_suberror_Security_limit_exceeded;
        return false;
    }

    void Close()
    {
        if (handle) heif_image_handle_release(handle);
        if (context) heif_context_free(context);
        handle = nullptr;
        context = nullptr;
    }
};

HeifDecoder::HeifDecoder() : state(std::make_unique<State>()) {}

HeifDecoder::~HeifDecoder() { state->Close(); }

bool HeifDecoder::Open(const void* data, std::size_t size)
{
    State& s = *state;
    s.Close();
    s.tooLarge = false;
    if (!data || size == 0) {
        s.message = "empty file";
        return false;
    }
    s.context = heif_context_alloc();
    if (!s.context) {
        s.message = "out of memory";
        return false;
    }
    heif_context_set_maximum_image_size_limit(s.context, kMaxSide);
    if (!s.Check(heif_context_read_from_memory_without_copy(s.context, data, size, nullptr)) ||
        !s.Check(heif_context_get_primary_image_handle(s.context, &s.handle))) {
        s.Close();
        return false;
    }
    s.pixelsToDecode = static_cast<long long>(Width()) * Height();
    HeifLayout layout;
    if (layout.Read(static_cast<const unsigned char*>(data), size)) {
        s.pixelsToDecode = std::max(s.pixelsToDecode, layout.LargestPixels());
        if (layout.LongestSide() >= kMaxSide) {
            s.message = "a grid or a coded picture is larger than the library's largest side";
            s.tooLarge = true;
            s.Close();
            return false;
        }
    }
    return true;
}

long long HeifDecoder::PixelsToDecode() const { return state->handle ? state->pixelsToDecode : 0; }

// The handle's size is the one after the file's own turning and mirroring,
// which decoding applies.
int HeifDecoder::Width() const { return state->handle ? heif_image_handle_get_width(state->handle) : 0; }
int HeifDecoder::Height() const { return state->handle ? heif_image_handle_get_height(state->handle) : 0; }

bool HeifDecoder::Decode(Colour backdrop, Surface& out)
{
    State& s = *state;
    if (!s.handle) {
        s.message = "no picture opened";
        return false;
    }
    heif_image* image = nullptr;
    if (!s.Check(heif_decode_image(s.handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr)))
        return false;
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    // A coded picture of another size than the file gives for it (the memory
    // budget was reckoned from that size) is damaged.
    const bool sizeAsGiven = width == Width() && height == Height();
    bool done = pixels && width > 0 && height > 0 && stride >= width * 4 && sizeAsGiven;
    if (done) {
        out = Surface(width, height);
        const int r0 = RedOf(backdrop), g0 = GreenOf(backdrop), b0 = BlueOf(backdrop);
        for (int y = 0; y < height; ++y) {
            const uint8_t* from = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
            Colour* to = out.Row(y);
            for (int x = 0; x < width; ++x, from += 4) {
                const int alpha = from[3];
                to[x] = alpha == 255 ? MakeColour(from[0], from[1], from[2])
                                     : MakeColour(Blend(from[0], alpha, r0), Blend(from[1], alpha, g0),
                                                  Blend(from[2], alpha, b0));
            }
        }
    } else if (pixels && width > 0 && height > 0 && !sizeAsGiven) {
        s.message = "the decoded picture's size differs from the size the file gives";
    } else {
        s.message = "the decoded picture is empty";
    }
    heif_image_release(image);
    return done;
}

const std::string& HeifDecoder::ErrorMessage() const { return state->message; }

bool HeifDecoder::TooLarge() const { return state->tooLarge; }
