#include "platform/heap.h"

#include <cstdlib>

namespace qosa::platform {

void* heap_alloc(std::size_t size) noexcept { return std::malloc(size); }

void heap_free(void* block) noexcept { std::free(block); }

}  // namespace qosa::platform
