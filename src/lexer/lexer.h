// The QOSA lexer: one token per call, each with its span, over a whole text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lexer/char_class.h"
#include "lexer/token.h"

namespace qosa::lexer {

// Scans `text`, which must outlive the lexer. The text should be valid UTF-8;
// a byte that does not begin a valid character is a character that starts no token.
class Lexer {
 public:
  Lexer(std::string_view text, SourceName source);

  // The next token; kind Eof on every call once the text is used up.
  Token next_token();
  // The span of the token most recently returned.
  const Span& last_span() const { return last_span_; }

 private:
  struct Char {
    char32_t code_point;
    std::size_t length;
  };

  bool at_end() const { return pos_ >= text_.size(); }
  // The byte at `i`, or -1 past the end.
  int byte_at(std::size_t i) const {
    return i < text_.size() ? static_cast<unsigned char>(text_[i]) : -1;
  }
  Char char_at(std::size_t i) const;
  std::uint8_t classes_at(std::size_t i, std::size_t& length) const;

  // Moves to byte `end`, counting the lines and columns passed.
  void count_through(std::size_t end);
  void skip_trivia();
  Token scan_token();
  Token single(TokenKind kind, std::size_t chars);
  Token scan_identifier();
  Token scan_number();
  Token scan_double_quoted();
  Token scan_quoted(char quote);
  Token scan_raw_string();

  std::string_view text_;
  const CharClassTable* classes_;
  SourceName source_;
  Span last_span_;
  std::size_t pos_ = 0;  // byte offset of the current character
  std::uint64_t line_ = 1;
  std::uint64_t column_ = 1;
};

inline Lexer lexer_new(std::string_view text, SourceName source) {
  return Lexer(text, std::move(source));
}

}  // namespace qosa::lexer
