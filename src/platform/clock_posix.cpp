#include "platform/clock.h"

#include <sys/random.h>
#include <time.h>
#include <unistd.h>

namespace qosa::platform {

MonotonicTime monotonic_now() noexcept {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return {static_cast<std::uint64_t>(now.tv_sec), static_cast<std::uint32_t>(now.tv_nsec)};
}

std::uint64_t current_thread_id() noexcept { return static_cast<std::uint64_t>(gettid()); }

std::uint64_t random_seed() noexcept {
  std::uint64_t seed = 0;
  if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
    // Early in boot the pool may not be ready; the clock still varies per run.
    const MonotonicTime now = monotonic_now();
    seed = now.seconds * 1'000'000'007u ^ now.nanoseconds ^ current_thread_id() << 32;
  }
  return seed;
}

}  // namespace qosa::platform
