// Columns on the wire count UTF-16 code units of a line; the features count
// bytes or characters. Every conversion between them is here, on one walk
// over the characters of a line, with the faster shapes of that walk that
// hot loops need: a forward cursor and a table per line. Lines are valid
// UTF-8 without a line break.
//
// A column past the end of the line keeps its excess, so a caller that clamps
// and one that refuses a position past the end can both do what they must;
// where that sum would pass 2^64 - 1 it stays there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "lsp/lines.h"
#include "support/utf8.h"

namespace qosa::lsp {

// ---- The walk.

// UTF-16 units of the character that `lead` starts: the four-byte
// characters of UTF-8 are those outside the BMP.
constexpr std::size_t utf16_units_of_lead(unsigned char lead) { return lead >= 0xF0 ? 2 : 1; }

// Where a character of a line starts, counted three ways.
struct LinePlace {
  std::uint64_t byte = 0;
  std::uint64_t chars = 0;
  std::uint64_t units = 0;  // UTF-16
};

// Moves `at` over the characters of the line until stop(at, bytes, units)
// says the character that starts there is the one sought (true) or the
// line ends (false). `bytes` and `units` are that character's sizes.
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

// ---- One position at a time.

struct ByteColumn {
  std::uint64_t offset;    // byte offset in the line, plus any excess past its end
  bool splits_character;   // the UTF-16 column fell between the two halves of a surrogate pair
};

// UTF-16 column -> byte offset. Inside a surrogate pair: the start of that character.
ByteColumn byte_offset_of_utf16(std::string_view line, std::uint64_t utf16_column);

// UTF-16 column -> character index. Inside a surrogate pair: that character's index.
std::uint64_t char_index_of_utf16(std::string_view line, std::uint64_t utf16_column);

// Byte offset -> UTF-16 column. An offset inside a character counts up to its start.
std::uint64_t utf16_of_byte_offset(std::string_view line, std::uint64_t byte_offset);

// Character index -> UTF-16 column.
std::uint64_t utf16_of_char_index(std::string_view line, std::uint64_t char_index);

// The UTF-16 length of valid UTF-8 text (line breaks count as any character).
std::uint64_t utf16_size(std::string_view text);

// Byte offset of a position of the text. `character` counts UTF-16 code
// units of the line and is clamped to the line's end; a line past the last
// gives the text's length, plus one when the text does not end in "\n".
// None when the column falls between the halves of a surrogate pair.
std::optional<std::uint64_t> position_to_offset(std::string_view text, std::uint32_t line,
                                                std::uint32_t character);

// The same on a line of the text already found (none: past the last line).
std::optional<std::uint64_t> position_to_offset(std::string_view text, const std::optional<Line>& line,
                                                std::uint32_t character);

// ---- Many positions of one line.

// Byte offsets of one line to UTF-16 columns, for offsets that never
// decrease: the line is read once however many offsets are asked. Columns
// as utf16_of_byte_offset gives them.
class Utf16Columns {
 public:
  explicit Utf16Columns(std::string_view line) : line_(line) {}

  std::uint64_t column(std::uint64_t byte_offset) {
    const bool inside = walk_line(line_, at_, [&](const LinePlace& at, std::size_t bytes, std::size_t) {
      return at.byte + bytes > byte_offset;
    });
    return inside ? at_.units : at_.units + (byte_offset - line_.size());
  }

 private:
  std::string_view line_;
  LinePlace at_;
};

// The UTF-16 column of every byte offset of one line, from 0 to its size,
// for offsets asked in any order; columns as utf16_of_byte_offset gives
// them. The memory is kept from line to line.
class Utf16ColumnTable {
 public:
  // A caller that knows the line is ASCII says so: its bytes are its
  // units, and no table is built.
  void assign(std::string_view line, bool ascii) {
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

  // Precondition: byte_offset <= the line's size.
  std::uint32_t column(std::size_t byte_offset) const {
    return ascii_ ? static_cast<std::uint32_t>(byte_offset) : columns_[byte_offset];
  }

 private:
  bool ascii_ = true;
  std::vector<std::uint32_t> columns_;
};

}  // namespace qosa::lsp
