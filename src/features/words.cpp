#include "features/words.h"

#include <array>

#include "lsp/positions.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

bool is_identifier_char(char32_t c) {
  if (c < 0x80) return is_ascii_identifier_char(c);
  switch (c) {
    case U'Ç': case U'Ö': case U'Ü': case U'ç': case U'ö': case U'ü':
    case U'Ğ': case U'ğ': case U'İ': case U'ı': case U'Ş': case U'ş':
      return true;  // whatever the Unicode tables in use say of them
    default:
      return support::is_alphabetic(c) || support::is_numeric(c);
  }
}

std::optional<std::size_t> byte_offset_of_char(std::string_view line, std::size_t index) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < index; ++i) {
    if (pos >= line.size()) return std::nullopt;
    pos += support::utf8_sequence_length(static_cast<unsigned char>(line[pos]));
  }
  return pos <= line.size() ? std::optional(pos) : std::nullopt;
}

std::size_t previous_char_start(std::string_view line, std::size_t pos) {
  do {
    --pos;
  } while (pos > 0 && support::is_utf8_continuation(static_cast<unsigned char>(line[pos])));
  return pos;
}

WordSpan scan_word(std::string_view line, std::size_t cursor, WordScan scan) {
  const bool annotation = scan == WordScan::annotation;
  WordSpan span{cursor, cursor, 0};
  while (span.begin > 0) {
    const std::size_t prev = previous_char_start(line, span.begin);
    const char32_t c = support::decode_utf8(line, prev).code_point;
    if (!is_identifier_char(c) && !(annotation && c == U'@')) break;
    span.begin = prev;
    ++span.chars_before_cursor;
  }
  if (annotation && span.begin == cursor && cursor < line.size() && line[cursor] == '@') ++span.end;
  while (span.end < line.size()) {
    const auto d = support::decode_utf8(line, span.end);
    if (!is_identifier_char(d.code_point)) break;
    span.end += d.length;
  }
  return span;
}

namespace {

// word_at's selection on one line: the bytes of the word around character
// `character`, or none.
std::optional<WordSpan> select_word(std::string_view content, std::uint64_t character) {
  if (character >= content.size()) return std::nullopt;
  // The byte bound above lets the cursor reach the line's end on lines with
  // multi-byte characters; the scan then finds the word that ends there.
  const auto cursor = byte_offset_of_char(content, character);
  if (!cursor) return std::nullopt;
  const WordSpan span = scan_word(content, *cursor, WordScan::identifier);
  if (span.begin == span.end) return std::nullopt;
  return span;
}

}  // namespace

std::optional<WordAtCursor> word_at(std::string_view text, std::uint32_t line,
                                    std::uint32_t character) {
  const auto found = line_at(text, line);
  if (!found) return std::nullopt;
  const std::string_view content = found->content;
  const auto span = select_word(content, character);
  if (!span) return std::nullopt;
  const std::string_view word = content.substr(span->begin, span->end - span->begin);
  const auto start = static_cast<std::uint32_t>(character - span->chars_before_cursor);
  const auto stop = static_cast<std::uint32_t>(start + support::count_chars(word));
  return WordAtCursor{std::string(word), {{line, start}, {line, stop}}};
}

std::optional<CursorWord> word_under_cursor(std::string_view text, const Position& position) {
  const auto found = line_at(text, position.line);
  if (!found) return std::nullopt;
  const std::string_view content = found->content;
  const auto span = select_word(content, char_index_of_utf16(content, position.character));
  if (!span) return std::nullopt;
  Utf16Columns columns(content);
  const auto start = static_cast<std::uint32_t>(columns.column(span->begin));
  const auto end = static_cast<std::uint32_t>(columns.column(span->end));
  return CursorWord{content.substr(span->begin, span->end - span->begin),
                    {{position.line, start}, {position.line, end}}};
}

namespace {

// The identifier rule at `pos`, with ASCII decided inline: most text is
// ASCII and runs are cut for every word of a document.
bool identifier_at(std::string_view line, std::size_t pos, std::size_t& length) {
  const auto b = static_cast<unsigned char>(line[pos]);
  if (b < 0x80) {
    length = 1;
    return is_ascii_identifier_char(b);
  }
  const auto d = support::decode_utf8(line, pos);
  length = d.length;
  return is_identifier_char(d.code_point);
}

constexpr auto ascii_identifier = [] {
  std::array<bool, 128> table{};
  for (char32_t c = 0; c < 0x80; ++c) table[c] = is_ascii_identifier_char(c);
  return table;
}();

}  // namespace

std::optional<IdentifierRun> IdentifierRuns::next() {
  // Skip to the next identifier character, then take all that follow; ASCII
  // bytes are decided by a table, as most text is ASCII. (Locals, not
  // members, in the loops: a char read could alias a member.)
  const std::string_view line = line_;
  const auto byte = [&](std::size_t pos) { return static_cast<unsigned char>(line[pos]); };
  const std::size_t n = line.size();
  std::size_t pos = pos_;
  std::size_t length = 0;
  for (;; pos += length) {
    while (pos < n && byte(pos) < 0x80 && !ascii_identifier[byte(pos)]) ++pos;
    if (pos >= n) {
      pos_ = n;
      return std::nullopt;
    }
    if (byte(pos) < 0x80 || identifier_at(line, pos, length)) break;
  }
  std::size_t end = pos;
  for (;; end += length) {
    while (end < n && byte(end) < 0x80 && ascii_identifier[byte(end)]) ++end;
    if (end >= n || byte(end) < 0x80 || !identifier_at(line, end, length)) break;
  }
  pos_ = end;
  return IdentifierRun{pos, end};
}

}  // namespace qosa::lsp
