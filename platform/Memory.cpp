// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Memory.h"

#include <malloc.h>

namespace Memory {

void ReturnFreeMemory() { malloc_trim(0); }

void KeepLargeBlocksApart()
{
    // Setting the bound at all keeps it where it is set: 128 KB, the usual start.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

}  // namespace Memory
