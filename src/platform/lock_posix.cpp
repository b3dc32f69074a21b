#include "platform/lock.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qosa::platform {

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

void wait_on_address(std::atomic<std::uint32_t>& word, std::uint32_t expected) noexcept {
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT_PRIVATE, expected, nullptr, nullptr, 0);
}

void wake_one(std::atomic<std::uint32_t>& word) noexcept {
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace qosa::platform
