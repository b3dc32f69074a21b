// Sets of up to 64 fixed words, with tables of the words each byte may start
// and continue, so scans compare only the words that fit (code lens, semantic tokens).
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qosa::lsp {

// Which words of a table can start with a byte: one bit per table row, so
// a scan tries only the few rows a position can begin, in table order.
template <std::size_t N>
struct FirstByteIndex {
  static_assert(N <= 64);
  std::array<std::uint64_t, 256> rows{};

  constexpr explicit FirstByteIndex(const std::array<std::string_view, N>& words) {
    for (std::size_t i = 0; i < N; ++i) rows[static_cast<unsigned char>(words[i][0])] |= 1ull << i;
  }
  std::uint64_t at(char b) const { return rows[static_cast<unsigned char>(b)]; }
};

// The same for the first two bytes, for words of two bytes or more: the rows
// that the bytes at i and i + 1 can begin.
template <std::size_t N>
struct TwoByteIndex {
  FirstByteIndex<N> first;
  std::array<std::uint64_t, 256> second{};
  std::array<std::string_view, N> words;

  constexpr explicit TwoByteIndex(const std::array<std::string_view, N>& table) : first(table), words(table) {
    for (std::size_t i = 0; i < N; ++i) second[static_cast<unsigned char>(table[i][1])] |= 1ull << i;
  }
  std::uint64_t at(std::string_view text, std::size_t i) const {
    if (i + 1 >= text.size()) return 0;
    return first.at(text[i]) & second[static_cast<unsigned char>(text[i + 1])];
  }

  // Bit i is set when the text contains word i (anywhere, no word boundary);
  // one pass over the text, each byte's rows looked up once.
  std::uint64_t found_in(std::string_view text) const {
    std::uint64_t found = 0;
    if (text.size() < 2) return found;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::uint64_t starts = first.rows[bytes[0]];
    for (std::size_t pos = 0; pos + 1 < text.size(); ++pos) {
      const std::uint64_t next = first.rows[bytes[pos + 1]];
      for (std::uint64_t m = starts & second[bytes[pos + 1]] & ~found; m != 0; m &= m - 1) {
        const int i = std::countr_zero(m);
        const std::string_view word = words[static_cast<std::size_t>(i)];
        if (pos + word.size() <= text.size() && text.substr(pos, word.size()) == word) found |= 1ull << i;
      }
      starts = next;
    }
    return found;
  }
};

}  // namespace qosa::lsp
