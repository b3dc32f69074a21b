// The process heap that the runtime allocator draws from.
#pragma once

#include <cstddef>

namespace qosa::platform {

// Blocks are aligned to at least `heap_alignment` bytes; nullptr when the
// heap refuses.
inline constexpr std::size_t heap_alignment = 16;
void* heap_alloc(std::size_t size) noexcept;
void heap_free(void* block) noexcept;

// Tunes the heap for a server whose answers run to hundreds of kilobytes:
// freed memory is kept for the next message instead of going back to the
// system and faulting in again. Called once at start-up.
void prepare_heap() noexcept;

}  // namespace qosa::platform
