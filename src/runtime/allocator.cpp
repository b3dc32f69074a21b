#include "runtime/allocator.h"

#include <bit>
#include <charconv>
#include <new>
#include <string_view>

#include "platform/heap.h"
#include "platform/platform.h"
#include "runtime/memory_tracker.h"

namespace qosa::runtime {
namespace {

// Every block starts with its requested size and the heap block it lies in,
// so unsized deletes and over-aligned blocks can be returned.
struct BlockHeader {
  std::uint64_t size;
  void* raw;
};
constexpr std::size_t header_size = sizeof(BlockHeader);
static_assert(header_size == 16 && header_size == platform::heap_alignment,
              "a header in front of a heap block keeps the block at the heap's alignment");

BlockHeader* header_of(const void* pointer) noexcept {
  return reinterpret_cast<BlockHeader*>(
      const_cast<char*>(static_cast<const char*>(pointer) - header_size));
}

struct State {
  std::atomic<std::uint64_t> live_bytes{0};
  AllocationStats stats;
};

// Frees may arrive after static destructors have run, so the state lives in
// storage that is never destroyed.
union StateStorage {
  constexpr StateStorage() : state() {}
  ~StateStorage() {}
  State state;
};
constinit StateStorage storage;

constinit thread_local bool in_tracker_flag = false;

void write_error(std::string_view text) noexcept {
  (void)platform::write_all(platform::stderr_fd, text.data(), text.size());
}

// Writes the message from a stack buffer: the heap has just failed.
[[noreturn]] void out_of_memory(std::size_t size, std::size_t alignment) noexcept {
  char text[128];
  char* end = text + sizeof text;
  auto append = [&](char* at, std::string_view part) {
    for (char c : part) *at++ = c;
    return at;
  };
  char* at = append(text, "QOSA OOM: Failed to allocate ");
  at = std::to_chars(at, end, size).ptr;
  at = append(at, " bytes (align: ");
  at = std::to_chars(at, end, alignment).ptr;
  at = append(at, ")\n");
  write_error({text, static_cast<std::size_t>(at - text)});
  platform::abort_process();
}

// Runs one tracker hook, unless this thread is already inside one; the first
// report of the process creates the tracker.
template <class Hook>
void report(Hook hook) noexcept {
  if (in_tracker_flag) return;
  in_tracker_flag = true;
  MemoryTracker* tracker = memory_tracker();
  if (tracker == nullptr) tracker = &init_memory_tracker();
  hook(*tracker);
  in_tracker_flag = false;
}

}  // namespace

void AllocationStats::record_alloc(std::uint64_t size) noexcept {
  std::lock_guard lock(mutex_);
  counts_.total_allocated += size;
  counts_.current += size;
  counts_.allocation_count += 1;
  if (counts_.current > counts_.peak) counts_.peak = counts_.current;
}

void AllocationStats::record_free(std::uint64_t size) noexcept {
  std::lock_guard lock(mutex_);
  counts_.total_freed += size;
  counts_.current = size > counts_.current ? 0 : counts_.current - size;
  counts_.free_count += 1;
}

AllocationCounts AllocationStats::counts() const noexcept {
  std::lock_guard lock(mutex_);
  return counts_;
}

void* alloc(std::size_t alignment, std::size_t size) noexcept {
  State& state = storage.state;
  state.live_bytes.fetch_add(size, std::memory_order_relaxed);
  state.stats.record_alloc(size);

  // Up to the heap's alignment the header is the whole offset; above it the
  // block starts 1 to `alignment` bytes into the heap block, which leaves at
  // least a header's room because both alignments are multiples of 16.
  const std::size_t pad = alignment <= header_size ? header_size : alignment;
  std::size_t request = 0;
  void* raw = nullptr;
  if (std::has_single_bit(alignment) && !__builtin_add_overflow(size, pad, &request)) {
    raw = platform::heap_alloc(request);
  }
  if (raw == nullptr) {
    state.live_bytes.fetch_sub(size, std::memory_order_relaxed);
    out_of_memory(size, alignment);
  }
  const auto address = reinterpret_cast<std::uintptr_t>(raw);
  if (address % platform::heap_alignment != 0) {
    write_error("QOSA heap: block below its promised alignment\n");
    platform::abort_process();
  }
  void* result = static_cast<char*>(raw) + (pad - address % pad);
  *header_of(result) = {size, raw};

  report([&](MemoryTracker& tracker) {
    tracker.track_allocation(reinterpret_cast<std::uintptr_t>(result), size, 1, std::nullopt);
  });
  return result;
}

void dealloc(void* pointer, std::size_t size, std::size_t /*alignment*/) noexcept {
  State& state = storage.state;
  state.live_bytes.fetch_sub(size, std::memory_order_relaxed);
  state.stats.record_free(size);
  report([&](MemoryTracker& tracker) {
    tracker.track_deallocation(reinterpret_cast<std::uintptr_t>(pointer));
  });
  platform::heap_free(header_of(pointer)->raw);
}

std::size_t block_size(const void* pointer) noexcept { return header_of(pointer)->size; }

const void* heap_block(const void* pointer) noexcept { return header_of(pointer)->raw; }

std::uint64_t live_bytes() noexcept {
  return storage.state.live_bytes.load(std::memory_order_relaxed);
}

AllocationCounts allocation_stats() noexcept { return storage.state.stats.counts(); }

TrackerScope::TrackerScope() noexcept : outer_(in_tracker_flag) { in_tracker_flag = true; }

TrackerScope::~TrackerScope() { in_tracker_flag = outer_; }

bool in_tracker() noexcept { return in_tracker_flag; }

}  // namespace qosa::runtime

// The replaceable global allocation functions, all through `alloc` and
// `dealloc`. A nothrow form that the heap refuses ends the process like the
// others: there is no null result to pass on.
namespace {

using qosa::runtime::alloc;

void release(void* pointer, std::size_t alignment) noexcept {
  if (pointer != nullptr) qosa::runtime::dealloc(pointer, qosa::runtime::block_size(pointer), alignment);
}

constexpr std::size_t plain = qosa::runtime::default_alignment;
std::size_t value(std::align_val_t alignment) { return static_cast<std::size_t>(alignment); }

}  // namespace

void* operator new(std::size_t size) { return alloc(plain, size); }
void* operator new[](std::size_t size) { return alloc(plain, size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return alloc(plain, size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return alloc(plain, size); }
void* operator new(std::size_t size, std::align_val_t a) { return alloc(value(a), size); }
void* operator new[](std::size_t size, std::align_val_t a) { return alloc(value(a), size); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return alloc(value(a), size);
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return alloc(value(a), size);
}

// The size a sized delete passes is the one its block carries; the header's
// copy is used everywhere so that no form can skew the statistics.
void operator delete(void* p) noexcept { release(p, plain); }
void operator delete[](void* p) noexcept { release(p, plain); }
void operator delete(void* p, std::size_t) noexcept { release(p, plain); }
void operator delete[](void* p, std::size_t) noexcept { release(p, plain); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p, plain); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p, plain); }
void operator delete(void* p, std::align_val_t a) noexcept { release(p, value(a)); }
void operator delete[](void* p, std::align_val_t a) noexcept { release(p, value(a)); }
void operator delete(void* p, std::size_t, std::align_val_t a) noexcept { release(p, value(a)); }
void operator delete[](void* p, std::size_t, std::align_val_t a) noexcept { release(p, value(a)); }
void operator delete(void* p, std::align_val_t a, const std::nothrow_t&) noexcept {
  release(p, value(a));
}
void operator delete[](void* p, std::align_val_t a, const std::nothrow_t&) noexcept {
  release(p, value(a));
}
