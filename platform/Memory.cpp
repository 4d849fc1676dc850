#include "platform/Memory.h"

#include <malloc.h>

namespace Memory {

void ReturnFreeMemory() { malloc_trim(0); }

}  // namespace Memory
