// SPDX-License-Identifier: GPL-3.0-or-later
// Work shared out over the processor's cores: the cutting of a large
// puzzle's pieces, their halvings and copies, a photo's reduction. The
// calling thread takes a share too, and every share is done on return.
#pragma once

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

// One thread a core, at most eight.
inline int CoresToUse() { return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)); }

// work(share) for share 0 .. shares - 1, each on a thread of its own (share 0
// on this one), all done before it returns.
template <class Work>
void OnEveryCore(int shares, Work work)
{
    std::vector<std::future<void>> others;
    for (int share = 1; share < shares; ++share) others.push_back(std::async(std::launch::async, work, share));
    work(0);
    for (std::future<void>& other : others) other.get();
}
