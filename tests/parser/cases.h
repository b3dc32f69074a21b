// Table-driven parser tests: a source text and the trees its statements print as.
#pragma once

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

#include "parser/parser.h"
#include "tree_printer.h"

namespace qosa::parser {

struct TreeCase {
  std::string_view source;
  std::string_view trees;  // one printed statement per line
};

inline void expect_trees(std::span<const TreeCase> cases) {
  for (const TreeCase& c : cases) {
    EXPECT_EQ(parse_to_text(c.source), c.trees) << "source: " << c.source;
  }
}

// The token one statement read from the start of `source` ends on: an
// identifier's text, a keyword's or sign's text, the value of an integer,
// "<string>", or "<eof>".
inline std::string statement_end(std::string_view source) {
  Arena arena;
  Parser parser = parser_new(lexer::lexer_new(source, {"<stdin>", 0}), arena);
  parse_statement(parser);
  const auto& token = *parser.current;
  switch (token.kind) {
    case lexer::TokenKind::Identifier: return std::string(token.text);
    case lexer::TokenKind::Integer: return std::to_string(token.integer);
    case lexer::TokenKind::String: return "<string>";
    case lexer::TokenKind::Eof: return "<eof>";
    default: return std::string(lexer::info(token.kind).text);
  }
}

struct EndCase {
  std::string_view source;
  std::string_view end;  // as statement_end gives it
};

inline void expect_ends(std::span<const EndCase> cases) {
  for (const EndCase& c : cases) {
    EXPECT_EQ(statement_end(c.source), c.end) << "source: " << c.source;
  }
}

}  // namespace qosa::parser
