// The QOSA lexer: the tokens of a whole text, a chunk at a time for the
// parser or one per call, their lines and columns counted only when asked.
#pragma once

#include <cstddef>
#include <algorithm>
#include <deque>
#include <vector>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lexer/char_class.h"
#include "lexer/token.h"

namespace qosa::lexer {

// A token whose text is a view instead of a string of its own: into the
// source for identifiers and for strings without escapes, into the lexer for
// strings with escapes (see Lexer::lex). Where it stands is kept as byte
// offsets; its line and column are worked out only when asked for
// (Lexer::place_of), which the parser does for few tokens, so most pay no
// count of lines. The parser reads these; next_token turns one into a Token.
struct Lexeme {
  TokenKind kind = TokenKind::Eof;
  std::uint32_t lookahead = 0;  // bytes past `end` that its scan looked at
  std::string_view text;
  std::int64_t integer = 0;
  double floating = 0.0;
  std::size_t offset = 0;  // byte offset of the token's first byte
  std::size_t end = 0;     // one past its last byte
};

// How far the token stream up to and including `token` depends on the text:
// no byte from here on has changed what those tokens are.
inline std::size_t reach_of(const Lexeme& token) { return token.end + token.lookahead; }

// Where a token stands: a Span without the source name, which is the same
// for every token of one lexer.
struct Place {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
  std::uint64_t length = 1;
  std::size_t offset = 0;  // byte offset of the token's first byte
};

// A line and column (counting from 1) at a byte offset.
struct Position {
  std::size_t offset = 0;
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// Scans `text`, which must outlive the lexer. The text should be valid UTF-8;
// a byte that does not begin a valid character is a character that starts no token.
class Lexer {
 public:
  Lexer(std::string_view text, SourceName source);

  // Up to `count` (at least 1) tokens into `out`, stopping after one of kind
  // Eof; returns how many. Texts of strings with escapes stay valid until
  // two more calls of lex or next_lexeme have been made.
  std::size_t lex(Lexeme* out, std::size_t count);

  // The next token; kind Eof on every call once the text is used up.
  Token next_token();
  // The span of the token most recently returned by next_token.
  const Span& last_span() const { return last_span_; }

  // One token at a time, with its place (last_place).
  Lexeme next_lexeme();
  // Where the token most recently returned by next_lexeme or next_token stands.
  const Place& last_place() const { return last_place_; }
  const SourceName& source() const { return source_; }

  // Where a token of this lexer stands. Cheapest when asked in the order of
  // the text: lines and columns are counted on from the last place asked.
  Place place_of(const Lexeme& token);

  // Where the next token's scan begins.
  std::size_t offset() const { return pos_; }
  // Starts over at byte `offset` (a token's first byte) with that token's
  // line and column, as if the text before it had just been read.
  void resume_at(std::size_t offset, std::uint64_t line, std::uint64_t column);

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

  // The position of byte `to`, counted on from `from` (at or before it).
  Position count_from(Position from, std::size_t to) const;
  // The position of byte `to`, from the nearest known position before it.
  Position position_of(std::size_t to);

  // The scans of lex: `p` is the position, `peeked` how far past the
  // token's end its scan looked.
  std::size_t skip_trivia(std::size_t i) const;
  Lexeme scan_token(std::size_t& p, std::uint32_t& peeked);
  Lexeme single(std::size_t& p, TokenKind kind, std::size_t chars);
  template <class Scan>
  Lexeme in_object(std::size_t& p, Scan scan);
  Lexeme scan_identifier(std::size_t& pos, std::uint32_t& peeked);
  Lexeme scan_ascii_digits(std::size_t& pos);
  Lexeme scan_number();
  std::optional<Lexeme> scan_ascii_number();
  Lexeme scan_double_quoted();
  Lexeme scan_quoted(char quote);
  Lexeme scan_raw_string();
  // A string for the next string with escapes, kept until the batch after
  // the next one begins.
  std::string& escape_buffer();
  void begin_batch();

  // Bytes past the end of a token that its scan may look at: the rest of a
  // character after it, and two signs after a number ("1..").
  static constexpr std::uint32_t kLookahead = 4;

  std::string_view text_;
  const CharClassTable* classes_;
  SourceName source_;
  Span last_span_;
  Place last_place_;
  // Strings with escapes, by batch, taking turns between two; a deque so
  // that a string stays where it is while more are added.
  std::deque<std::string> escaped_[2];
  std::size_t escaped_used_[2] = {0, 0};
  unsigned escaped_turn_ = 0;
  std::size_t pos_ = 0;  // byte offset of the current character
  // Where counting lines starts (the text's start or a resume), and the last
  // position counted.
  Position base_;
  Position counted_;
  // Bytes after a character boundary that do not begin a character yet were
  // read as one (a stray continuation byte that starts no token): each takes
  // a column, which counting by lead bytes would miss. In text order.
  std::vector<std::size_t> stray_bytes_;
};

inline Lexer lexer_new(std::string_view text, SourceName source) {
  return Lexer(text, std::move(source));
}

}  // namespace qosa::lexer
