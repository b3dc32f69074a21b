// The QOSA lexer: one token per call, each with its span, over a whole text.
#pragma once

#include <cstddef>
#include <string_view>

#include "lexer/token.h"

namespace qosa::lexer {

// Scans `text`, which must outlive the lexer. The text is valid UTF-8.
class Lexer {
 public:
  Lexer(std::string_view text, SourceName source);

  // The next token; kind Eof on every call once the text is used up.
  Token next_token();
  // The span of the token most recently returned.
  const Span& last_span() const { return last_span_; }

 private:
  std::string_view text_;
  SourceName source_;
  Span last_span_;
  std::size_t pos_ = 0;
};

inline Lexer lexer_new(std::string_view text, SourceName source) {
  return Lexer(text, std::move(source));
}

}  // namespace qosa::lexer
