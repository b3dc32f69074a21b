// The process heap that the runtime allocator draws from.
#pragma once

#include <cstddef>

namespace qosa::platform {

// Blocks are aligned to at least `heap_alignment` bytes; nullptr when the
// heap refuses.
inline constexpr std::size_t heap_alignment = 16;
void* heap_alloc(std::size_t size) noexcept;
void heap_free(void* block) noexcept;

}  // namespace qosa::platform
