// The process-wide allocator: every operator new and delete of the program
// goes through `alloc` and `dealloc`, which count the bytes in use, keep the
// allocation statistics and report each block to the memory tracker.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/lock.h"

namespace qosa::runtime {

struct AllocationCounts {
  std::uint64_t total_allocated = 0;
  std::uint64_t total_freed = 0;
  std::uint64_t current = 0;
  std::uint64_t peak = 0;
  std::uint64_t allocation_count = 0;
  std::uint64_t free_count = 0;
};

// Six counters behind one leaf lock; the process has one instance.
class AllocationStats {
 public:
  constexpr AllocationStats() = default;
  void record_alloc(std::uint64_t size) noexcept;
  void record_free(std::uint64_t size) noexcept;
  AllocationCounts counts() const noexcept;

 private:
  mutable platform::Lock mutex_;
  AllocationCounts counts_;
};

inline constexpr std::size_t default_alignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

// A block of at least `size` bytes at a multiple of `alignment` (a power of
// two). Never null: a refused request ends the process with its message.
void* alloc(std::size_t alignment, std::size_t size) noexcept;
// Returns a block with the size and alignment it was allocated with.
void dealloc(void* pointer, std::size_t size, std::size_t alignment) noexcept;

// The size a block from `alloc` was asked for; unsized deletes need it.
std::size_t block_size(const void* pointer) noexcept;
// The start of the heap block that holds a block from `alloc`.
const void* heap_block(const void* pointer) noexcept;

std::uint64_t live_bytes() noexcept;
AllocationCounts allocation_stats() noexcept;

// While a scope lives on a thread, that thread's allocations and releases
// are not reported to the tracker: the tracker's own work is not tracked.
class TrackerScope {
 public:
  TrackerScope() noexcept;
  ~TrackerScope();
  TrackerScope(const TrackerScope&) = delete;
  TrackerScope& operator=(const TrackerScope&) = delete;

 private:
  bool outer_;
};

bool in_tracker() noexcept;

}  // namespace qosa::runtime
