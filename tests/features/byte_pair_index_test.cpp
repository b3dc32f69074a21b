#include "features/byte_pair_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace qosa::lsp {
namespace {

// Words that share their first bytes, hold one another, repeat a byte, or
// are multi-byte UTF-8.
constexpr std::array<std::string_view, 11> words{
    "fn", "fn main(", " fn", "fonksiyon", "değişken", "ğiş", "bench", "benchmark", "aa", "aaa", "@b",
};
constexpr TwoByteIndex index(words);

std::uint64_t plainly_found(std::string_view text) {
  std::uint64_t found = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (text.find(words[i]) != std::string_view::npos) found |= 1ull << i;
  }
  return found;
}

// Texts of whole words, their prefixes and a few other bytes, so words and
// near misses meet at every place, the ends included.
std::string random_text(std::mt19937& rng) {
  constexpr std::string_view others[] = {" ", "a", "f", "n", "(", "ğ", "\xc4", "@", "m"};
  std::string text;
  const std::size_t parts = rng() % 8;
  for (std::size_t p = 0; p < parts; ++p) {
    const std::string_view word = words[rng() % words.size()];
    switch (rng() % 3) {
      case 0: text += word; break;
      case 1: text += word.substr(0, rng() % word.size()); break;
      case 2: text += others[rng() % std::size(others)]; break;
    }
  }
  return text;
}

TEST(TwoByteIndex, FoundInIsWhetherEachWordOccurs) {
  for (std::uint32_t seed = 0; seed < 3000; ++seed) {
    std::mt19937 rng(seed);
    const std::string text = random_text(rng);
    ASSERT_EQ(index.found_in(text), plainly_found(text)) << "seed " << seed << " text \"" << text << '"';
  }
}

TEST(TwoByteIndex, AtGivesTheWordsTheTwoBytesBegin) {
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    std::mt19937 rng(seed);
    const std::string text = random_text(rng);
    for (std::size_t i = 0; i <= text.size(); ++i) {
      std::uint64_t expected = 0;
      for (std::size_t w = 0; w < words.size(); ++w) {
        if (i + 1 < text.size() && text.compare(i, 2, words[w], 0, 2) == 0) expected |= 1ull << w;
      }
      ASSERT_EQ(index.at(text, i), expected) << "seed " << seed << " at " << i;
    }
  }
}

// All 64 rows, the last one in the top bit.
TEST(TwoByteIndex, SixtyFourWords) {
  static constexpr std::string_view letters = "abcdefgh";
  static constexpr auto pairs = [] {
    std::array<char, 128> bytes{};
    for (std::size_t i = 0; i < 64; ++i) {
      bytes[2 * i] = letters[i / 8];
      bytes[2 * i + 1] = letters[i % 8];
    }
    return bytes;
  }();
  static constexpr auto table = [] {
    std::array<std::string_view, 64> list{};
    for (std::size_t i = 0; i < 64; ++i) list[i] = std::string_view(pairs.data() + 2 * i, 2);
    return list;
  }();
  static constexpr TwoByteIndex all(table);
  EXPECT_EQ(all.found_in("hh"), 1ull << 63);
  EXPECT_EQ(all.found_in("ahh"), 1ull << 63 | 1ull << 7);
  EXPECT_EQ(all.found_in("aaba"), 1ull << 0 | 1ull << 1 | 1ull << 8);
  EXPECT_EQ(all.found_in("h"), 0u);
  EXPECT_EQ(all.at("gh", 0), 1ull << 55);
}

}  // namespace
}  // namespace qosa::lsp
