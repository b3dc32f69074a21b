// Lines of a document text and the words in them.
//
// The line rule: the text is split at each "\n"; a "\r" right before the
// "\n" is not part of the line; a final "\n" starts no further line; the
// empty text has no lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qosa::lsp {

struct Line {
  std::string_view content;  // without its line break
  std::size_t start = 0;     // byte offset of the line in the text
  std::size_t break_length = 0;  // 2 for "\r\n", 1 for "\n", 0 for a last line without one
};

// Forward iteration over the lines of a text, without copying it.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  // The next line, or none after the last one.
  std::optional<Line> next();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Line `index` (from 0) of the text, or none past the last line.
// Reads only the text up to the end of that line.
std::optional<Line> line_at(std::string_view text, std::size_t index);

// ASCII letters and digits, "_", non-ASCII characters that are Alphabetic or
// numeric (Nd, Nl, No), and the twelve Turkish letters whatever ICU says.
bool is_identifier_char(char32_t c);

// A position whose character counts characters (scalar values) of its line,
// not bytes and not UTF-16 units; callers convert at the wire.
struct CharPosition {
  std::uint32_t line = 0;
  std::uint32_t character = 0;
};

struct CharRange {
  CharPosition start;
  CharPosition end;
};

struct WordAtCursor {
  std::string word;
  CharRange range;  // on one line; end - start is the number of characters of word
};

// The identifier the cursor stands on, or the one that ends right before it.
// `character` counts characters of the line; a cursor at or past the line's
// byte length gets none. `text` must be valid UTF-8.
std::optional<WordAtCursor> word_at(std::string_view text, std::uint32_t line,
                                    std::uint32_t character);

// Byte offset of character `index` of valid UTF-8 `line`, or none when the
// line has fewer characters; the index of the line's end gives its size.
std::optional<std::size_t> byte_offset_of_char(std::string_view line, std::size_t index);

// Byte offset where the character ending at `pos` starts. Precondition: 0 < pos.
std::size_t previous_char_start(std::string_view line, std::size_t pos);

}  // namespace qosa::lsp
