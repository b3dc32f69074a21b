#include "runtime/allocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "runtime/memory_tracker.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's heap must say no to a huge request instead of reporting it,
// so that the out-of-memory path below is the allocator's own.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace qosa::runtime {
namespace {

// Keeps the compiler from pairing and removing a new and its delete.
void* volatile sink;

// Sizes allocated (positive) and released (negative), in order, and the
// counts they leave.
struct StatsCase {
  const char* name;
  std::vector<std::int64_t> steps;
  AllocationCounts expected;
};

TEST(AllocationStats, CountsAllocationsAndReleases) {
  const std::vector<StatsCase> cases = {
      {"two blocks, one released", {10, 20, -10},
       {.total_allocated = 30, .total_freed = 10, .current = 20, .peak = 30,
        .allocation_count = 2, .free_count = 1}},
      {"release larger than current stops at zero", {10, -25},
       {.total_allocated = 10, .total_freed = 25, .current = 0, .peak = 10,
        .allocation_count = 1, .free_count = 1}},
  };
  for (const StatsCase& test : cases) {
    SCOPED_TRACE(test.name);
    AllocationStats stats;
    for (std::int64_t step : test.steps) {
      if (step > 0) stats.record_alloc(static_cast<std::uint64_t>(step));
      else stats.record_free(static_cast<std::uint64_t>(-step));
    }
    const AllocationCounts counts = stats.counts();
    EXPECT_EQ(counts.total_allocated, test.expected.total_allocated);
    EXPECT_EQ(counts.total_freed, test.expected.total_freed);
    EXPECT_EQ(counts.current, test.expected.current);
    EXPECT_EQ(counts.peak, test.expected.peak);
    EXPECT_EQ(counts.allocation_count, test.expected.allocation_count);
    EXPECT_EQ(counts.free_count, test.expected.free_count);
  }
}

// The process allocates around the test, so the global figures are compared
// by their change over a stretch that allocates nothing else.
TEST(Allocator, GlobalFiguresFollowAllocAndDealloc) {
  const AllocationCounts before = allocation_stats();
  const std::uint64_t live_before = live_bytes();
  void* ten = alloc(8, 10);
  void* twenty = alloc(8, 20);
  dealloc(ten, 10, 8);
  const AllocationCounts after = allocation_stats();
  EXPECT_EQ(live_bytes() - live_before, 20u);
  EXPECT_EQ(after.total_allocated - before.total_allocated, 30u);
  EXPECT_EQ(after.total_freed - before.total_freed, 10u);
  EXPECT_EQ(after.current - before.current, 20u);
  EXPECT_EQ(after.allocation_count - before.allocation_count, 2u);
  EXPECT_EQ(after.free_count - before.free_count, 1u);
  EXPECT_GE(after.peak, after.current);
  dealloc(twenty, 20, 8);
  EXPECT_EQ(live_bytes(), live_before);
}

TEST(Allocator, BlocksMeetTheirAlignmentInsideTheirHeapBlock) {
  for (std::size_t alignment : {1, 8, 16, 32, 64, 4096}) {
    for (std::size_t size : {0, 1, 24, 1000}) {
      SCOPED_TRACE(testing::Message() << "alignment " << alignment << ", size " << size);
      void* block = alloc(alignment, size);
      const auto address = reinterpret_cast<std::uintptr_t>(block);
      const auto raw = reinterpret_cast<std::uintptr_t>(heap_block(block));
      EXPECT_EQ(address % alignment, 0u);
      EXPECT_GT(address, raw);
      EXPECT_LE(address - raw, std::max<std::size_t>(alignment, 16));
      EXPECT_EQ(block_size(block), size);
      if (size > 0) static_cast<unsigned char*>(block)[size - 1] = 1;
      dealloc(block, size, alignment);
    }
  }
}

struct alignas(64) Wide {
  unsigned char bytes[100];
};

TEST(Allocator, EveryOperatorNewFormPassesThrough) {
  const AllocationCounts before = allocation_stats();
  sink = new int(1);
  delete static_cast<int*>(sink);
  sink = new char[300];
  delete[] static_cast<char*>(sink);
  sink = new (std::nothrow) int(2);
  delete static_cast<int*>(sink);
  auto* wide = new Wide;
  sink = wide;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(wide) % 64, 0u);
  delete wide;
  auto* wides = new Wide[3];
  sink = wides;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(wides) % 64, 0u);
  delete[] wides;
  sink = ::operator new(40, std::align_val_t{128}, std::nothrow);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(sink) % 128, 0u);
  ::operator delete(sink, std::align_val_t{128}, std::nothrow);
  ::operator delete(static_cast<void*>(nullptr));
  const AllocationCounts after = allocation_stats();
  EXPECT_EQ(after.allocation_count - before.allocation_count, 6u);
  EXPECT_EQ(after.free_count - before.free_count, 6u);
  EXPECT_EQ(after.total_allocated - before.total_allocated,
            after.total_freed - before.total_freed);
}

TEST(Allocator, UnsizedAndSizedDeletesReleaseTheSameBytes) {
  const std::uint64_t live_before = live_bytes();
  {
    std::vector<std::unique_ptr<std::vector<int>>> blocks;
    for (int i = 0; i < 100; ++i) blocks.push_back(std::make_unique<std::vector<int>>(i, i));
  }
  EXPECT_EQ(live_bytes(), live_before);
}

TEST(AllocatorDeathTest, RefusedRequestEndsTheProcessWithItsMessage) {
  constexpr std::size_t huge = std::size_t{1} << 62;
  EXPECT_DEATH((void)alloc(16, huge),
               "QOSA OOM: Failed to allocate 4611686018427387904 bytes \\(align: 16\\)");
  // The header or the alignment padding would overflow the request.
  EXPECT_DEATH((void)alloc(8, std::numeric_limits<std::size_t>::max() - 4),
               "QOSA OOM: Failed to allocate 18446744073709551611 bytes \\(align: 8\\)");
  EXPECT_DEATH((void)alloc(64, std::numeric_limits<std::size_t>::max() - 40),
               "QOSA OOM: Failed to allocate 18446744073709551575 bytes \\(align: 64\\)");
  // The nothrow form has no null to return either.
  EXPECT_DEATH(sink = ::operator new(huge, std::nothrow),
               "QOSA OOM: Failed to allocate 4611686018427387904 bytes \\(align: 16\\)");
}

TEST(Allocator, FirstAllocationCreatedTheTracker) {
  sink = new int(3);
  delete static_cast<int*>(sink);
  EXPECT_NE(memory_tracker(), nullptr);
  EXPECT_FALSE(memory_tracker()->is_enabled());
}

}  // namespace
}  // namespace qosa::runtime
