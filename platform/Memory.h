// SPDX-License-Identifier: GPL-3.0-or-later
// The process's memory as the system sees it.
#pragma once

namespace Memory {

// Hands the free parts of the heap back to the system. Loading leaves large
// holes (file bytes, decoding buffers) that the heap would otherwise keep.
void ReturnFreeMemory();

// Every large block (a picture, a file's bytes, a decoding buffer) gets pages
// of its own, which go back to the system as soon as it is freed, instead of
// the heap raising that bound after the first such block and keeping the
// holes of later ones until ReturnFreeMemory.
void KeepLargeBlocksApart();

}  // namespace Memory
