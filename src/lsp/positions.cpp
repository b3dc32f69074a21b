#include "lsp/positions.h"

#include <algorithm>
#include <limits>

namespace qosa::lsp {

namespace {

// Where an excess past the line's end is added to more than it was counted
// from, a column near 2^64 would wrap around onto a real place in the line.
std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
  return b > most - a ? most : a + b;
}

// The character that UTF-16 column `utf16_column` falls on; false past the
// line's end, where `at` is the end.
bool walk_to_utf16(std::string_view line, LinePlace& at, std::uint64_t utf16_column) {
  return walk_line(line, at, [&](const LinePlace& p, std::size_t, std::size_t units) {
    return p.units + units > utf16_column;
  });
}

}  // namespace

ByteColumn byte_offset_of_utf16(std::string_view line, std::uint64_t utf16_column) {
  LinePlace at;
  if (walk_to_utf16(line, at, utf16_column)) return {at.byte, at.units != utf16_column};
  return {saturating_add(line.size(), utf16_column - at.units), false};
}

std::uint64_t char_index_of_utf16(std::string_view line, std::uint64_t utf16_column) {
  LinePlace at;
  if (walk_to_utf16(line, at, utf16_column)) return at.chars;
  return at.chars + (utf16_column - at.units);
}

std::uint64_t utf16_of_byte_offset(std::string_view line, std::uint64_t byte_offset) {
  return Utf16Columns(line).column(byte_offset);
}

std::uint64_t utf16_of_char_index(std::string_view line, std::uint64_t char_index) {
  LinePlace at;
  if (walk_line(line, at, [&](const LinePlace& p, std::size_t, std::size_t) { return p.chars == char_index; })) {
    return at.units;
  }
  return saturating_add(at.units, char_index - at.chars);
}

std::uint64_t utf16_size(std::string_view text) { return utf16_of_byte_offset(text, text.size()); }

std::optional<std::uint64_t> position_to_offset(std::string_view text, const std::optional<Line>& line,
                                                std::uint32_t character) {
  if (!line) {
    // Past the last line: the end, or one beyond it when the last line has
    // no line break (so a range there is out of bounds).
    const bool ends_with_break = text.empty() || text.back() == '\n';
    return text.size() + (ends_with_break ? 0 : 1);
  }
  const auto column = byte_offset_of_utf16(line->content, character);
  if (column.splits_character) return std::nullopt;
  return line->start + std::min<std::uint64_t>(column.offset, line->content.size());
}

std::optional<std::uint64_t> position_to_offset(std::string_view text, std::uint32_t line,
                                                std::uint32_t character) {
  return position_to_offset(text, line_at(text, line), character);
}

}  // namespace qosa::lsp
