#include "support/columns.h"

#include "support/utf8.h"

namespace qosa::support {

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
  return {line.size() + (utf16_column - units), false};
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
  return units + (char_index - chars);
}

}  // namespace qosa::support
