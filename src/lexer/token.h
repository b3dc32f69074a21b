// Tokens of QOSA source: the numbered kinds (from token_kinds.def), the
// token with its payload, and the span that locates it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qosa::lexer {

enum class TokenKind : std::uint8_t {
#define QOSA_TOKEN(name, number, category, text, text2, name_text) name = number,
#include "lexer/token_kinds.def"
#undef QOSA_TOKEN
};

inline constexpr std::size_t kTokenKindCount = 246;

enum class TokenCategory : std::uint8_t { Punct, Keyword, Literal, Reserved, Eof };

struct TokenKindInfo {
  TokenKind kind;
  TokenCategory category;
  std::string_view text;       // the written form; empty for literals and reserved kinds
  std::string_view text2;      // the second keyword text of a two-text kind, else empty
  std::string_view name_text;  // what a task word stands for as a name, else empty
  std::string_view name;       // the enumerator's name, for tests and debugging
};

inline constexpr std::array<TokenKindInfo, kTokenKindCount> kTokenKinds = {{
#define QOSA_TOKEN(name, number, category, text, text2, name_text) \
  {TokenKind::name, TokenCategory::category, text, text2, name_text, #name},
#include "lexer/token_kinds.def"
#undef QOSA_TOKEN
}};

constexpr bool rows_are_numbered_in_order() {
  for (std::size_t i = 0; i < kTokenKinds.size(); ++i) {
    if (static_cast<std::size_t>(kTokenKinds[i].kind) != i) return false;
  }
  return true;
}
static_assert(rows_are_numbered_in_order(), "token_kinds.def rows must be in number order");

constexpr const TokenKindInfo& info(TokenKind kind) {
  return kTokenKinds[static_cast<std::size_t>(kind)];
}

constexpr int number(TokenKind kind) { return static_cast<int>(kind); }

// Where a token stands. Columns count characters from 1; a tab counts one.
struct Span {
  std::string file;
  std::uint8_t flag = 0;
  std::uint64_t line = 1;
  std::uint64_t column = 1;
  std::uint64_t length = 1;
};

// The name and flag that a lexer copies into every span.
struct SourceName {
  std::string name;
  std::uint8_t flag = 0;
};

// A token and its payload: `text` for identifiers (as written) and strings
// (after escapes), `integer` for integer literals, `floating` for floats.
struct Token {
  TokenKind kind = TokenKind::Eof;
  std::string text;
  std::int64_t integer = 0;
  double floating = 0.0;
};

}  // namespace qosa::lexer
