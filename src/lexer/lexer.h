// The QOSA lexer: one token per call, each with its span, over a whole text.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lexer/char_class.h"
#include "lexer/token.h"

namespace qosa::lexer {

// A token whose text is a view instead of a string of its own: into the
// source for identifiers and for strings without escapes, into the lexer for
// strings with escapes (valid until two more such strings have been read, so
// a parser's current and next token both stay valid). The parser reads these;
// next_token turns one into a Token.
struct Lexeme {
  TokenKind kind = TokenKind::Eof;
  std::string_view text;
  std::int64_t integer = 0;
  double floating = 0.0;
};

// Where a token stands: a Span without the source name, which is the same
// for every token of one lexer.
struct Place {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
  std::uint64_t length = 1;
  std::size_t offset = 0;  // byte offset of the token's first byte
};

// Scans `text`, which must outlive the lexer. The text should be valid UTF-8;
// a byte that does not begin a valid character is a character that starts no token.
class Lexer {
 public:
  Lexer(std::string_view text, SourceName source);

  // The next token; kind Eof on every call once the text is used up.
  Token next_token();
  // The span of the token most recently returned by next_token.
  const Span& last_span() const { return last_span_; }

  // The same token stream without a string or a source name per token.
  Lexeme next_lexeme();
  // Where the token most recently returned (by either call) stands.
  const Place& last_place() const { return last_place_; }
  const SourceName& source() const { return source_; }

  // Where the next token's scan begins, and how far the tokens read so far
  // depend on the text: no byte from reach() on has changed what they are.
  std::size_t offset() const { return pos_; }
  std::size_t reach() const { return std::max(pos_ + kLookahead, peeked_); }
  // Starts over at byte `offset` (a token's first byte) with that token's
  // line and column, as if the text before it had just been read.
  void resume_at(std::size_t offset, std::uint64_t line, std::uint64_t column) {
    pos_ = offset;
    line_ = line;
    column_ = column;
  }

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
  Lexeme scan_token();
  Lexeme single(TokenKind kind, std::size_t chars);
  Lexeme scan_identifier();
  Lexeme scan_number();
  std::optional<Lexeme> scan_ascii_number();
  Lexeme scan_double_quoted();
  Lexeme scan_quoted(char quote);
  Lexeme scan_raw_string();
  // The buffer for the next string with escapes, taking turns between two.
  std::string& escape_buffer();

  // Bytes past the end of a token that its scan may look at: the rest of a
  // character after it, and two signs after a number ("1..").
  static constexpr std::size_t kLookahead = 4;

  std::string_view text_;
  const CharClassTable* classes_;
  SourceName source_;
  Span last_span_;
  Place last_place_;
  std::string escaped_[2];
  unsigned escaped_turn_ = 0;
  std::size_t pos_ = 0;  // byte offset of the current character
  std::size_t peeked_ = 0;  // one past the furthest byte looked at beyond a token
  std::uint64_t line_ = 1;
  std::uint64_t column_ = 1;
};

inline Lexer lexer_new(std::string_view text, SourceName source) {
  return Lexer(text, std::move(source));
}

}  // namespace qosa::lexer
