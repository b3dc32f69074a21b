#include "support/hash.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qosa::support {
namespace {

// The same bytes hash alike whether they are read with the bytes after them
// masked off or copied out alone, at every length and every place.
TEST(Hash, SameBytesSameHashWhereverTheyStand) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += static_cast<char>('a' + (i * 7) % 26);
  std::set<std::uint64_t> distinct;
  for (std::size_t n = 0; n <= 40; ++n) {
    const std::string alone = text.substr(3, n);
    const std::uint64_t h = hash_bytes(alone);
    distinct.insert(h);
    for (const std::size_t readable : {n, n + 1, n + 16, text.size() - 3}) {
      EXPECT_EQ(hash_bytes(text.data() + 3, n, text.data() + 3 + std::min(readable, text.size() - 3)), h) << n;
    }
  }
  // Prefixes of one text differ from each other.
  EXPECT_EQ(distinct.size(), 41u);
  EXPECT_NE(hash_bytes("ab"), hash_bytes(std::string_view("ab\0", 3)));
}

}  // namespace
}  // namespace qosa::support
