#include "platform/heap.h"

#include <cstdlib>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace qosa::platform {

void* heap_alloc(std::size_t size) noexcept { return std::malloc(size); }

void heap_free(void* block) noexcept { std::free(block); }

void prepare_heap() noexcept {
#ifdef M_TRIM_THRESHOLD
  // Blocks below 32 MiB come from the heap rather than their own mapping, and
  // up to 64 MiB of free memory at its top stays with the process.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

}  // namespace qosa::platform
