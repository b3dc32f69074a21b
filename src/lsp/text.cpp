#include "lsp/text.h"

#include <cstring>

#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

std::optional<Line> LineCursor::next() {
  if (pos_ >= text_.size()) return std::nullopt;
  Line line;
  line.start = pos_;
  const std::size_t nl = text_.find('\n', pos_);
  if (nl == std::string_view::npos) {
    line.content = text_.substr(pos_);
    line.break_length = 0;
    pos_ = text_.size();
    return line;
  }
  std::size_t end = nl;
  line.break_length = 1;
  if (end > pos_ && text_[end - 1] == '\r') {
    --end;
    line.break_length = 2;
  }
  line.content = text_.substr(pos_, end - pos_);
  pos_ = nl + 1;
  return line;
}

std::optional<Line> line_at(std::string_view text, std::size_t index) {
  // Skip whole lines with memchr; only the wanted line is cut out.
  std::size_t pos = 0;
  for (std::size_t i = 0; i < index; ++i) {
    const void* nl = pos < text.size() ? std::memchr(text.data() + pos, '\n', text.size() - pos)
                                       : nullptr;
    if (!nl) return std::nullopt;
    pos = static_cast<std::size_t>(static_cast<const char*>(nl) - text.data()) + 1;
  }
  LineCursor cursor(text.substr(pos));
  auto line = cursor.next();
  if (line) line->start += pos;
  return line;
}

bool is_identifier_char(char32_t c) {
  if (c < 0x80) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  }
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
  } while (pos > 0 && (static_cast<unsigned char>(line[pos]) & 0xC0) == 0x80);
  return pos;
}

std::optional<WordAtCursor> word_at(std::string_view text, std::uint32_t line,
                                    std::uint32_t character) {
  const auto found = line_at(text, line);
  if (!found) return std::nullopt;
  const std::string_view content = found->content;
  if (character >= content.size()) return std::nullopt;
  // The byte bound above lets the cursor reach the line's end on lines with
  // multi-byte characters; the scan then finds the word that ends there.
  const auto cursor = byte_offset_of_char(content, character);
  if (!cursor) return std::nullopt;

  std::size_t begin = *cursor;
  std::uint32_t start = character;
  while (begin > 0) {
    const std::size_t prev = previous_char_start(content, begin);
    if (!is_identifier_char(support::decode_utf8(content, prev).code_point)) break;
    begin = prev;
    --start;
  }
  std::size_t end = *cursor;
  std::uint32_t stop = character;
  while (end < content.size()) {
    const auto d = support::decode_utf8(content, end);
    if (!is_identifier_char(d.code_point)) break;
    end += d.length;
    ++stop;
  }
  if (begin == end) return std::nullopt;
  return WordAtCursor{std::string(content.substr(begin, end - begin)),
                      {{line, start}, {line, stop}}};
}

}  // namespace qosa::lsp
