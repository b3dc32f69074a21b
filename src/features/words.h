// Identifiers in the lines of a document: the identifier rule, the word under
// the cursor and the maximal identifier runs of a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lsp/lines.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// ASCII letters and digits, "_", non-ASCII characters that are Alphabetic or
// numeric (Nd, Nl, No), and the twelve Turkish letters whatever ICU says.
bool is_identifier_char(char32_t c);

// The rule for c < 0x80.
constexpr bool is_ascii_identifier_char(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

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

// word_at for a cursor as the editor sends it: `position.character` counts
// UTF-16 code units and is read as the index of the character it falls on,
// to which word_at's bounds then apply. The word points into `text`; its
// range counts UTF-16 code units.
struct CursorWord {
  std::string_view word;
  Range range;
};
std::optional<CursorWord> word_under_cursor(std::string_view text, const Position& position);

// What a word scan takes in besides identifier characters.
enum class WordScan {
  identifier,
  // An "@" anywhere to the left of the cursor, or under it, belongs to the
  // word, so an annotation is found from anywhere on it.
  annotation,
};

// The bytes [begin, end) of the word around byte offset `cursor` of a line,
// and how many characters lie between begin and the cursor. Empty when no
// word touches the cursor. Precondition: cursor <= line.size(), on a
// character boundary.
struct WordSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t chars_before_cursor = 0;
};
WordSpan scan_word(std::string_view line, std::size_t cursor, WordScan scan);

// Byte offset of character `index` of valid UTF-8 `line`, or none when the
// line has fewer characters; the index of the line's end gives its size.
std::optional<std::size_t> byte_offset_of_char(std::string_view line, std::size_t index);

// Byte offset where the character ending at `pos` starts. Precondition: 0 < pos.
std::size_t previous_char_start(std::string_view line, std::size_t pos);

// A maximal run of identifier characters, in bytes of its line.
struct IdentifierRun {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The maximal identifier runs of a valid UTF-8 line, left to right. Two
// texts are the same whole word exactly when they are the same run.
class IdentifierRuns {
 public:
  explicit IdentifierRuns(std::string_view line) : line_(line) {}
  std::optional<IdentifierRun> next();

 private:
  std::string_view line_;
  std::size_t pos_ = 0;
};

}  // namespace qosa::lsp
