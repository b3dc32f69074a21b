// Keyword lookup: the keyword texts of token_kinds.def in a hash table.
// Header-only, so that the lexer's hot loop inlines the lookup.
#pragma once

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

inline constexpr std::size_t kMaxLength = [] {
  std::size_t longest = 0;
  for (const auto& k : kKeywords) longest = k.text.size() > longest ? k.text.size() : longest;
  return longest;
}();

// An open-addressing hash table over (head, length): one multiply and, for
// most identifiers, one look at an empty or different slot. Texts of up to
// eight bytes are equal when head and length are; longer ones compare the rest.
constexpr std::size_t kSlotBits = 10;
constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
static_assert(kKeywordCount * 2 <= kSlots, "the keyword table should stay at most half full");

struct Slot {
  std::uint64_t head = 0;
  std::uint16_t keyword = 0;
  std::uint8_t length = 0;  // 0 for an empty slot
  TokenKind kind = TokenKind::Eof;
};

constexpr std::size_t slot_of(std::uint64_t head, std::size_t length) {
  return static_cast<std::size_t>(((head ^ length) * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits));
}

inline constexpr std::array<Slot, kSlots> kTable = [] {
  std::array<Slot, kSlots> table{};
  for (std::size_t k = 0; k < kKeywordCount; ++k) {
    const std::string_view text = kKeywords[k].text;
    std::size_t i = slot_of(head_of(text), text.size());
    while (table[i].length != 0) i = (i + 1) % kSlots;
    table[i] = Slot{head_of(text), static_cast<std::uint16_t>(k), static_cast<std::uint8_t>(text.size()),
                    kKeywords[k].kind};
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
    if (first.size() > 8) return false;
  }
  return true;
}());

}  // namespace keyword_detail

// find_keyword with the word's first eight bytes already loaded (first
// byte least significant, zeros past the word's end).
inline std::optional<TokenKind> find_keyword(std::string_view word, std::uint64_t head) {
  using namespace keyword_detail;
  const std::size_t len = word.size();
  if (len == 0 || len > kMaxLength) return std::nullopt;
  for (std::size_t i = slot_of(head, len);; i = (i + 1) % kSlots) {
    const Slot& slot = kTable[i];
    if (slot.length == 0) return std::nullopt;
    if (slot.head == head && slot.length == len &&
        (len <= 8 || word.substr(8) == kKeywords[slot.keyword].text.substr(8))) {
      return slot.kind;
    }
  }
}

// The kind whose keyword text is exactly `word` (case-sensitive), if any.
inline std::optional<TokenKind> find_keyword(std::string_view word) {
  return find_keyword(word, keyword_detail::load_head(word));
}

// True when a word of `length` bytes whose head (as for find_keyword) is
// `head` is the first word of a two-word keyword ("her" of "her biri").
inline bool starts_two_word_keyword(std::size_t length, std::uint64_t head) {
  using namespace keyword_detail;
  for (std::string_view first : kFirstWords) {
    if (length == first.size() && head == head_of(first)) return true;
  }
  return false;
}

}  // namespace qosa::lexer
