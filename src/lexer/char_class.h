// What each character can start or continue in QOSA source. Characters below
// U+0800 come from a table filled once from support/unicode.h; the rest ask it.
#pragma once

#include <array>
#include <cstdint>

#include "support/unicode.h"

namespace qosa::lexer {

enum CharClass : std::uint8_t {
  kWhite = 1 << 0,           // Unicode White_Space
  kLetter = 1 << 1,          // ASCII letter, or alphabetic from U+00AA on
  kIdentStart = 1 << 2,      // a letter or "_"
  kIdentContinue = 1 << 3,   // an identifier start, an ASCII digit, or numeric from U+00B2 on
  kDigit = 1 << 4,           // ASCII digit, or numeric from U+00B2 on
};

inline constexpr char32_t kTableSize = 0x800;

using CharClassTable = std::array<std::uint8_t, kTableSize>;

// The shared table for characters below kTableSize.
const CharClassTable& char_class_table();

// Classes of one character; `table` is char_class_table().
inline std::uint8_t classes_of(const CharClassTable& table, char32_t c) {
  if (c < kTableSize) return table[c];
  std::uint8_t out = 0;
  if (support::is_white_space(c)) out |= kWhite;
  if (support::is_alphabetic(c)) out |= kLetter | kIdentStart | kIdentContinue;
  if (support::is_numeric(c)) out |= kDigit | kIdentContinue;
  return out;
}

}  // namespace qosa::lexer
