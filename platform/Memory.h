// The process's memory as the system sees it.
#pragma once

namespace Memory {

// Hands the free parts of the heap back to the system. Loading leaves large
// holes (file bytes, decoding buffers) that the heap would otherwise keep.
void ReturnFreeMemory();

}  // namespace Memory
