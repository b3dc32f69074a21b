// Token streams of small sources: kinds, payloads and spans side by side.
#include "lexer/lexer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/token_dump.h"

namespace qosa::lexer {
namespace {

using test::check;
using test::lex_all;

TEST(Lexer, EmptyTextAndEndOfInputRepeats) {
  check({
      {"", {"Eof @1:1+1"}},
      {"   \n  ", {"Eof @2:3+1"}},
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
       {"Plus @1:1+1", "Minus @1:2+1", "Star @1:3+1", "Slash @1:4+1", "Percent @1:5+1", "Comma @1:6+1", "Semicolon @1:7+1",
        "Question @1:8+1", "LeftParen @1:9+1", "RightParen @1:10+1", "LeftBracket @1:11+1", "RightBracket @1:12+1", "LeftBrace @1:13+1",
        "RightBrace @1:14+1", "Pipe @1:15+1", "Hash @1:16+1", "Eof @1:17+1"}},
      {"== != <= >= :: -> = ! < > :",
       {"EqualEqual @1:1+2", "NotEqual @1:4+2", "LessEqual @1:7+2", "GreaterEqual @1:10+2", "PathSep @1:13+2", "Arrow @1:16+2",
        "Assign @1:19+1", "Bang @1:21+1", "Less @1:23+1", "Greater @1:25+1", "Colon @1:27+1", "Eof @1:28+1"}},
      // Longest match with one character of lookahead, nothing more.
      {"=>", {"Assign @1:1+1", "Greater @1:2+1", "Eof @1:3+1"}},
      {">>", {"Greater @1:1+1", "Greater @1:2+1", "Eof @1:3+1"}},
      {"+=", {"Plus @1:1+1", "Assign @1:2+1", "Eof @1:3+1"}},
      {"===", {"EqualEqual @1:1+2", "Assign @1:3+1", "Eof @1:4+1"}},
      {"a -> b", {"Identifier a @1:1+1", "Arrow @1:3+2", "Identifier b @1:6+1", "Eof @1:7+1"}},
      {"a - > b", {"Identifier a @1:1+1", "Minus @1:3+1", "Greater @1:5+1", "Identifier b @1:7+1", "Eof @1:8+1"}},
      {"a..=b", {"Identifier a @1:1+1", "DotDotEqual @1:2+3", "Identifier b @1:5+1", "Eof @1:6+1"}},
      {"...", {"DotDot @1:1+2", "Dot @1:3+1", "Eof @1:4+1"}},
      {".", {"Dot @1:1+1", "Eof @1:2+1"}},
  });
}


TEST(Lexer, ByteOrderMarkAndWhiteSpace) {
  check({
      {"\xEF\xBB\xBF", {"Eof @1:1+1"}},
      {"\xEF\xBB\xBFx", {"Identifier x @1:1+1", "Eof @1:2+1"}},
      // Anywhere else the mark is a character that starts no token.
      {"x\xEF\xBB\xBFy", {"Identifier x @1:1+1", "Eof @1:2+1", "Identifier y @1:3+1", "Eof @1:4+1"}},
      {"a\r\nb", {"Identifier a @1:1+1", "Identifier b @2:1+1", "Eof @2:2+1"}},
      {"a\rb", {"Identifier a @1:1+1", "Identifier b @1:3+1", "Eof @1:4+1"}},
      {"\t\v\fa", {"Identifier a @1:4+1", "Eof @1:5+1"}},
      // Unicode white space counts one column each; only "\n" starts a line.
      {"\u00A0a\u3000b\u2028c\u0085d\u202Fe",
       {"Identifier a @1:2+1", "Identifier b @1:4+1", "Identifier c @1:6+1", "Identifier d @1:8+1", "Identifier e @1:10+1",
        "Eof @1:11+1"}},
      // Zero width space is not white space.
      {"\u200Ba", {"Eof @1:1+1", "Identifier a @1:2+1", "Eof @1:3+1"}},
  });
}

TEST(Lexer, IdentifiersAndKeywords) {
  check({
      {"değişken x = 1",
       {"Olsun @1:1+8", "Identifier x @1:10+1", "Assign @1:12+1", "Integer 1 @1:14+1", "Eof @1:15+1"}},
      {"_a1 çğıöşüÇĞİÖŞÜ", {"Identifier _a1 @1:1+3", "Identifier çğıöşüÇĞİÖŞÜ @1:5+12", "Eof @1:17+1"}},
      {"x86_64 i2c arm64 riscv64 içe_aktar best_effort",
       {"X86_64 @1:1+6", "I2c @1:8+3", "Arm64 @1:12+5", "Riscv @1:18+7", "IceAktar @1:26+9", "BestEffort @1:36+11",
        "Eof @1:47+1"}},
      {"KB kb \u00B5s \u03BCs us",
       {"Kb @1:1+2", "Identifier kb @1:4+2", "Us @1:7+2", "Identifier \u03BCs @1:10+2", "Us @1:13+2",
        "Eof @1:15+1"}},
      {"Some some SOME Bazı bazı Ok OK",
       {"Some @1:1+4", "Identifier some @1:6+4", "Identifier SOME @1:11+4", "Bazi @1:16+4", "Identifier bazı @1:21+4",
        "Ok @1:26+2", "Identifier OK @1:29+2", "Eof @1:31+1"}},
      // Digits and other numeric characters continue an identifier.
      {"x² a٣", {"Identifier x² @1:1+2", "Identifier a٣ @1:4+2", "Eof @1:6+1"}},
      // Alphabetic and numeric at once (a Roman numeral): an identifier.
      {"Ⅻ ª", {"Identifier Ⅻ @1:1+1", "Identifier ª @1:3+1", "Eof @1:4+1"}},
      {"değiştir döngü iken için", {"Degistir @1:1+8", "Iken @1:10+5", "Iken @1:16+4", "Icin @1:21+4",
                                    "Eof @1:25+1"}},
      // A character outside the Basic Multilingual Plane still counts one column.
      {"𝐀b c", {"Identifier 𝐀b @1:1+2", "Identifier c @1:4+1", "Eof @1:5+1"}},
  });
}

TEST(Lexer, TwoWordKeywords) {
  check({
      {"her biri", {"Icin @1:1+8", "Eof @1:9+1"}},
      {"veya eğer", {"VeyaEger @1:1+9", "Eof @1:10+1"}},
      {"her  biri", {"Identifier her @1:1+3", "Identifier biri @1:6+4", "Eof @1:10+1"}},
      {"her\tbiri", {"Identifier her @1:1+3", "Identifier biri @1:5+4", "Eof @1:9+1"}},
      {"her\u00A0biri", {"Identifier her @1:1+3", "Identifier biri @1:5+4", "Eof @1:9+1"}},
      // The second word is a run of letters: a digit or "_" ends it.
      {"her biri2", {"Icin @1:1+8", "Integer 2 @1:9+1", "Eof @1:10+1"}},
      {"her biri_x", {"Icin @1:1+8", "Identifier _x @1:9+2", "Eof @1:11+1"}},
      {"veya eğerx", {"Veya @1:1+4", "Identifier eğerx @1:6+5", "Eof @1:11+1"}},
      {"veya eğer x", {"VeyaEger @1:1+9", "Identifier x @1:11+1", "Eof @1:12+1"}},
      {"veya x", {"Veya @1:1+4", "Identifier x @1:6+1", "Eof @1:7+1"}},
      {"her ", {"Identifier her @1:1+3", "Eof @1:5+1"}},
      {"her 2", {"Identifier her @1:1+3", "Integer 2 @1:5+1", "Eof @1:6+1"}},
      {"herbiri her_biri", {"Identifier herbiri @1:1+7", "Identifier her_biri @1:9+8", "Eof @1:17+1"}},
      {"Her biri", {"Identifier Her @1:1+3", "Identifier biri @1:5+4", "Eof @1:9+1"}},
      // A failed look past the space leaves no trace in the positions.
      {"her bir\nx", {"Identifier her @1:1+3", "Identifier bir @1:5+3", "Identifier x @2:1+1", "Eof @2:2+1"}},
  });
}

TEST(Lexer, Numbers) {
  check({
      {"0 42 007", {"Integer 0 @1:1+1", "Integer 42 @1:3+2", "Integer 7 @1:6+3", "Eof @1:9+1"}},
      {"0x", {"Integer 0 @1:1+2", "Eof @1:3+1"}},
      {"0xFF 0X1f 0xg", {"Integer 255 @1:1+4", "Integer 31 @1:6+4", "Integer 0 @1:11+2", "Identifier g @1:13+1",
                         "Eof @1:14+1"}},
      {"0x7FFFFFFFFFFFFFFF", {"Integer 9223372036854775807 @1:1+18", "Eof @1:19+1"}},
      {"0x00000000000000000000ff", {"Integer 255 @1:1+24", "Eof @1:25+1"}},
      // Too large: end of input, with the digits consumed.
      {"0x8000000000000000 1", {"Eof @1:1+18", "Integer 1 @1:20+1", "Eof @1:21+1"}},
      {"9223372036854775807", {"Integer 9223372036854775807 @1:1+19", "Eof @1:20+1"}},
      {"9223372036854775808", {"Eof @1:1+19", "Eof @1:20+1"}},
      {"00x1", {"Integer 0 @1:1+2", "Identifier x1 @1:3+2", "Eof @1:5+1"}},
      {"1..2", {"Integer 1 @1:1+1", "DotDot @1:2+2", "Integer 2 @1:4+1", "Eof @1:5+1"}},
      {"1..=2", {"Integer 1 @1:1+1", "DotDotEqual @1:2+3", "Integer 2 @1:5+1", "Eof @1:6+1"}},
      {"1.5.2", {"Float 1.5 @1:1+3", "Dot @1:4+1", "Integer 2 @1:5+1", "Eof @1:6+1"}},
      {"3.x", {"Float 3 @1:1+2", "Identifier x @1:3+1", "Eof @1:4+1"}},
      {"3.", {"Float 3 @1:1+2", "Eof @1:3+1"}},
      {"0.1 2.50", {"Float 0.1 @1:1+3", "Float 2.5 @1:5+4", "Eof @1:9+1"}},
      {"1e5 1_000", {"Integer 1 @1:1+1", "Identifier e5 @1:2+2", "Integer 1 @1:5+1", "Identifier _000 @1:6+4",
                     "Eof @1:10+1"}},
      {"-1", {"Minus @1:1+1", "Integer 1 @1:2+1", "Eof @1:3+1"}},
      // Other numeric characters start or continue a number that does not convert.
      {"² x", {"Eof @1:1+1", "Identifier x @1:3+1", "Eof @1:4+1"}},
      {"1٣ 2", {"Eof @1:1+2", "Integer 2 @1:4+1", "Eof @1:5+1"}},
      {"1.٣", {"Eof @1:1+3", "Eof @1:4+1"}},
  });
}

TEST(Lexer, VeryLongNumbers) {
  const std::string digits(400, '7');
  check({
      {digits, {"Eof @1:1+400", "Eof @1:401+1"}},
      {"0x" + digits, {"Eof @1:1+402", "Eof @1:403+1"}},
      {digits + ".5", {"Float inf @1:1+402", "Eof @1:403+1"}},
      {"0." + std::string(400, '3'), {"Float 0.3333333333333333 @1:1+402", "Eof @1:403+1"}},
      {"0." + std::string(400, '0') + "1", {"Float 0 @1:1+403", "Eof @1:404+1"}},
  });
}

TEST(Lexer, FloatsRoundToNearestEven) {
  const std::string tiny = "0." + std::string(323, '0');  // then the digits of 1e-324 on
  check({
      // Subnormals: the smallest one, and values just under and over half of it.
      {tiny + "49406564584124654", {"Float 5e-324 @1:1+342", "Eof @1:343+1"}},
      {tiny + "2", {"Float 0 @1:1+326", "Eof @1:327+1"}},
      {tiny + "25", {"Float 5e-324 @1:1+327", "Eof @1:328+1"}},
      {"0." + std::string(307, '0') + "1", {"Float 1e-308 @1:1+310", "Eof @1:311+1"}},
      // Halfway between two doubles: to the even one.
      {"9007199254740993.0", {"Float 9007199254740992 @1:1+18", "Eof @1:19+1"}},
      {"9007199254740995.0", {"Float 9007199254740996 @1:1+18", "Eof @1:19+1"}},
  });
}

// Numbers with at least 32 bytes after them are read by masks over the
// text, the last ones of a text byte by byte: both must give the same tokens.
void expect_same_with_room_after(const std::string& source) {
  std::vector<std::string> alone = lex_all(source);
  std::vector<std::string> padded = lex_all(source + std::string(40, ' '));
  alone.pop_back();
  padded.pop_back();
  EXPECT_EQ(padded, alone) << "source: " << test::escaped(source);
}

TEST(Lexer, NumbersWithRoomAfterThem) {
  for (const char* source :
       {"0 42 007", "0x", "0xFF 0X1f 0xg", "0x7FFFFFFFFFFFFFFF", "0xfffffffffffffff", "0x1000000000000000",
        "0x8000000000000000 1", "9223372036854775807", "9223372036854775808", "999999999999999", "9999999999999999",
        "99999999999999999", "1..2", "1..=2", "1.5.2", "3.x", "3.", "0.1 2.50", "1e5 1_000", "1٣ 2", "1.٣", "12é",
        "1.5é", "0x1é", "123456789012345.", "12345678.1234567", "1234567.12345678", "0.000000000000001",
        "0.0000000000000001", "9007199254740993.0", "8.9999999999999999", "0.30000000000000004"}) {
    expect_same_with_room_after(source);
  }
  std::mt19937 random(7);
  auto digits = [&random](std::size_t count, bool hex) {
    static constexpr std::string_view kHex = "0123456789abcdefABCDEF";
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += kHex[random() % (hex ? kHex.size() : 10)];
    return out;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string source;
    if (random() % 4 == 0) {
      source = "0x" + digits(random() % 18, true);
    } else {
      source = digits(1 + random() % 17, false);
      if (random() % 2) source += "." + digits(random() % 17, false);
    }
    static constexpr std::string_view kAfter[] = {"", ";", ".", "..", "x", "é", "٣"};
    source += kAfter[random() % std::size(kAfter)];
    expect_same_with_room_after(source);
  }
}

TEST(Lexer, Strings) {
  check({
      {R"("abc" x)", {R"(String "abc" @1:1+5)", "Identifier x @1:7+1", "Eof @1:8+1"}},
      {R"("a\n\r\t\0\\\"b")", {R"(String "a\n\r\t\0\\\"b" @1:1+16)", "Eof @1:17+1"}},
      // Unknown escapes keep both characters.
      {R"("\q" "\'")", {R"(String "\\q" @1:1+4)", R"(String "\\'" @1:6+4)", "Eof @1:10+1"}},
      {R"('a\'b' '\"' 'x"y')",
       {R"(String "a'b" @1:1+6)", R"(String "\\\"" @1:8+4)", R"(String "x\"y" @1:13+5)",
        "Eof @1:18+1"}},
      {R"('\n\\')", {R"(String "\n\\" @1:1+6)", "Eof @1:7+1"}},
      {R"(""x)", {R"(String "" @1:1+2)", "Identifier x @1:3+1", "Eof @1:4+1"}},
      {"''", {R"(String "" @1:1+2)", "Eof @1:3+1"}},
      {"\"", {R"(String "" @1:1+1)", "Eof @1:2+1"}},
      {"\"\"", {R"(String "" @1:1+2)", "Eof @1:3+1"}},
      // Unterminated: the text up to the end; a final backslash is kept.
      {R"("abc)", {R"(String "abc" @1:1+4)", "Eof @1:5+1"}},
      {R"("ab\)", {R"(String "ab\\" @1:1+4)", "Eof @1:5+1"}},
      {R"('ab\)", {R"(String "ab\\" @1:1+4)", "Eof @1:5+1"}},
      // Line breaks inside: the length is the column difference, at least 1.
      {"\"a\nbc\" x", {R"(String "a\nbc" @1:1+3)", "Identifier x @2:5+1", "Eof @2:6+1"}},
      {"   \"a\nb\"", {R"(String "a\nb" @1:4+1)", "Eof @2:3+1"}},
      {"\"a\\\nb\"", {R"(String "a\\\nb" @1:1+2)", "Eof @2:3+1"}},
      {"\"ğü😀\" x", {R"(String "ğü😀" @1:1+5)", "Identifier x @1:7+1", "Eof @1:8+1"}},
  });
}

TEST(Lexer, RawStrings) {
  check({
      {"\"\"\"\nab\n\n\"\"\"", {R"(String "ab" @1:1+3)", "Eof @4:4+1"}},
      {R"("""a\nb""" x)", {R"(String "a\\nb" @1:1+10)", "Identifier x @1:12+1", "Eof @1:13+1"}},
      {"\"\"\"\r\nx\"\"\"", {R"(String "x" @1:1+4)", "Eof @2:5+1"}},
      {"\"\"\"\rx\"\"\"", {R"(String "x" @1:1+8)", "Eof @1:9+1"}},
      // Only one line break after the opening quotes is skipped.
      {"\"\"\"\n\nx\"\"\"", {R"(String "\nx" @1:1+4)", "Eof @3:5+1"}},
      {"\"\"\"ab\r\n\r\"\"\"", {R"(String "ab" @1:1+4)", "Eof @2:5+1"}},
      {R"("""a""b"c""")", {R"(String "a\"\"b\"c" @1:1+12)", "Eof @1:13+1"}},
      {R"("""a"""")", {R"(String "a" @1:1+7)", R"(String "" @1:8+1)", "Eof @1:9+1"}},
      {R"("""""")", {R"(String "" @1:1+6)", "Eof @1:7+1"}},
      // Unterminated: kept to the end, trailing line breaks included.
      {"\"\"\"ab\n\n", {R"(String "ab\n\n" @1:1+1)", "Eof @3:1+1"}},
      {R"(""")", {R"(String "" @1:1+3)", "Eof @1:4+1"}},
      {"\"\"\"a\"\"", {R"(String "a\"\"" @1:1+6)", "Eof @1:7+1"}},
  });
}

TEST(Lexer, Comments) {
  check({
      {"// note\nx", {"Identifier x @2:1+1", "Eof @2:2+1"}},
      {"//ğü\rx", {"Identifier x @1:6+1", "Eof @1:7+1"}},
      {"// to the end", {"Eof @1:14+1"}},
      {"/* a\n bc */x", {"Identifier x @2:7+1", "Eof @2:8+1"}},
      {"/**/x", {"Identifier x @1:5+1", "Eof @1:6+1"}},
      {"/*/ x", {"Eof @1:6+1"}},
      {"/* a /* b */ c */", {"Identifier c @1:14+1", "Star @1:16+1", "Slash @1:17+1", "Eof @1:18+1"}},
      {"/* open\n", {"Eof @2:1+1"}},
      {"a/b / /", {"Identifier a @1:1+1", "Slash @1:2+1", "Identifier b @1:3+1", "Slash @1:5+1", "Slash @1:7+1",
                   "Eof @1:8+1"}},
      {"x // c\n// d\n  /* e */ y", {"Identifier x @1:1+1", "Identifier y @3:11+1", "Eof @3:12+1"}},
  });
}

TEST(Lexer, CharactersThatStartNoToken) {
  check({
      {"@ $ & ^ ~ ` \\",
       {"Eof @1:1+1", "Eof @1:3+1", "Eof @1:5+1", "Eof @1:7+1", "Eof @1:9+1", "Eof @1:11+1",
        "Eof @1:13+1", "Eof @1:14+1"}},
      {"&&x", {"Eof @1:1+1", "Eof @1:2+1", "Identifier x @1:3+1", "Eof @1:4+1"}},
      {std::string_view("\0a", 2), {"Eof @1:1+1", "Identifier a @1:2+1", "Eof @1:3+1"}},
      {"€a", {"Eof @1:1+1", "Identifier a @1:2+1", "Eof @1:3+1"}},
  });
}

// The text should be UTF-8, but bytes that are not must not derail the scan.
TEST(Lexer, InvalidUtf8IsOneCharacterPerByte) {
  check({
      {"a\xFF" "b", {"Identifier a @1:1+1", "Eof @1:2+1", "Identifier b @1:3+1", "Eof @1:4+1"}},
      {"\xC3", {"Eof @1:1+1", "Eof @1:2+1"}},
      {"x\xE2\x82", {"Identifier x @1:1+1", "Eof @1:2+1", "Eof @1:3+1", "Eof @1:4+1"}},
      // Overlong forms ("A" and "1" in three bytes), a surrogate and a value past
      // U+10FFFF are not characters either: no letter, digit or white space.
      {"a\xE0\x81\x81" "b",
       {"Identifier a @1:1+1", "Eof @1:2+1", "Eof @1:3+1", "Eof @1:4+1", "Identifier b @1:5+1", "Eof @1:6+1"}},
      {"\xE0\x80\xB1", {"Eof @1:1+1", "Eof @1:2+1", "Eof @1:3+1", "Eof @1:4+1"}},
      {"\xED\xA0\x80", {"Eof @1:1+1", "Eof @1:2+1", "Eof @1:3+1", "Eof @1:4+1"}},
      {"\xF4\x90\x80\x80",
       {"Eof @1:1+1", "Eof @1:2+1", "Eof @1:3+1", "Eof @1:4+1", "Eof @1:5+1"}},
  });
}

}  // namespace
}  // namespace qosa::lexer
