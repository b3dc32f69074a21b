#include "platform/heap.h"

#include <windows.h>

namespace qosa::platform {

// HeapAlloc on x64 returns blocks at 16 bytes (MEMORY_ALLOCATION_ALIGNMENT).
static_assert(MEMORY_ALLOCATION_ALIGNMENT >= heap_alignment);

void* heap_alloc(std::size_t size) noexcept { return HeapAlloc(GetProcessHeap(), 0, size); }

void heap_free(void* block) noexcept {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

// The process heap keeps freed memory for reuse by itself.
void prepare_heap() noexcept {}

}  // namespace qosa::platform
