// Token streams of small sources: kinds, payloads and spans side by side.
#include "lexer/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "lexer/token_dump.h"

namespace qosa::lexer {
namespace {

using test::lex_all;

struct Case {
  std::string_view source;
  std::vector<std::string> tokens;
};

void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(lex_all(c.source), c.tokens) << "source: " << test::escaped(c.source);
  }
}

TEST(Lexer, EmptyTextAndEndOfInputRepeats) {
  check({
      {"", {"245 @1:1+1"}},
      {"   \n  ", {"245 @2:3+1"}},
  });
  Lexer lexer = lexer_new("x", SourceName{"file.qosa", 7});
  EXPECT_EQ(lexer.next_token().kind, TokenKind::Identifier);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(lexer.next_token().kind, TokenKind::Eof);
    EXPECT_EQ(lexer.last_span().column, 2u);
    EXPECT_EQ(lexer.last_span().length, 1u);
  }
  EXPECT_EQ(lexer.last_span().file, "file.qosa");
  EXPECT_EQ(lexer.last_span().flag, 7);
}

TEST(Lexer, Operators) {
  check({
      {"+-*/%,;?()[]{}|#",
       {"0 @1:1+1", "1 @1:2+1", "2 @1:3+1", "3 @1:4+1", "4 @1:5+1", "12 @1:6+1", "17 @1:7+1",
        "20 @1:8+1", "21 @1:9+1", "22 @1:10+1", "25 @1:11+1", "26 @1:12+1", "23 @1:13+1",
        "24 @1:14+1", "18 @1:15+1", "226 @1:16+1", "245 @1:17+1"}},
      {"== != <= >= :: -> = ! < > :",
       {"6 @1:1+2", "7 @1:4+2", "10 @1:7+2", "11 @1:10+2", "209 @1:13+2", "154 @1:16+2",
        "5 @1:19+1", "19 @1:21+1", "8 @1:23+1", "9 @1:25+1", "16 @1:27+1", "245 @1:28+1"}},
      // Longest match with one character of lookahead, nothing more.
      {"=>", {"5 @1:1+1", "9 @1:2+1", "245 @1:3+1"}},
      {">>", {"9 @1:1+1", "9 @1:2+1", "245 @1:3+1"}},
      {"+=", {"0 @1:1+1", "5 @1:2+1", "245 @1:3+1"}},
      {"===", {"6 @1:1+2", "5 @1:3+1", "245 @1:4+1"}},
      {"a -> b", {"222 a @1:1+1", "154 @1:3+2", "222 b @1:6+1", "245 @1:7+1"}},
      {"a - > b", {"222 a @1:1+1", "1 @1:3+1", "9 @1:5+1", "222 b @1:7+1", "245 @1:8+1"}},
      {"a..=b", {"222 a @1:1+1", "15 @1:2+3", "222 b @1:5+1", "245 @1:6+1"}},
      {"...", {"14 @1:1+2", "13 @1:3+1", "245 @1:4+1"}},
      {".", {"13 @1:1+1", "245 @1:2+1"}},
  });
}

}  // namespace
}  // namespace qosa::lexer
