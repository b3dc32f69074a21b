// Test helper: a token stream written out one token per string,
// "Kind payload @line:column+length" with the kind by name, so tables can state expectations plainly.
#pragma once

#include <gtest/gtest.h>

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
  // Appended piece by piece: chains of operator+ trip a false -Wrestrict in GCC 12.
  std::string out(info(token.kind).name);
  switch (token.kind) {
    case TokenKind::Identifier: out += ' '; out += token.text; break;
    case TokenKind::Integer: out += ' '; out += std::to_string(token.integer); break;
    case TokenKind::Float: {
      char buf[64];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, token.floating);
      (void)ec;
      out += ' ';
      out.append(buf, end);
      break;
    }
    case TokenKind::String: out += ' '; out += escaped(token.text); break;
    default: break;
  }
  out += " @";
  out += std::to_string(span.line);
  out += ':';
  out += std::to_string(span.column);
  out += '+';
  out += std::to_string(span.length);
  return out;
}

struct Lexed {
  Token token;
  Span span;
};

// Every token up to and including the end of the text: the end-of-input
// token that repeats with the same span. Stops after `limit` tokens.
inline std::vector<Lexed> lex_tokens(std::string_view text, std::size_t limit = 100000) {
  Lexer lexer = lexer_new(text, SourceName{"<stdin>", 0});
  std::vector<Lexed> out;
  while (out.size() < limit) {
    Lexed next{lexer.next_token(), lexer.last_span()};
    if (next.token.kind == TokenKind::Eof && !out.empty() &&
        out.back().token.kind == TokenKind::Eof && out.back().span.line == next.span.line &&
        out.back().span.column == next.span.column) {
      break;
    }
    out.push_back(std::move(next));
  }
  return out;
}

inline std::vector<std::string> lex_all(std::string_view text) {
  std::vector<std::string> out;
  for (const Lexed& l : lex_tokens(text)) out.push_back(describe(l.token, l.span));
  return out;
}

// A source and the dump of its tokens.
struct Case {
  std::string_view source;
  std::vector<std::string> tokens;
};

inline void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(lex_all(c.source), c.tokens) << "source: " << escaped(c.source);
  }
}

}  // namespace qosa::lexer::test
