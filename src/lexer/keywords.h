// Keyword lookup: the keyword texts of token_kinds.def in a hash table.
// Header-only, so that the lexer's hot loop inlines the lookup.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "lexer/token.h"

namespace qosa::lexer {
namespace keyword_detail {

struct Keyword {
  std::string_view text;
  TokenKind kind;
};

// The first eight bytes as one number, first byte least significant (the
// order of a little-endian load), the rest zero.
constexpr std::uint64_t head_of(std::string_view text) {
  std::uint64_t head = 0;
  const std::size_t n = text.size() < 8 ? text.size() : 8;
  for (std::size_t i = 0; i < n; ++i) {
    head |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
  }
  return head;
}

// Bytes 8 to 15 in the same way (zero for a text of up to eight bytes).
constexpr std::uint64_t tail_of(std::string_view text) {
  return text.size() > 8 ? head_of(text.substr(8)) : 0;
}

inline std::uint32_t load32(const char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// head_of at run time: whole loads where the word is long enough.
inline std::uint64_t load_head(std::string_view word) {
  const char* p = word.data();
  const std::size_t n = word.size();
  if (n >= 8) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
  }
  if (n >= 4) {
    // Two loads that overlap in the middle.
    return load32(p) | static_cast<std::uint64_t>(load32(p + n - 4)) << (8 * (n - 4));
  }
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return v;
}

constexpr std::size_t count_keyword_texts() {
  std::size_t n = 0;
  for (const auto& row : kTokenKinds) {
    if (row.category != TokenCategory::Keyword) continue;
    n += !row.text.empty();
    n += !row.text2.empty();
  }
  return n;
}

inline constexpr std::size_t kKeywordCount = count_keyword_texts();

constexpr std::size_t longest_keyword() {
  std::size_t n = 0;
  for (const auto& row : kTokenKinds) {
    if (row.category != TokenCategory::Keyword) continue;
    n = std::max({n, row.text.size(), row.text2.size()});
  }
  return n;
}
inline constexpr std::size_t kLongestKeyword = longest_keyword();

// Every keyword text, in table order.
inline constexpr std::array<Keyword, kKeywordCount> kKeywords = [] {
  std::array<Keyword, kKeywordCount> out{};
  std::size_t n = 0;
  for (const auto& row : kTokenKinds) {
    if (row.category != TokenCategory::Keyword) continue;
    if (!row.text.empty()) out[n++] = {row.text, row.kind};
    if (!row.text2.empty()) out[n++] = {row.text2, row.kind};
  }
  return out;
}();

// A perfect hash over (head, length): no two keywords share a slot, so a
// lookup is one multiply, two loads and one comparison, with no probing loop
// whose length depends on the word. Texts of up to eight bytes are equal when
// head and length are; longer ones compare the rest. (No two keywords share
// both their first eight bytes and their length.)
constexpr std::size_t kSlotBits = 13;
constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;

// Keyword entries; entry 0 is none (no word of length 0 has that head).
struct Entry {
  std::uint64_t head = ~std::uint64_t{0};
  std::uint64_t tail = 0;
  std::uint8_t length = 0;
  TokenKind kind = TokenKind::Identifier;
  std::uint16_t keyword = 0;
};

constexpr std::size_t slot_of(std::uint64_t head, std::size_t length, std::uint64_t multiplier) {
  return static_cast<std::size_t>(((head ^ length) * multiplier) >> (64 - kSlotBits));
}

// The first odd multiplier of a fixed pseudo-random sequence that separates
// every keyword.
inline constexpr std::uint64_t kMultiplier = [] {
  std::array<std::uint64_t, kKeywordCount> heads{};
  for (std::size_t k = 0; k < kKeywordCount; ++k) heads[k] = head_of(kKeywords[k].text);
  std::uint64_t state = 0x9E3779B97F4A7C15ULL;
  for (;;) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const std::uint64_t m = state | 1;
    std::array<std::uint64_t, kSlots / 64> taken{};
    bool clash = false;
    for (std::size_t k = 0; k < kKeywordCount && !clash; ++k) {
      const std::size_t i = slot_of(heads[k], kKeywords[k].text.size(), m);
      clash = (taken[i / 64] >> (i % 64)) & 1;
      taken[i / 64] |= std::uint64_t{1} << (i % 64);
    }
    if (!clash) return m;
  }
}();

inline constexpr std::array<Entry, kKeywordCount + 1> kEntries = [] {
  std::array<Entry, kKeywordCount + 1> out{};
  for (std::size_t k = 0; k < kKeywordCount; ++k) {
    out[k + 1] = Entry{head_of(kKeywords[k].text), tail_of(kKeywords[k].text),
                       static_cast<std::uint8_t>(kKeywords[k].text.size()),
                       kKeywords[k].kind, static_cast<std::uint16_t>(k)};
  }
  return out;
}();

static_assert(kKeywordCount < 256, "slots hold an entry number of one byte");
inline constexpr std::array<std::uint8_t, kSlots> kSlotEntry = [] {
  std::array<std::uint8_t, kSlots> table{};
  for (std::size_t k = 0; k < kKeywordCount; ++k) {
    table[slot_of(head_of(kKeywords[k].text), kKeywords[k].text.size(), kMultiplier)] =
        static_cast<std::uint8_t>(k + 1);
  }
  return table;
}();

constexpr bool texts_are_unique() {
  for (std::size_t i = 0; i < kKeywordCount; ++i) {
    for (std::size_t j = i + 1; j < kKeywordCount; ++j) {
      if (kKeywords[i].text == kKeywords[j].text) return false;
    }
  }
  return true;
}
static_assert(texts_are_unique(), "a keyword text names two kinds");

// The first words of the keywords written as two words ("her biri").
constexpr std::size_t count_two_word_texts() {
  std::size_t n = 0;
  for (const auto& k : kKeywords) n += k.text.find(' ') != std::string_view::npos;
  return n;
}

// (at most eight bytes each: their heads are the whole words)
inline constexpr std::array<std::string_view, count_two_word_texts()> kFirstWords = [] {
  std::array<std::string_view, count_two_word_texts()> out{};
  std::size_t n = 0;
  for (const auto& k : kKeywords) {
    const auto space = k.text.find(' ');
    if (space != std::string_view::npos) out[n++] = k.text.substr(0, space);
  }
  return out;
}();
static_assert([] {
  for (std::string_view first : kFirstWords) {
    if (first.size() >= 8) return false;
  }
  return true;
}());

}  // namespace keyword_detail

// The keyword kind of `word`, or Identifier; `head` is its first eight
// bytes and `tail` the next eight (first byte least significant, zeros past
// the word's end). Written without an early return, so that the lexer's
// choice between the two is a selection rather than a jump; only words
// longer than sixteen bytes compare the rest.
inline TokenKind keyword_or_identifier(std::string_view word, std::uint64_t head, std::uint64_t tail) {
  using namespace keyword_detail;
  const std::size_t len = word.size();
  const Entry& e = kEntries[kSlotEntry[slot_of(head, len, kMultiplier)]];
  bool match = (e.head == head) & (e.tail == tail) & (e.length == len);
  if (match & (len > 16)) match = word.substr(16) == kKeywords[e.keyword].text.substr(16);
  // A selection by mask, which the compiler keeps free of a jump.
  const auto identifier = static_cast<std::uint8_t>(TokenKind::Identifier);
  const auto keyword = static_cast<std::uint8_t>(e.kind);
  return static_cast<TokenKind>(identifier ^ ((identifier ^ keyword) & -static_cast<std::uint8_t>(match)));
}

// find_keyword with the word's first eight bytes already loaded.
inline std::optional<TokenKind> find_keyword(std::string_view word, std::uint64_t head) {
  const std::uint64_t tail = word.size() > 8 ? keyword_detail::load_head(word.substr(8)) : 0;
  const TokenKind kind = keyword_or_identifier(word, head, tail);
  if (kind == TokenKind::Identifier) return std::nullopt;
  return kind;
}

// The kind whose keyword text is exactly `word` (case-sensitive), if any.
inline std::optional<TokenKind> find_keyword(std::string_view word) {
  return find_keyword(word, keyword_detail::load_head(word));
}

// True when a word whose head (as for find_keyword) is `head` is the first
// word of a two-word keyword ("her" of "her biri"). The first words are
// shorter than eight bytes, so their heads hold their lengths.
inline bool starts_two_word_keyword(std::uint64_t head) {
  using namespace keyword_detail;
  bool starts = false;
  for (std::string_view first : kFirstWords) starts |= head == head_of(first);
  return starts;
}

}  // namespace qosa::lexer
