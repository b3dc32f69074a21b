// Test helper: a token stream written out one token per string,
// "kind payload @line:column+length", so tables can state expectations plainly.
#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/lexer.h"

namespace qosa::lexer::test {

inline std::string escaped(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\0': out += "\\0"; break;
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      default: out += c;
    }
  }
  return out + "\"";
}

inline std::string describe(const Token& token, const Span& span) {
  std::string out = std::to_string(number(token.kind));
  switch (token.kind) {
    case TokenKind::Identifier: out += " " + token.text; break;
    case TokenKind::Integer: out += " " + std::to_string(token.integer); break;
    case TokenKind::Float: {
      char buf[64];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, token.floating);
      (void)ec;
      out += " " + std::string(buf, end);
      break;
    }
    case TokenKind::String: out += " " + escaped(token.text); break;
    default: break;
  }
  out += " @" + std::to_string(span.line) + ":" + std::to_string(span.column) + "+" +
         std::to_string(span.length);
  return out;
}

// Every token up to and including the end of the text (the end-of-input
// token that repeats with the same span).
inline std::vector<std::string> lex_all(std::string_view text) {
  Lexer lexer = lexer_new(text, SourceName{"<stdin>", 0});
  std::vector<std::string> out;
  for (int i = 0; i < 10000; ++i) {
    Token token = lexer.next_token();
    std::string line = describe(token, lexer.last_span());
    if (token.kind == TokenKind::Eof && !out.empty() && out.back() == line) break;
    out.push_back(std::move(line));
  }
  return out;
}

}  // namespace qosa::lexer::test
