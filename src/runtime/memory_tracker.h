// A register of live heap blocks fed by the allocator's hooks: one record
// per block, statistics per label and a histogram by size class. It exists
// from the first allocation on; the server never switches it on.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/clock.h"

namespace qosa::runtime {

struct AllocationRecord {
  std::uint64_t address = 0;
  std::uint64_t size = 0;
  std::optional<std::string> label;
  platform::MonotonicTime time_stamp;
  std::uint64_t thread_id = 0;
  std::uint8_t kind = 0;
};

struct LabelStats {
  std::string label;
  std::uint64_t count = 0;
  std::uint64_t total_bytes = 0;
  double average_size = 0;
  std::uint64_t live = 0;
  std::uint64_t peak_live = 0;
  std::map<std::uint8_t, std::uint64_t> kind_counts;
};

// The smallest of 8, 16, ..., 1024, 4096, 16384 not below `size`; the
// largest 64-bit value above 16384.
std::uint64_t size_class(std::uint64_t size) noexcept;

// Hashes with a seed of its own per map.
struct SeededHash {
  std::uint64_t seed = 0;
  std::size_t operator()(std::uint64_t key) const noexcept;
  std::size_t operator()(const std::string& key) const noexcept;
};

class MemoryTracker {
 public:
  MemoryTracker();

  bool is_enabled();
  // For tests: nothing in the server switches tracking on.
  void set_enabled(bool enabled);

  // Hooks: lock order records, labels, histogram; records and labels are
  // only tried, so a hook that finds one held skips that part of its work.
  void track_allocation(std::uint64_t address, std::uint64_t size, std::uint8_t kind,
                        std::optional<std::string> label);
  void track_deallocation(std::uint64_t address);

  // Inspection, for tests.
  std::optional<AllocationRecord> record(std::uint64_t address);
  std::size_t record_count();
  std::optional<LabelStats> label_stats(const std::string& label);
  std::size_t label_count();
  std::optional<std::uint64_t> histogram_count(std::uint64_t size_class);
  std::size_t histogram_entries();
  platform::MonotonicTime start_time() const { return start_time_; }

 private:
  std::mutex records_mutex_;
  std::unordered_map<std::uint64_t, AllocationRecord, SeededHash> records_;
  std::mutex labels_mutex_;
  std::unordered_map<std::string, LabelStats, SeededHash> labels_;
  std::mutex histogram_mutex_;
  std::unordered_map<std::uint64_t, std::uint64_t, SeededHash> histogram_;
  std::mutex enabled_mutex_;
  bool enabled_ = false;
  platform::MonotonicTime start_time_;
};

namespace detail {
extern constinit std::atomic<MemoryTracker*> published_tracker;
}

// The process's tracker, or null before the first allocation.
inline MemoryTracker* memory_tracker() noexcept {
  return detail::published_tracker.load(std::memory_order_acquire);
}

// Creates the process's tracker once; a caller that arrives while another
// creates it waits. The tracker is never destroyed.
MemoryTracker& init_memory_tracker();

}  // namespace qosa::runtime
