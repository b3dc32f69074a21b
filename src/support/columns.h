// Columns on the wire count UTF-16 code units of a line; the features count
// bytes or characters. These helpers convert within one line's text (no line
// break in it), and are the only place that does.
//
// A column past the end of the line keeps its excess, so a caller that clamps
// and one that refuses a position past the end can both do what they must;
// where that sum would pass 2^64 - 1 it stays there.
#pragma once

#include <cstdint>
#include <string_view>

namespace qosa::support {

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

}  // namespace qosa::support
