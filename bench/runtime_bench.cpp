// One allocation and its release through the global operator new and delete,
// beside the process heap alone: the difference is the runtime allocator's
// own cost (counters, the statistics lock, the tracker's switched-off hook).
// In the `plain` build operator new is the standard library's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

namespace {

void BM_OperatorNewDelete(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    void* block = ::operator new(size);
    benchmark::DoNotOptimize(block);
    ::operator delete(block, size);
  }
}
BENCHMARK(BM_OperatorNewDelete)->RangeMultiplier(4)->Range(16, 4096);

void BM_HeapMallocFree(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    void* block = std::malloc(size);
    benchmark::DoNotOptimize(block);
    std::free(block);
  }
}
BENCHMARK(BM_HeapMallocFree)->RangeMultiplier(4)->Range(16, 4096);

}  // namespace
