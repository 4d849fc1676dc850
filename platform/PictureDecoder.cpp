// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PictureDecoder.h"

#include <algorithm>
#include <climits>
#include <new>

#include "platform/ExifOrientation.h"
#include "platform/GifDecoder.h"
#include "platform/HeifDecoder.h"
#include "platform/JpegDecoder.h"
#include "platform/SdlPictureDecoder.h"
#include "platform/TiffDecoder.h"
#include "platform/WebpDecoder.h"

namespace {

// Bytes a pixel of the whole picture costs at the peak of decoding, beyond
// JPEG's own reckoning: the library's copy, its copy as red, green, blue and
// alpha, and ours (a turned copy is made after the library's are gone).
constexpr long long kSdlBytesPerPixel = 12;
constexpr long long kLargestSide = 1LL << 30;

// Bytes for a picture of that many pixels, at most the largest number there
// is: two sides of up to 2^30 pixels each would overflow it otherwise.
long long BytesFor(long long pixels, long long bytesPerPixel)
{
    return pixels > LLONG_MAX / bytesPerPixel ? LLONG_MAX : pixels * bytesPerPixel;
}

}  // namespace

static_assert(PictureDecoder::kMemoryBudget == JpegDecoder::kMemoryBudget, "one budget for every picture");

PictureDecoder::PictureDecoder() = default;

void PictureDecoder::PrepareLibraries() { SdlPictureDecoder::Prepare(); }
PictureDecoder::~PictureDecoder() = default;

bool PictureDecoder::Fail(Failure why, const std::string& words)
{
    failure = why;
    detail = words;
    return false;
}

bool PictureDecoder::Open(const void* data, std::size_t count)
{
    jpeg.reset();
    heif.reset();
    bytes = data;
    size = count;
    format = PictureFormat::Unknown;
    orientation = 1;
    width = height = 0;
    memoryNeeded = 0;
    bytesPerPixel = 4;
    failure = Failure::None;
    detail.clear();
    if (!data || count == 0) return Fail(Failure::NotAPicture, "empty file");

    const PictureHeader header = PictureHeader::Read(static_cast<const unsigned char*>(data), count);
    format = header.format;
    long long storedWidth = header.width, storedHeight = header.height;
    switch (format) {
    case PictureFormat::Unknown:
        return Fail(Failure::NotAPicture, "no known picture format");
    case PictureFormat::Jpeg:
        jpeg = std::make_unique<JpegDecoder>();
        jpeg->SetStop(stop);
        if (!jpeg->Init() || !jpeg->ReadHeaderFromMemory(data, count)) return Fail(Failure::Damaged, jpeg->ErrorMessage());
        width = jpeg->Width();
        height = jpeg->Height();
        memoryNeeded = jpeg->MemoryNeeded();
        if (width > 0 && height > 0) {
            const long long pixels = static_cast<long long>(width) * height;
            bytesPerPixel = (memoryNeeded + pixels - 1) / pixels;
        }
        break;
    case PictureFormat::Heif:
    case PictureFormat::Avif:
        bytesPerPixel = kHeifBytesPerPixel;
        heif = std::make_unique<HeifDecoder>();
        if (!heif->Open(data, count)) {
            // The library refuses a picture beyond its largest side itself.
            return Fail(heif->TooLarge() ? Failure::TooLarge : Failure::Damaged, heif->ErrorMessage());
        }
        width = heif->Width();
        height = heif->Height();
        memoryNeeded = BytesFor(heif->PixelsToDecode(), bytesPerPixel);
        if (memoryNeeded > kMemoryBudget && heif->PixelsToDecode() > static_cast<long long>(width) * height) {
            // The size the file gives is not the size it decodes to: the
            // sentence for the player names no size.
            width = height = 0;
            return Fail(Failure::TooLarge, "a grid or a coded picture is larger than the size the file gives");
        }
        break;
    default:
        bytesPerPixel = kSdlBytesPerPixel;
        orientation = header.orientation;
        // The TIFF library mirrors the picture by the orientation itself, and
        // takes the four quarter turns for the mirrorings only: what is left
        // to do is a transpose of one kind or the other.
        if (format == PictureFormat::Tiff) {
            static constexpr int kLeftToDo[9] = {1, 1, 1, 1, 1, 5, 7, 5, 7};
            orientation = kLeftToDo[orientation];
        }
        if (storedWidth <= 0 || storedHeight <= 0) return Fail(Failure::Damaged, "no size in the header");
        if (storedWidth > kLargestSide || storedHeight > kLargestSide) {
            width = static_cast<int>(std::min(storedWidth, kLargestSide));
            height = static_cast<int>(std::min(storedHeight, kLargestSide));
            memoryNeeded = kLargestSide * kLargestSide;
            return Fail(Failure::TooLarge, "the header claims a size beyond any picture");
        }
        width = static_cast<int>(ExifOrientation::SwapsSides(orientation) ? storedHeight : storedWidth);
        height = static_cast<int>(ExifOrientation::SwapsSides(orientation) ? storedWidth : storedHeight);
        memoryNeeded = BytesFor(storedWidth * storedHeight, bytesPerPixel);
        break;
    }
    if (width <= 0 || height <= 0) return Fail(Failure::Damaged, "empty picture");
    if (memoryNeeded > kMemoryBudget) return Fail(Failure::TooLarge, "decoding would take more memory than allowed");
    return true;
}

long long PictureDecoder::MaxMegapixels() const { return kMemoryBudget / std::max(4LL, bytesPerPixel) / 1000000; }

void PictureDecoder::ScaleToAtLeast(int minWidth, int minHeight)
{
    if (jpeg) jpeg->ScaleToAtLeast(minWidth, minHeight);
}

void PictureDecoder::WatchRows(RowWatcher watcher)
{
    if (jpeg) jpeg->WatchRows(std::move(watcher));
}

bool PictureDecoder::Decode(Surface& out)
{
    if (failure != Failure::None) return false;
    if (!bytes || width <= 0 || height <= 0) return Fail(Failure::NotAPicture, "nothing opened");
    if (memoryNeeded > kMemoryBudget) return Fail(Failure::TooLarge, "decoding would take more memory than allowed");
    try {
        if (jpeg) {
            if (!jpeg->ReadImage(out))
                return Fail(jpeg->TooMuchWork() ? Failure::TooSlow : Failure::Damaged, jpeg->ErrorMessage());
            return true;
        }
        if (heif) {
            if (!heif->Decode(kBackdrop, out)) return Fail(Failure::Damaged, heif->ErrorMessage());
            return true;
        }
        Surface raw;
        std::string words;
        const long long pixels = static_cast<long long>(width) * height;
        bool decoded = false;
        if (format == PictureFormat::Gif)
            decoded = GifDecoder::Decode(bytes, size, pixels, kBackdrop, raw, words, stop);
        else if (format == PictureFormat::Webp)
            decoded = WebpDecoder::Decode(bytes, size, pixels, kBackdrop, raw, words);
        else if (format == PictureFormat::Tiff)
            decoded = TiffDecoder::Decode(bytes, size, pixels, kBackdrop, raw, words);
        else
            decoded = SdlPictureDecoder::Decode(bytes, size, format, kBackdrop, raw, words);
        if (!decoded) return Fail(stop && stop->load() ? Failure::TooSlow : Failure::Damaged, words);
        // The budget was reckoned from the header: a picture larger than it
        // said is not what the file claims to be.
        if (static_cast<long long>(raw.Width()) * raw.Height() > static_cast<long long>(width) * height)
            return Fail(Failure::Damaged, "the picture decoded is larger than its header says");
        if (orientation == 1)
            out = std::move(raw);
        else
            ExifOrientation::Apply(raw, orientation, out);
        return true;
    } catch (const std::bad_alloc&) {
        out = Surface();
        return Fail(Failure::TooLarge, "out of memory");
    }
}
