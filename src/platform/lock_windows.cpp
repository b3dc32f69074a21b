#include "platform/lock.h"

#include <windows.h>

namespace qosa::platform {

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

void wait_on_address(std::atomic<std::uint32_t>& word, std::uint32_t expected) noexcept {
  WaitOnAddress(&word, &expected, sizeof expected, INFINITE);
}

void wake_one(std::atomic<std::uint32_t>& word) noexcept { WakeByAddressSingle(&word); }

}  // namespace qosa::platform
