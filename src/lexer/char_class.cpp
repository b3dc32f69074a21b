#include "lexer/char_class.h"

namespace qosa::lexer {
namespace {

CharClassTable build_table() {
  CharClassTable table{};
  for (char32_t c = 0; c < kTableSize; ++c) {
    std::uint8_t cls = 0;
    if (support::is_white_space(c)) cls |= kWhite;
    const bool ascii_letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool ascii_digit = c >= '0' && c <= '9';
    if (ascii_letter || (c >= 0xAA && support::is_alphabetic(c))) {
      cls |= kLetter | kIdentStart | kIdentContinue;
    }
    if (c == '_') cls |= kIdentStart | kIdentContinue;
    if (ascii_digit || (c >= 0xB2 && support::is_numeric(c))) cls |= kDigit | kIdentContinue;
    table[c] = cls;
  }
  return table;
}

}  // namespace

const CharClassTable& char_class_table() {
  static const CharClassTable table = build_table();
  return table;
}

}  // namespace qosa::lexer
