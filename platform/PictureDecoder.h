// SPDX-License-Identifier: GPL-3.0-or-later
// One decoder for every picture format the player may bring: JPEG (reduced
// while decoding when only a smaller copy is needed), PNG, WebP, GIF, TIFF,
// BMP and TGA, HEIC/HEIF and AVIF. The bytes are in memory already; the
// format comes from their content. Open reads only the header, so the size
// and the memory decoding would take are known before any pixel is decoded;
// Decode refuses a picture beyond the memory budget before it allocates.
// The picture comes out upright and opaque. Works without a window.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/PictureHeader.h"
#include "platform/Surface.h"

class JpegDecoder;
class HeifDecoder;

class PictureDecoder {
public:
    // The most memory decoding one picture may take.
    static constexpr long long kMemoryBudget = 640LL << 20;
    // Bytes a pixel of a HEIF or AVIF picture costs at the peak of decoding:
    // libheif's planes, its converted copy, and ours.
    static constexpr long long kHeifBytesPerPixel = 12;
    // Transparent parts of a picture are shown over this grey.
    static constexpr Colour kBackdrop = MakeColour(128, 128, 128);

    enum class Failure {
        None,
        NotAPicture,  // no format the game reads
        TooLarge,     // decoding would take more than the memory budget
        Damaged,      // the format is known but the file does not decode
        TooSlow,      // decoding would take far longer than any picture should
    };

    PictureDecoder();
    // Once, on the main thread, before decoding on any other thread.
    static void PrepareLibraries();
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;

    // Reads the format and the size. The bytes must stay until Decode.
    bool Open(const void* data, std::size_t size);
    PictureFormat Format() const { return format; }
    // The upright size.
    int Width() const { return width; }
    int Height() const { return height; }
    // Bytes decoding the whole picture needs at most.
    long long MemoryNeeded() const { return memoryNeeded; }
    // The largest picture of this kind, in whole megapixels, that fits the budget.
    long long MaxMegapixels() const;

    // Between Open and Decode: the picture may come out reduced, as long as it
    // stays at least this large (only JPEG reduces while decoding).
    void ScaleToAtLeast(int minWidth, int minHeight);
    // Between Open and Decode: shown the rows of the picture as they become
    // final (a JPEG not marked as turned; other pictures are whole at once),
    // and told when a failed decode takes them away (JpegDecoder::WatchRows).
    using RowWatcher = std::function<void(const Surface& picture, int rowsFinal)>;
    void WatchRows(RowWatcher watcher);
    bool Decode(Surface& out);
    // Decoding stops soon after `stop` is set, from any thread, failing as
    // TooSlow (JPEG and GIF; the other libraries cannot be stopped).
    void SetStop(const std::atomic<bool>* flag) { stop = flag; }

    Failure GetFailure() const { return failure; }
    // The library's own words about the failure; for the log.
    const std::string& Detail() const { return detail; }

private:
    bool Fail(Failure why, const std::string& words);

    const std::atomic<bool>* stop = nullptr;
    std::unique_ptr<JpegDecoder> jpeg;
    std::unique_ptr<HeifDecoder> heif;
    const void* bytes = nullptr;
    std::size_t size = 0;
    PictureFormat format = PictureFormat::Unknown;
    int orientation = 1;
    int width = 0;
    int height = 0;
    long long memoryNeeded = 0;
    long long bytesPerPixel = 4;  // of the whole picture while decoding, for its kind
    Failure failure = Failure::None;
    std::string detail;
};
