#include "lsp/positions.h"

#include <algorithm>
#include <limits>

#include "support/utf8.h"

namespace qosa::lsp {

namespace {

// UTF-16 units of the character that `lead` starts: the four-byte
// characters of UTF-8 are those outside the BMP.
constexpr std::size_t utf16_units_of_lead(unsigned char lead) { return lead >= 0xF0 ? 2 : 1; }

// The walk that every conversion makes: moves `at` over the characters of
// the line until stop(at, bytes, units) says the character that starts
// there is the one sought (true) or the line ends (false). `bytes` and
// `units` are that character's sizes.
template <class Stop>
[[gnu::always_inline]] inline bool walk_line(std::string_view line, LinePlace& at, Stop&& stop) {
  while (at.byte < line.size()) {
    const auto lead = static_cast<unsigned char>(line[at.byte]);
    const std::size_t bytes = support::utf8_sequence_length(lead);
    const std::size_t units = utf16_units_of_lead(lead);
    if (stop(static_cast<const LinePlace&>(at), bytes, units)) return true;
    at.byte += bytes;
    at.chars += 1;
    at.units += units;
  }
  return false;
}

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

std::uint64_t Utf16Columns::column(std::uint64_t byte_offset) {
  const bool inside = walk_line(line_, at_, [&](const LinePlace& at, std::size_t bytes, std::size_t) {
    return at.byte + bytes > byte_offset;
  });
  return inside ? at_.units : at_.units + (byte_offset - line_.size());
}

void Utf16ColumnTable::assign(std::string_view line, bool ascii) {
  ascii_ = ascii;
  if (ascii) return;
  // Every byte of a character gets the column where it starts.
  columns_.resize(line.size() + 1);
  std::uint32_t* const columns = columns_.data();
  LinePlace at;
  walk_line(line, at, [&](const LinePlace& p, std::size_t bytes, std::size_t) {
    for (std::size_t k = 0; k < bytes && p.byte + k < line.size(); ++k) {
      columns[p.byte + k] = static_cast<std::uint32_t>(p.units);
    }
    return false;
  });
  columns[line.size()] = static_cast<std::uint32_t>(at.units);
}

}  // namespace qosa::lsp
