// The monotonic high-resolution clock and the few facts about the running
// thread and process that the memory tracker records.
#pragma once

#include <cstdint>

namespace qosa::platform {

struct MonotonicTime {
  std::uint64_t seconds = 0;
  std::uint32_t nanoseconds = 0;
  friend bool operator==(const MonotonicTime&, const MonotonicTime&) = default;
};

MonotonicTime monotonic_now() noexcept;

// The system's id of the calling thread.
std::uint64_t current_thread_id() noexcept;

// A fresh value for seeding hash maps; never allocates.
std::uint64_t random_seed() noexcept;

}  // namespace qosa::platform
