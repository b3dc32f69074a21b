// The one fast 64-bit hash of bytes (wyhash's multiply-and-fold step), for
// the word index's buckets, the code lens's name table and the statement
// cache's record of what a parse read. Not for anything an attacker can
// steer into collisions that cost more than a compare: its users check what
// a hash matched.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qosa::support {

[[gnu::always_inline]] inline std::uint64_t hash_mix(std::uint64_t a, std::uint64_t b) {
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

[[gnu::always_inline]] inline std::uint64_t load_u64(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// The hash of the n bytes at p. `readable_end` bounds what may be read: up to
// it, bytes after the n are loaded with them and masked off (so short texts
// take no copy), and the hash is the same wherever the bytes stand.
[[gnu::always_inline]] inline std::uint64_t hash_bytes(const char* p, std::size_t n, const char* readable_end) {
  constexpr std::uint64_t k0 = 0xa0761d6478bd642f;
  constexpr std::uint64_t k1 = 0xe7037ed1a0b428db;
  constexpr std::uint64_t k2 = 0x8ebc6af09c88c6e3;
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  if (n <= 16) [[likely]] {
    // Two eight-byte halves, padded with zero bytes.
    if (std::endian::native == std::endian::little && readable_end - p >= 16) {
      const auto low = static_cast<unsigned>(n < 8 ? n : 8) * 8;  // 0 to 64 bits
      const auto high = static_cast<unsigned>(n > 8 ? n - 8 : 0) * 8;
      a = low == 0 ? 0 : load_u64(p) & (~std::uint64_t{0} >> (64 - low));
      b = high == 0 ? 0 : load_u64(p + 8) & (~std::uint64_t{0} >> (64 - high));
    } else {
      std::array<char, 16> padded{};
      if (n > 0) std::memcpy(padded.data(), p, n);
      a = load_u64(padded.data());
      b = load_u64(padded.data() + 8);
    }
  } else {
    // Sixteen bytes a step, then the last sixteen (which may overlap them).
    std::uint64_t h = k0;
    for (std::size_t i = 0; i + 16 < n; i += 16) h = hash_mix(load_u64(p + i) ^ h ^ k1, load_u64(p + i + 8) ^ k2);
    a = load_u64(p + n - 16) ^ h;
    b = load_u64(p + n - 8);
  }
  return hash_mix(a ^ k1 ^ n, b ^ k2);
}

inline std::uint64_t hash_bytes(std::string_view bytes) {
  return hash_bytes(bytes.data(), bytes.size(), bytes.data() + bytes.size());
}

}  // namespace qosa::support
