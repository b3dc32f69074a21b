#include "runtime/memory_tracker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/allocator.h"

namespace qosa::runtime {
namespace {

TEST(SizeClass, RoundsUpToTheNextClass) {
  const std::vector<std::pair<std::uint64_t, std::uint64_t>> cases = {
      {0, 8},       {8, 8},       {9, 16},        {100, 128},     {1024, 1024},
      {1025, 4096}, {2048, 4096}, {4096, 4096},   {4097, 16384},  {16384, 16384},
      {16385, std::numeric_limits<std::uint64_t>::max()},
      {std::numeric_limits<std::uint64_t>::max(), std::numeric_limits<std::uint64_t>::max()},
  };
  for (const auto& [size, expected] : cases) EXPECT_EQ(size_class(size), expected) << size;
}

// A tracker of the test's own, fed with made-up addresses; its maps'
// allocations go to the process's tracker, which stays off.
struct TrackerTest : testing::Test {
  MemoryTracker tracker;
};

TEST_F(TrackerTest, RecordsNothingWhileOff) {
  EXPECT_FALSE(tracker.is_enabled());
  tracker.track_allocation(0x1000, 10, 1, "a");
  tracker.track_allocation(0x2000, 20, 1, std::nullopt);
  tracker.track_deallocation(0x1000);
  EXPECT_EQ(tracker.record_count(), 0u);
  EXPECT_EQ(tracker.label_count(), 0u);
  EXPECT_EQ(tracker.histogram_entries(), 0u);
}

TEST_F(TrackerTest, KeepsOneRecordPerAddressAndCountsBothReports) {
  tracker.set_enabled(true);
  tracker.track_allocation(0x1000, 10, 1, std::nullopt);
  tracker.track_allocation(0x1000, 12, 3, "second");
  EXPECT_EQ(tracker.record_count(), 1u);
  const auto record = tracker.record(0x1000);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->address, 0x1000u);
  EXPECT_EQ(record->size, 12u);
  EXPECT_EQ(record->kind, 3);
  EXPECT_EQ(record->label, "second");
  EXPECT_EQ(record->thread_id, platform::current_thread_id());
  EXPECT_EQ(tracker.histogram_count(16), 2u);
}

TEST_F(TrackerTest, ReleaseWithoutRecordChangesNothing) {
  tracker.set_enabled(true);
  tracker.track_allocation(0x1000, 10, 1, "a");
  tracker.track_deallocation(0x2000);
  EXPECT_EQ(tracker.record_count(), 1u);
  EXPECT_EQ(tracker.label_stats("a")->live, 1u);
  EXPECT_EQ(tracker.histogram_count(16), 1u);
}

TEST_F(TrackerTest, EmptiedSizeClassStaysAtZero) {
  tracker.set_enabled(true);
  tracker.track_allocation(0x1000, 100, 1, std::nullopt);
  tracker.track_deallocation(0x1000);
  EXPECT_EQ(tracker.record_count(), 0u);
  EXPECT_EQ(tracker.histogram_count(128), 0u);
  // A second release of the block finds no record and takes nothing below 0.
  tracker.track_deallocation(0x1000);
  EXPECT_EQ(tracker.histogram_count(128), 0u);
}

TEST_F(TrackerTest, LabelStatistics) {
  tracker.set_enabled(true);
  tracker.track_allocation(0x1000, 10, 1, "parser");
  tracker.track_allocation(0x2000, 20, 2, "parser");
  tracker.track_deallocation(0x1000);
  tracker.track_deallocation(0x2000);
  tracker.track_deallocation(0x2000);
  const auto stats = tracker.label_stats("parser");
  ASSERT_TRUE(stats);
  EXPECT_EQ(stats->label, "parser");
  EXPECT_EQ(stats->count, 2u);
  EXPECT_EQ(stats->total_bytes, 30u);
  EXPECT_DOUBLE_EQ(stats->average_size, 15.0);
  EXPECT_EQ(stats->live, 0u);
  EXPECT_EQ(stats->peak_live, 2u);
  EXPECT_EQ(stats->kind_counts, (std::map<std::uint8_t, std::uint64_t>{{1, 1}, {2, 1}}));
  EXPECT_FALSE(tracker.label_stats("lexer"));
}

// The process's tracker, switched on for one stretch and off again.
struct ProcessTrackerTest : testing::Test {
  MemoryTracker& tracker = init_memory_tracker();
  void SetUp() override { tracker.set_enabled(true); }
  void TearDown() override { tracker.set_enabled(false); }
};

void expect_block_and_release_reported(MemoryTracker& tracker) {
  void* block = alloc(16, 300);
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  const auto record = tracker.record(address);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->size, 300u);
  EXPECT_EQ(record->kind, 1);
  EXPECT_FALSE(record->label);
  dealloc(block, 300, 16);
  EXPECT_FALSE(tracker.record(address));
}

TEST_F(ProcessTrackerTest, AllocatorReportsEachBlockAndItsRelease) {
  expect_block_and_release_reported(tracker);
}

TEST_F(ProcessTrackerTest, NothingReportedFromInsideAHook) {
  void* block = nullptr;
  {
    TrackerScope hook;
    block = alloc(16, 300);
  }
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  EXPECT_FALSE(tracker.record(address));
  // Nor its release: a record put there by hand survives it.
  tracker.track_allocation(address, 300, 1, std::nullopt);
  {
    TrackerScope hook;
    dealloc(block, 300, 16);
  }
  EXPECT_TRUE(tracker.record(address));
  tracker.track_deallocation(address);
}

void allocate_on_threads() {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 20000; ++i) {
        const std::size_t size = 1 + static_cast<std::size_t>(i % 3000);
        const std::size_t alignment = i % 2 == 0 ? 16 : 64;
        void* block = alloc(alignment, size);
        dealloc(block, size, alignment);
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

TEST(ProcessTracker, ThreadsAllocatingTogetherLeaveTheByteCount) {
  const std::uint64_t live_before = live_bytes();
  allocate_on_threads();
  EXPECT_EQ(live_bytes(), live_before);
}

// Runs `work` on a thread of its own; if it has not returned within a minute
// it is taken as deadlocked. Such a thread cannot be joined, so the process
// ends with a message instead of hanging the suite.
template <class Work>
void run_or_report_deadlock(const char* what, Work work) {
  std::promise<void> finished;
  std::future<void> done = finished.get_future();
  std::thread worker([&] {
    work();
    finished.set_value();
  });
  constexpr std::chrono::seconds patience{60};
  if (done.wait_for(patience) == std::future_status::timeout) {
    std::fprintf(stderr, "deadlock: %s did not return within %lld seconds\n", what,
                 static_cast<long long>(patience.count()));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
  }
  worker.join();
}

// With tracking on, the hooks of several threads only try the records and
// labels, so they never wait on each other in a cycle: this returns. A hook
// that finds a lock held skips its part, which may leave records of released
// blocks behind (and their storage in the live bytes, which is why the bytes
// are compared in the untracked test above), but it leaves no lock held: the
// inspections after the threads return too, and a block is still reported.
TEST_F(ProcessTrackerTest, ThreadsAllocatingTogetherWhileTracked) {
  const std::size_t labels_before = tracker.label_count();
  run_or_report_deadlock("threads allocating while tracked", [&] {
    allocate_on_threads();
    // The allocator reports no labels.
    EXPECT_EQ(tracker.label_count(), labels_before);
    EXPECT_TRUE(tracker.is_enabled());
    const auto in_class = tracker.histogram_count(size_class(300));
    expect_block_and_release_reported(tracker);
    EXPECT_EQ(tracker.histogram_count(size_class(300)).value_or(0), in_class.value_or(0));
  });
}

TEST(ProcessTracker, ExistsOnceAndStaysOff) {
  EXPECT_EQ(&init_memory_tracker(), memory_tracker());
  EXPECT_FALSE(init_memory_tracker().is_enabled());
  EXPECT_FALSE(in_tracker());
}

}  // namespace
}  // namespace qosa::runtime
