#include "support/columns.h"

#include <limits>

#include "support/utf8.h"

namespace qosa::support {

namespace {

// Where an excess past the line's end is added to more than it was counted
// from, a column near 2^64 would wrap around onto a real place in the line.
std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
  return b > most - a ? most : a + b;
}

}  // namespace

ByteColumn byte_offset_of_utf16(std::string_view line, std::uint64_t utf16_column) {
  std::uint64_t units = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    if (units == utf16_column) return {i, false};
    const Decoded d = decode_utf8(line, i);
    const std::size_t w = utf16_length(d.code_point);
    if (units + w > utf16_column) return {i, true};
    units += w;
    i += d.length;
  }
  return {saturating_add(line.size(), utf16_column - units), false};
}

std::uint64_t char_index_of_utf16(std::string_view line, std::uint64_t utf16_column) {
  std::uint64_t units = 0;
  std::uint64_t chars = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    if (units >= utf16_column) return chars;
    const Decoded d = decode_utf8(line, i);
    const std::size_t w = utf16_length(d.code_point);
    if (units + w > utf16_column) return chars;
    units += w;
    i += d.length;
    ++chars;
  }
  return chars + (utf16_column - units);
}

std::uint64_t utf16_of_byte_offset(std::string_view line, std::uint64_t byte_offset) {
  std::uint64_t units = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    const Decoded d = decode_utf8(line, i);
    if (i + d.length > byte_offset) return units;
    units += utf16_length(d.code_point);
    i += d.length;
  }
  return units + (byte_offset - line.size());
}

std::uint64_t utf16_of_char_index(std::string_view line, std::uint64_t char_index) {
  std::uint64_t units = 0;
  std::uint64_t chars = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    if (chars == char_index) return units;
    const Decoded d = decode_utf8(line, i);
    units += utf16_length(d.code_point);
    i += d.length;
    ++chars;
  }
  return saturating_add(units, char_index - chars);
}

}  // namespace qosa::support
