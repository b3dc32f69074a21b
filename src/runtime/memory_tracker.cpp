#include "runtime/memory_tracker.h"

#include <array>
#include <limits>
#include <new>
#include <string_view>

#include "runtime/allocator.h"

namespace qosa::runtime {

namespace detail {
constinit std::atomic<MemoryTracker*> published_tracker{nullptr};
}

namespace {

// The splitmix64 finaliser.
std::uint64_t mix(std::uint64_t x) noexcept {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

constexpr std::array<std::uint64_t, 10> size_classes{8, 16, 32, 64, 128, 256, 512, 1024, 4096, 16384};

}  // namespace

std::uint64_t size_class(std::uint64_t size) noexcept {
  for (std::uint64_t size_class : size_classes) {
    if (size <= size_class) return size_class;
  }
  return std::numeric_limits<std::uint64_t>::max();
}

std::size_t SeededHash::operator()(std::uint64_t key) const noexcept { return mix(key ^ seed); }

std::size_t SeededHash::operator()(const std::string& key) const noexcept {
  return mix(std::hash<std::string_view>{}(key) ^ seed);
}

MemoryTracker::MemoryTracker()
    : records_(0, SeededHash{platform::random_seed()}),
      labels_(0, SeededHash{platform::random_seed()}),
      histogram_(0, SeededHash{platform::random_seed()}),
      start_time_(platform::monotonic_now()) {}

bool MemoryTracker::is_enabled() {
  std::lock_guard lock(enabled_mutex_);
  return enabled_;
}

void MemoryTracker::set_enabled(bool enabled) {
  std::lock_guard lock(enabled_mutex_);
  enabled_ = enabled;
}

void MemoryTracker::track_allocation(std::uint64_t address, std::uint64_t size, std::uint8_t kind,
                                     std::optional<std::string> label) {
  if (!is_enabled()) return;
  AllocationRecord record{address, size, label, platform::monotonic_now(),
                          platform::current_thread_id(), kind};
  {
    std::unique_lock records(records_mutex_, std::try_to_lock);
    if (!records) return;
    records_.insert_or_assign(address, std::move(record));
  }
  if (label) {
    std::unique_lock labels(labels_mutex_, std::try_to_lock);
    if (labels) {
      auto [entry, added] = labels_.try_emplace(*label);
      LabelStats& stats = entry->second;
      if (added) stats.label = std::move(*label);
      stats.count += 1;
      stats.total_bytes += size;
      stats.live += 1;
      if (stats.live > stats.peak_live) stats.peak_live = stats.live;
      stats.average_size = static_cast<double>(stats.total_bytes) / static_cast<double>(stats.count);
      stats.kind_counts[kind] += 1;
    }
  }
  std::unique_lock histogram(histogram_mutex_, std::try_to_lock);
  if (!histogram) return;
  histogram_[size_class(size)] += 1;
}

void MemoryTracker::track_deallocation(std::uint64_t address) {
  if (!is_enabled()) return;
  std::unique_lock records(records_mutex_, std::try_to_lock);
  if (!records) return;
  auto released = records_.extract(address);
  if (released.empty()) return;
  const AllocationRecord& record = released.mapped();
  if (record.label) {
    std::unique_lock labels(labels_mutex_, std::try_to_lock);
    if (labels) {
      auto entry = labels_.find(*record.label);
      if (entry != labels_.end() && entry->second.live > 0) entry->second.live -= 1;
    }
  }
  // The one lock a hook waits for besides the enabled flag's.
  std::lock_guard histogram(histogram_mutex_);
  auto entry = histogram_.find(size_class(record.size));
  if (entry != histogram_.end() && entry->second > 0) entry->second -= 1;
}

// The inspections copy under the map's lock; the scope keeps those copies
// from being reported into the maps being read.
namespace {

template <class Map, class Key>
std::optional<typename Map::mapped_type> find_copy(std::mutex& mutex, const Map& map,
                                                   const Key& key) {
  TrackerScope scope;
  std::lock_guard lock(mutex);
  auto entry = map.find(key);
  if (entry == map.end()) return std::nullopt;
  return entry->second;
}

template <class Map>
std::size_t locked_size(std::mutex& mutex, const Map& map) {
  std::lock_guard lock(mutex);
  return map.size();
}

}  // namespace

std::optional<AllocationRecord> MemoryTracker::record(std::uint64_t address) {
  return find_copy(records_mutex_, records_, address);
}

std::size_t MemoryTracker::record_count() { return locked_size(records_mutex_, records_); }

std::optional<LabelStats> MemoryTracker::label_stats(const std::string& label) {
  return find_copy(labels_mutex_, labels_, label);
}

std::size_t MemoryTracker::label_count() { return locked_size(labels_mutex_, labels_); }

std::optional<std::uint64_t> MemoryTracker::histogram_count(std::uint64_t size_class) {
  return find_copy(histogram_mutex_, histogram_, size_class);
}

std::size_t MemoryTracker::histogram_entries() { return locked_size(histogram_mutex_, histogram_); }

MemoryTracker& init_memory_tracker() {
  // Never destroyed: releases still arrive after static destructors ran.
  alignas(MemoryTracker) static unsigned char storage[sizeof(MemoryTracker)];
  static MemoryTracker* const tracker = [] {
    TrackerScope scope;
    auto* created = new (storage) MemoryTracker();
    detail::published_tracker.store(created, std::memory_order_release);
    return created;
  }();
  return *tracker;
}

}  // namespace qosa::runtime
