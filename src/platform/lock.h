// A lock that is constant-initialised on every system, for state that must
// work before any static initialiser has run: the allocator's statistics.
#pragma once

#include <mutex>

#ifndef _WIN32

namespace qosa::platform {
// glibc's mutex is constant-initialised, and takes no atomic operation
// while the process has one thread.
using Lock = std::mutex;
}  // namespace qosa::platform

#else

#include <atomic>
#include <cstdint>

// With mingw's threads std::mutex is not constant-initialised: our own lock,
// whose waiters sleep on the lock word with WaitOnAddress.
namespace qosa::platform {

// Sleeps while `word` holds `expected`; may return early.
void wait_on_address(std::atomic<std::uint32_t>& word, std::uint32_t expected) noexcept;
// Wakes one thread sleeping on `word`.
void wake_one(std::atomic<std::uint32_t>& word) noexcept;

class Lock {
 public:
  constexpr Lock() = default;
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void lock() noexcept {
    std::uint32_t expected = unlocked;
    if (!state_.compare_exchange_strong(expected, locked, std::memory_order_acquire)) lock_contended();
  }
  bool try_lock() noexcept {
    std::uint32_t expected = unlocked;
    return state_.compare_exchange_strong(expected, locked, std::memory_order_acquire);
  }
  void unlock() noexcept {
    if (state_.exchange(unlocked, std::memory_order_release) == contended) wake_one(state_);
  }

 private:
  static constexpr std::uint32_t unlocked = 0, locked = 1, contended = 2;  // contended: someone may sleep

  void lock_contended() noexcept {
    while (state_.exchange(contended, std::memory_order_acquire) != unlocked) {
      wait_on_address(state_, contended);
    }
  }

  std::atomic<std::uint32_t> state_{unlocked};
};

}  // namespace qosa::platform

#endif  // _WIN32
