// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes JPEG files: baseline and progressive, colour, greyscale and CMYK,
// always into red, green and blue. The steps follow the way the image manager
// loads a picture: initialise, read the header, read the image, free. A
// damaged or truncated file makes a step fail with a message, never ends the
// program.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/Surface.h"

class JpegDecoder {
public:
    // Largest decoded picture accepted by default: 120 megapixels.
    static constexpr long long kMaxPixels = 120LL << 20;
    // The most memory one picture may take to decode (the library is held to
    // it as well, so no header can talk it into more).
    static constexpr long long kMemoryBudget = 640LL << 20;

    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Sets up the library state. Fails only when memory runs out.
    bool Init();
    // Reads the whole file (a regular file only), then its header. Width() and Height() are then
    // the picture's size as it is meant to be seen: a photograph that its
    // camera marked as turned comes out upright.
    bool ReadHeader(const char* path);
    // The same for a file already in memory; the bytes must stay until ReadImage.
    bool ReadHeaderFromMemory(const void* data, std::size_t size);
    int Width() const;
    int Height() const;

    // Between ReadHeader and ReadImage: decode at the largest reduction (1/8,
    // 2/8, ... 8/8, done while decoding, so much faster than shrinking
    // afterwards) whose result is still at least minWidth x minHeight.
    void ScaleToAtLeast(int minWidth, int minHeight);
    // Bytes decoding needs at most, known from the header: the source pixels,
    // and for a progressive picture the coefficients it keeps until its last scan.
    long long MemoryNeeded() const;
    bool IsProgressive() const;
    // The size ReadImage produces.
    int OutputWidth() const;
    int OutputHeight() const;
    // Pictures whose decoded size exceeds this many pixels are refused.
    void SetMaxPixels(long long maxPixels);

    // Shown the picture being decoded each time more of its rows, from the
    // top, are final: the rows [0, rowsFinal) of `picture`. Not called for a
    // picture its camera marked as turned (its rows are final only at the end).
    // When the decode fails after some were shown, it is called once more
    // with rowsFinal 0 just before they go: nothing may read them after it
    // returns.
    using RowWatcher = std::function<void(const Surface& picture, int rowsFinal)>;
    void WatchRows(RowWatcher watcher);
    // Decodes the picture into `out`, top row first, at the output size.
    bool ReadImage(Surface& out);
    // Releases the library state and the file; Init starts afresh.
    void Free();

    // Why the last step failed.
    const std::string& ErrorMessage() const;
    // It failed because its scans would take more work than any photograph's,
    // or because it was stopped.
    bool TooMuchWork() const;
    // Decoding stops soon after `stop` is set (from any thread).
    void SetStop(const std::atomic<bool>* stop);

private:
    struct State;
    std::unique_ptr<State> state;
};
