#include "platform/clock.h"

#include <windows.h>
#include <bcrypt.h>

namespace qosa::platform {

MonotonicTime monotonic_now() noexcept {
  static const std::uint64_t frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return static_cast<std::uint64_t>(f.QuadPart);
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
  return {ticks / frequency, static_cast<std::uint32_t>(ticks % frequency * 1'000'000'000 / frequency)};
}

std::uint64_t current_thread_id() noexcept { return GetCurrentThreadId(); }

namespace {

// ProcessPrng (bcryptprimitives.dll, Windows 10 and later) never fails; the
// mingw import libraries do not name it, so it is looked up at run time.
using ProcessPrngFunction = BOOL(WINAPI*)(PBYTE data, SIZE_T size);

ProcessPrngFunction process_prng() noexcept {
  static const ProcessPrngFunction function = [] {
    HMODULE module = LoadLibraryExW(L"bcryptprimitives.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return ProcessPrngFunction{};
    return reinterpret_cast<ProcessPrngFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "ProcessPrng")));
  }();
  return function;
}

}  // namespace

std::uint64_t random_seed() noexcept {
  std::uint64_t seed = 0;
  auto* bytes = reinterpret_cast<PBYTE>(&seed);
  if (const ProcessPrngFunction prng = process_prng(); prng != nullptr && prng(bytes, sizeof seed)) {
    return seed;
  }
  // Older systems, and wine before 9.0, have no ProcessPrng.
  if (BCryptGenRandom(nullptr, bytes, sizeof seed, BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0) return seed;
  const MonotonicTime now = monotonic_now();
  return now.seconds * 1'000'000'007u ^ now.nanoseconds ^ current_thread_id() << 32;
}

}  // namespace qosa::platform
