// The token kind table against the lexer: every written form lexes to its
// kind, and the reserved kinds never come out of it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "lexer/keywords.h"
#include "lexer/lexer.h"
#include "lexer/token_dump.h"
#include "support/utf8.h"

namespace qosa::lexer {
namespace {

constexpr int kReserved[] = {159, 160, 161, 162, 163, 164, 178, 179, 206};

bool is_reserved(TokenKind kind) {
  for (int r : kReserved) {
    if (number(kind) == r) return true;
  }
  return false;
}

TEST(TokenKinds, EveryWrittenFormLexesToItsKind) {
  int forms = 0;
  for (const TokenKindInfo& row : kTokenKinds) {
    if (row.category != TokenCategory::Keyword && row.category != TokenCategory::Punct) continue;
    for (std::string_view text : {row.text, row.text2}) {
      if (text.empty()) continue;
      ++forms;
      Lexer lexer = lexer_new(text, SourceName{"<stdin>", 0});
      const Token token = lexer.next_token();
      EXPECT_EQ(number(token.kind), number(row.kind)) << text;
      EXPECT_TRUE(token.text.empty()) << text;
      EXPECT_EQ(lexer.last_span().column, 1u) << text;
      EXPECT_EQ(lexer.last_span().length, support::count_chars(text)) << text;
      EXPECT_EQ(lexer.next_token().kind, TokenKind::Eof) << text;
    }
  }
  EXPECT_GT(forms, 200);
}

TEST(TokenKinds, KeywordLookupIsExact) {
  EXPECT_EQ(find_keyword("eğer"), TokenKind::Eger);
  EXPECT_EQ(find_keyword("donanım_soyutlama_katmanı"), TokenKind::Dsk);
  EXPECT_EQ(find_keyword("her biri"), TokenKind::Icin);
  EXPECT_EQ(find_keyword("µs"), TokenKind::Us);
  for (std::string_view word : {"", "Eğer", "EĞER", "ege", "eğerr", "kb", "her", "biri", "+",
                                "donanım_soyutlama_katmanıx", "identifier"}) {
    EXPECT_EQ(find_keyword(word), std::nullopt) << word;
  }
}

TEST(TokenKinds, ReservedKindsHaveNoTextAndNeverOccur) {
  for (int r : kReserved) {
    const TokenKindInfo& row = kTokenKinds[static_cast<std::size_t>(r)];
    EXPECT_EQ(row.category, TokenCategory::Reserved) << r;
    EXPECT_TRUE(row.text.empty() && row.text2.empty()) << r;
  }
  for (const TokenKindInfo& row : kTokenKinds) {
    EXPECT_EQ(row.category == TokenCategory::Reserved, is_reserved(row.kind)) << row.name;
  }
  // Every written form, and the words that sound like the reserved kinds.
  std::string source = "değiştir toggle i2c uart spi TurkishToggle ";
  for (const TokenKindInfo& row : kTokenKinds) {
    source += std::string(row.text) + " " + std::string(row.text2) + " " +
              std::string(row.name_text) + " " + std::string(row.name) + "\n";
  }
  const auto tokens = test::lex_tokens(source);
  EXPECT_GT(tokens.size(), 500u);
  for (const test::Lexed& l : tokens) {
    EXPECT_FALSE(is_reserved(l.token.kind)) << number(l.token.kind) << " at line " << l.span.line;
  }
  EXPECT_EQ(tokens.back().span.line, kTokenKindCount + 1);
}

// Random bytes, random characters and cut-up keywords: the scan ends, every
// token moves forward, and no reserved kind appears.
TEST(TokenKinds, AnyInputEndsWithEndOfInput) {
  std::mt19937 rng(20240521);
  const std::string_view pieces[] = {"\"", "'", "\"\"\"", "/*", "*/", "//", "\\", "\n", "\r",
                                     " ", "her", "biri", "veya", "eğer", "0x", "9", ".", "..",
                                     "=", "ğ", "\u00A0", "\xEF\xBB\xBF", "²", "Ⅻ", "_", "😀"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int size = static_cast<int>(rng() % 64);
    for (int i = 0; i < size; ++i) {
      if (round % 2 == 0) {
        text.push_back(static_cast<char>(rng() % 256));
      } else {
        text += pieces[rng() % std::size(pieces)];
      }
    }
    const auto tokens = test::lex_tokens(text, text.size() + 2);
    // Each token but the last takes at least one byte.
    ASSERT_LE(tokens.size(), text.size() + 1);
    ASSERT_EQ(tokens.back().token.kind, TokenKind::Eof);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      const Span& span = tokens[i].span;
      ASSERT_FALSE(is_reserved(tokens[i].token.kind));
      ASSERT_GE(span.length, 1u);
      if (i > 0) {
        const Span& before = tokens[i - 1].span;
        ASSERT_TRUE(span.line > before.line ||
                    (span.line == before.line && span.column > before.column));
      }
    }
  }
}

}  // namespace
}  // namespace qosa::lexer
