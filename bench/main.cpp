// The benchmarks run with the heap tuned as the server's start-up tunes it,
// so that a tree built again and again reuses memory the way it does in the
// server instead of faulting it in afresh each time.
#include <benchmark/benchmark.h>

#include "platform/heap.h"

int main(int argc, char** argv) {
  qosa::platform::prepare_heap();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
