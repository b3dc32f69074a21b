// Columns on the wire count UTF-16 code units of a line; the features count
// bytes or characters. Every conversion between them is here, on one walk
// over the characters of a line, with the faster shapes of that walk that
// hot loops need: a forward cursor, a table per line and a counter that
// reads 64 bytes at a time. Text is valid UTF-8; a line holds no line break.
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

namespace qosa::lsp {

// Where a character of a line starts, counted three ways (what the walk
// keeps, and the cursor between calls).
struct LinePlace {
  std::uint64_t byte = 0;
  std::uint64_t chars = 0;
  std::uint64_t units = 0;  // UTF-16
};

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

  std::uint64_t column(std::uint64_t byte_offset);

 private:
  std::string_view line_;
  LinePlace at_;
};

// The UTF-16 column of every byte offset of one line, from 0 to its size,
// for offsets asked in any order; columns as utf16_of_byte_offset gives
// them. The tokens of a line then cost one walk of it, not two per token.
// The memory is kept from line to line.
class Utf16ColumnTable {
 public:
  // A caller that knows the line is ASCII says so: its bytes are its
  // units, and no table is built.
  void assign(std::string_view line, bool ascii);

  // Precondition: byte_offset <= the line's size.
  std::uint32_t column(std::size_t byte_offset) const {
    return ascii_ ? static_cast<std::uint32_t>(byte_offset) : columns_[byte_offset];
  }

 private:
  bool ascii_ = true;
  std::vector<std::uint32_t> columns_;
};

// ---- A whole text, 64 bytes at a time.

// The UTF-16 units before any character of a valid UTF-8 text, for a scan
// that reads the text in blocks of 64 bytes, in order, and has already
// classified each block's bytes: bit i of a mask stands for byte i. A
// character is one unit, two when it takes four bytes (outside the BMP):
// the bytes less the continuation bytes, plus the four-byte leads.
class Utf16BlockCounter {
 public:
  // Moves on to the next block (the first, at the first call).
  void enter_block(std::uint64_t continuation, std::uint64_t four_byte_lead) {
    continuation_ = continuation;
    four_byte_lead_ = four_byte_lead;
    units_before_block_ = units_after_block_;
    units_after_block_ += block_units(64);
  }

  // UTF-16 units of the text before byte i (0 to 64) of the current block,
  // where a character starts.
  std::uint64_t units_before(unsigned i) const { return units_before_block_ + block_units(i); }

 private:
  // std::popcount is a library call without a -m flag for the instruction.
  static std::uint64_t bit_count(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555;
    x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
    return (x * 0x0101010101010101) >> 56;
  }

  // The units of the block's first i bytes. A block of ASCII, the most
  // common, is counted without a bit count.
  std::uint64_t block_units(unsigned i) const {
    if ((continuation_ | four_byte_lead_) == 0) return i;
    const std::uint64_t first = i >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << i) - 1;
    const std::uint64_t astral = four_byte_lead_ == 0 ? 0 : bit_count(four_byte_lead_ & first);
    return i - bit_count(continuation_ & first) + astral;
  }

  std::uint64_t continuation_ = 0;
  std::uint64_t four_byte_lead_ = 0;
  std::uint64_t units_before_block_ = 0;
  std::uint64_t units_after_block_ = 0;
};

}  // namespace qosa::lsp
