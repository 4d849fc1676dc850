// SPDX-License-Identifier: GPL-3.0-or-later
// A picture reduced so that each pixel is the average of the source area it
// covers (a box filter, exact to a 256th of a pixel at its edges), made in
// bands of rows that any number of threads take in turn.
//
// The source's rows may arrive while it works: a decoder that reports each
// run of rows as soon as they are final lets the reduction run beside it on
// another core, each band waiting only for the rows under it, so that a
// photo brought to a large cut's size is ready soon after its last row is
// decoded rather than a whole reduction later.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/Surface.h"

class AreaReducer {
public:
    // For each target pixel along a side, the source pixels under it and
    // their shares of it in 256ths: target pixel i takes `taps` source
    // pixels from `first[i]` on, weighed by `weights[i * taps]` on. Every
    // target pixel takes as many (the most any one needs, the others' extra
    // shares nothing), so that the inner loops have a fixed length.
    struct Shares {
        std::vector<int> first;
        std::vector<std::uint16_t> weights;
        int taps = 1;
    };

    // sourceWidth x sourceHeight to width x height, neither side larger than
    // the source's; otherwise (or for an empty size) the result is empty.
    AreaReducer(int sourceWidth, int sourceHeight, int width, int height);
    bool IsEmpty() const { return result.IsEmpty(); }

    // Each target row, once made, is also passed through `finish` (on the
    // thread that made it), while it is fresh in the cache. Before Work.
    using RowFinish = std::function<void(Colour* row, int width)>;
    void FinishRowsWith(RowFinish finish) { rowFinish = std::move(finish); }
    // Work for a thread that would otherwise wait for the source's rows:
    // given the reduction and how many of its rows from the top are made
    // (final, and finished), it does a little and answers true, or answers
    // false when nothing is left for it until more rows are made. It reads
    // only those rows. Before Work.
    using SpareWork = std::function<bool(const Surface& made, int rowsMade)>;
    void SpareTimeFor(SpareWork work) { spareWork = std::move(work); }

    // Rows [0, rows) of the source, sourceWidth pixels a row from `pixels`,
    // are final (a later call may give the same rows at another address,
    // such as the picture moved into place). From any thread.
    void Arrived(const Colour* pixels, int rows);
    // Makes bands until none is left, each once the rows under it have
    // arrived; from as many threads at once as should share the work.
    // Returns early, the reduction unfinished, once abandoned.
    void Work();
    // No more rows will come: every thread in Work returns.
    void Abandon();
    // The reduced picture, once Work has returned on every thread.
    Surface TakeResult() { return std::move(result); }

    // The reduction of a whole picture in bands on the processor's cores.
    static Surface Reduce(const Surface& picture, int width, int height);

private:
    static constexpr int kBandRows = 64;

    void ReduceBand(const Colour* pixels, int fromRow, int toRow) const;
    // The rows under the band have arrived (true), or the reduction is abandoned.
    bool WaitForRows(int needed);
    void BandMade(int band);

    int sourceWidth;
    int sourceHeight;
    Shares columns;
    Shares rows;
    Surface result;
    Colour* out = nullptr;
    RowFinish rowFinish;
    SpareWork spareWork;
    std::atomic<int> nextBand{0};
    std::mutex mutex;
    std::condition_variable moreRows;
    const Colour* source = nullptr;
    int arrived = 0;
    bool abandoned = false;
    std::vector<char> bandsMade;  // under the mutex
    int rowsMade = 0;             // the rows of the bands made from the top, under the mutex
};
