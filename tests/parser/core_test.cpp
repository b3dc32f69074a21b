#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cases.h"
#include "parser/parser.h"
#include "parser/source.h"

namespace qosa::parser {
namespace {

using lexer::Token;
using lexer::TokenKind;

TEST(ParserCore, EmptyTextsGiveNoStatements) {
  EXPECT_TRUE(parse_source("").statements.empty());
  EXPECT_TRUE(parse_source("  // yorum\n/* blok */ \n").statements.empty());
  EXPECT_TRUE(parse_source("\xEF\xBB\xBF").statements.empty());
}

TEST(ParserCore, TheResultOwnsItsTexts) {
  std::string text = "değişken uzun_bir_isim_olan_değişken = \"bir metin değeri\" + x";
  ParseResult result = parse_source(text);
  text.assign(text.size(), '#');
  ASSERT_EQ(result.statements.size(), 1u);
  EXPECT_EQ(print_stmt(*result.statements[0]),
            "(let uzun_bir_isim_olan_değişken (+ \"bir metin değeri\" x))");
}

TEST(ParserCore, ParserStartsOnTheFirstTwoTokens) {
  Arena arena;
  Parser parser = parser_new(lexer::lexer_new("a\n  b", {"<stdin>", 0}), arena);
  EXPECT_EQ(parser.current->text, "a");
  EXPECT_EQ(parser.next->text, "b");
  EXPECT_EQ(current_place(parser).line, 1u);
  EXPECT_EQ(parser.lexer.place_of(*parser.next).line, 2u);
  EXPECT_EQ(parser.lexer.place_of(*parser.next).column, 3u);
  advance(parser);
  EXPECT_EQ(parser.current->text, "b");
  EXPECT_EQ(current_place(parser).column, 3u);
  EXPECT_EQ(parser.next_kind, TokenKind::Eof);
  advance(parser);
  advance(parser);
  EXPECT_EQ(parser.current_kind, TokenKind::Eof);
  EXPECT_EQ(parser.next_kind, TokenKind::Eof);
}

TEST(ParserCore, TokenEqualsComparesPayloadsOnlyForLiterals) {
  auto token = [](TokenKind kind, std::string text = {}, std::int64_t i = 0, double f = 0) {
    return Token{kind, std::move(text), i, f};
  };
  EXPECT_TRUE(token_equals(token(TokenKind::Son), token(TokenKind::Son)));
  EXPECT_FALSE(token_equals(token(TokenKind::Son), token(TokenKind::End)));
  EXPECT_TRUE(token_equals(token(TokenKind::Identifier, "a"), token(TokenKind::Identifier, "a")));
  EXPECT_FALSE(token_equals(token(TokenKind::Identifier, "a"), token(TokenKind::Identifier, "A")));
  EXPECT_FALSE(token_equals(token(TokenKind::String, "a"), token(TokenKind::Identifier, "a")));
  EXPECT_TRUE(token_equals(token(TokenKind::Integer, "", 3), token(TokenKind::Integer, "", 3)));
  EXPECT_FALSE(token_equals(token(TokenKind::Integer, "", 3), token(TokenKind::Integer, "", 4)));
  EXPECT_TRUE(token_equals(token(TokenKind::Float, "", 0, 0.0), token(TokenKind::Float, "", 0, -0.0)));
  // The payload of a non-literal kind does not count.
  EXPECT_TRUE(token_equals(token(TokenKind::LeftParen, "x"), token(TokenKind::LeftParen, "y")));
}

TEST(ParserCore, TypesOfParameters) {
  const TreeCase cases[] = {
      {"fn f(a: tamsayı, b: ondalık, c: yazı, d: mantıksal) { }",
       "(fn f [a:tamsayı b:ondalık c:yazı d:mantıksal] {})"},
      {"fn f(a: int, b: integer, c: float, d: string, e: bool, f: boolean) { }",
       "(fn f [a:integer b:integer c:float d:string e:boolean f:boolean] {})"},
      {"fn f(a: Liste) { }", "(fn f [a:Liste] {})"},
      {"fn f(a: liste) { }", ""},
      {"fn f(a: list) { }", ""},
      {"fn f(a: demet) { }", ""},
      {"fn f(a: tuple) { }", ""},
      {"fn f(a: Map<K, Liste<V>>) { }", "(fn f [a:Map<K,Liste<V>>] {})"},
      {"fn f(a: A<>) { }", ""},
      {"fn f(a: A<B) { }", ""},
      {"fn f(a: A<B,>) { }", ""},
      {"fn f(a: ()) { }", "(fn f [a:demet] {})"},
      {"fn f(a: (int, string)) { }", "(fn f [a:demet<integer,string>] {})"},
      {"fn f(a: (int, string,)) { }", "(fn f [a:demet<integer,string>] {})"},
      {"fn f(a: (int,)) { }", "(fn f [a:demet<integer>] {})"},
      {"fn f(a: (int,, string)) { }", ""},
      {"fn f(a: (int string)) { }", ""},
      {"fn f(a: ((int, int), Liste<(yazı)>)) { }",
       "(fn f [a:demet<demet<integer,integer>,Liste<demet<yazı>>>] {})"},
  };
  expect_trees(cases);
}

TEST(ParserCore, ParameterNames) {
  const TreeCase cases[] = {
      {"fn f() { }", "(fn f [] {})"},
      {"fn f(a, b: T, c) { }", "(fn f [a b:T c] {})"},
      // Some keywords stand as names with fixed texts.
      {"fn f(KB, µs, us, ms, görev, task) { }", "(fn f [kb us us ms görev task] {})"},
      {"fn f(gpio, giriş_çıkış, genel_amaçlı_gç) { }", "(fn f [gpio gpio gpio] {})"},
      {"fn f(tamsayı: int, liste, yazı, ondalık, mantıksal) { }",
       "(fn f [tamsayı:integer liste yazı ondalık mantıksal] {})"},
      {"fn f(int) { }", ""},
      {"fn f(son) { }", ""},
      {"fn f(a:) { }", ""},
      {"fn f(a,) { }", ""},
      {"fn f(,a) { }", "(expr a)"},
  };
  expect_trees(cases);
}

// A statement that fails leaves the current token where it gave up, and the
// loop goes on one token later.
TEST(ParserCore, RecoveryStepsOneToken) {
  const TreeCase cases[] = {
      {"değişken x y = 1", "(expr 1)"},
      {"değişken = 1 z = 2", "(expr 1)\n(assign z 2)"},
      {"} x = 1 } y = 2", "(assign x 1)\n(assign y 2)"},
      {"son end x", "(expr x)"},
      {"+ + x", "(expr x)"},
  };
  expect_trees(cases);
}

TEST(ParserCore, AnUnrecognisedCharacterEndsTheProgram) {
  const TreeCase cases[] = {
      {"x = 1 @ y = 2", "(assign x 1)"},
      {"a $ b", "(expr a)"},
      {"fn f() { x & y }", "(fn f [] {(expr x)})"},
      {"x = 99999999999999999999 y = 2", ""},
  };
  expect_trees(cases);
}

TEST(ParserCore, StringsKeepTheirValue) {
  const TreeCase cases[] = {
      {"x = \"a\\\"b\\n\"", "(assign x \"a\\\"b\\n\")"},
      {"x = ''", "(assign x \"\")"},
  };
  expect_trees(cases);
}

// Tokens are lexed ahead in chunks: strings with escapes (whose values live
// in the lexer) and statements that straddle a refill keep their values.
TEST(ParserCore, StatementsAcrossManyChunksKeepTheirValues) {
  std::string text;
  constexpr int kStatements = 3000;
  for (int i = 0; i < kStatements; ++i) text += "x = f(\"a\\n" + std::to_string(i) + "\", 'b\\'')\n";
  ParseResult result = parse_source(text);
  ASSERT_EQ(result.statements.size(), static_cast<std::size_t>(kStatements));
  for (int i = 0; i < kStatements; ++i) {
    ASSERT_EQ(print_stmt(*result.statements[i]), "(assign x (call f \"a\\n" + std::to_string(i) + "\" \"b'\"))") << i;
  }
  EXPECT_EQ(parse_source_released(text), static_cast<std::size_t>(kStatements));
}

// Texts and the operands that hold them keep exactly their own bytes in the
// tree, whatever their length and wherever they stand, up to the source's
// last byte (the source is overwritten before the tree is read), and
// numbers after texts of any length keep their values.
TEST(ParserCore, TextsOfEveryLengthKeepExactlyTheirBytes) {
  std::string text;
  std::vector<std::string> expected;
  for (std::size_t n = 1; n <= 20; ++n) {
    const std::string name(n, static_cast<char>('a' + n - 1));
    const std::string value(n, 'v');
    text += name + "=\"" + value + "\" ";
    expected.push_back("(assign " + name + " \"" + value + "\")");
    text += name + "=" + std::to_string(n) + " " + name + "=" + std::to_string(n) + ".5 ";
    expected.push_back("(assign " + name + " " + std::to_string(n) + ")");
    expected.push_back("(assign " + name + " (float " + std::to_string(n) + ".5))");
  }
  for (std::size_t n = 1; n <= 20; ++n) {
    text += std::string(n, 'z');
    expected.push_back("(expr " + std::string(n, 'z') + ")");
    text += n % 2 == 0 ? " " : "\n";
  }
  text += "yz";
  expected.emplace_back("(expr yz)");
  ParseResult result = parse_source(text);
  text.assign(text.size(), '#');
  ASSERT_EQ(result.statements.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(print_stmt(*result.statements[i]), expected[i]) << i;
  }
}

}  // namespace
}  // namespace qosa::parser
