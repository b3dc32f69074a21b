#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "features/words.h"

namespace qosa::lsp {
namespace {

std::string hex(char32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
  return buf;
}

TEST(IdentifierChar, AsciiLettersDigitsAndUnderscore) {
  for (char32_t c : std::u32string_view(U"09AZaz_")) EXPECT_TRUE(is_identifier_char(c)) << hex(c);
  for (char32_t c : std::u32string_view(U" \t@$-.(\"'`~\x7F")) {
    EXPECT_FALSE(is_identifier_char(c)) << hex(c);
  }
}

TEST(IdentifierChar, NonAscii) {
  // Alphabetic and numeric (Nd, Nl, No) characters count; symbols, C1 controls and quotes do not.
  const std::vector<char32_t> accepted = {U'é', U'ß', U'µ', U'ª', U'²', U'¼', U'Ⅻ', U'٣', U'ж', U'中'};
  const std::vector<char32_t> refused = {0x80, 0x9F, U'©', U'×', U'÷', U'“', U'”', U'€', 0x1F600};
  for (char32_t c : accepted) EXPECT_TRUE(is_identifier_char(c)) << hex(c);
  for (char32_t c : refused) EXPECT_FALSE(is_identifier_char(c)) << hex(c);
  for (char32_t c : std::u32string_view(U"ÇÖÜçöüĞğİıŞş")) EXPECT_TRUE(is_identifier_char(c)) << hex(c);
}

struct WordCase {
  std::string_view text;
  std::uint32_t line;
  std::uint32_t character;  // in characters of the line
  std::optional<std::string_view> word;
  std::uint32_t start = 0;
  std::uint32_t end = 0;
};

TEST(WordAt, Cases) {
  const WordCase cases[] = {
      // 21 bytes, 18 characters
      {"değişken sayaç = 5", 0, 11, "sayaç", 9, 14},
      {"değişken sayaç = 5", 0, 8, "değişken", 0, 8},  // the space after the word
      {"değişken sayaç = 5", 0, 0, "değişken", 0, 8},
      {"değişken sayaç = 5", 0, 15, std::nullopt},  // "=": nothing before it either
      {"foo bar", 0, 3, "foo", 0, 3},
      {"foo bar", 0, 4, "bar", 4, 7},
      {"foo bar", 0, 7, std::nullopt},  // the byte length
      // 4 bytes, 2 characters: the line's end passes the byte bound
      {"çç", 0, 2, "çç", 0, 2},
      {"çç", 0, 3, std::nullopt},
      {"çç", 0, 4, std::nullopt},
      {"a.b", 0, 1, "a", 0, 1},
      {"a.b", 0, 2, "b", 2, 3},
      {"x = @public", 0, 4, std::nullopt},
      {"x = @public", 0, 5, "public", 5, 11},
      {"İstanbul", 0, 0, "İstanbul", 0, 8},
      {"2x + y", 0, 1, "2x", 0, 2},
      {"ab\r\ncd\n", 0, 1, "ab", 0, 2},
      {"ab\r\ncd\n", 0, 2, std::nullopt},  // "\r" is not part of the line
      {"ab\r\ncd\n", 1, 0, "cd", 0, 2},
      {"ab\r\ncd\n", 2, 0, std::nullopt},  // a final "\n" starts no line
      {"ab\r", 0, 2, "ab", 0, 2},          // a lone "\r" at the end is a character
      {"a\n\nb", 1, 0, std::nullopt},
      {"a\n\nb", 2, 0, "b", 0, 1},
      {"", 0, 0, std::nullopt},
      {"foo", 0, 4294967295u, std::nullopt},
      {"foo", 4294967295u, 0, std::nullopt},
  };
  for (const WordCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " @" + std::to_string(c.line) + ":" +
                 std::to_string(c.character));
    const auto got = word_at(c.text, c.line, c.character);
    ASSERT_EQ(got.has_value(), c.word.has_value());
    if (!got) continue;
    EXPECT_EQ(got->word, *c.word);
    EXPECT_EQ(got->range.start.line, c.line);
    EXPECT_EQ(got->range.end.line, c.line);
    EXPECT_EQ(got->range.start.character, c.start);
    EXPECT_EQ(got->range.end.character, c.end);
  }
}

TEST(WordUnderCursor, ReadsAndAnswersUtf16Columns) {
  struct Case {
    std::string_view text;
    std::uint32_t line;
    std::uint32_t utf16;
    std::optional<std::string_view> word;
    std::uint32_t start = 0, end = 0;  // UTF-16 columns
  };
  const Case cases[] = {
      {"değişken sayaç = 5", 0, 11, "sayaç", 9, 14},
      {"değişken sayaç = 5", 0, 8, "değişken", 0, 8},
      {"foo bar", 0, 7, std::nullopt},  // the line's end on an ASCII line
      {"çç", 0, 2, "çç", 0, 2},        // the byte bound lets the end through
      {"çç", 0, 3, std::nullopt},
      // "😀" is two UTF-16 units and one character: column 3 is the "x".
      {"😀 x", 0, 3, "x", 3, 4},
      {"😀 x", 0, 1, std::nullopt},  // inside the pair: the emoji, no word
      {"a\r\nb", 1, 0, "b", 0, 1},
      {"a\nb", 2, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " @" + std::to_string(c.utf16));
    const auto got = word_under_cursor(c.text, Position{c.line, c.utf16});
    ASSERT_EQ(got.has_value(), c.word.has_value());
    if (!got) continue;
    EXPECT_EQ(got->word, *c.word);
    EXPECT_EQ(got->range.start.line, c.line);
    EXPECT_EQ(got->range.start.character, c.start);
    EXPECT_EQ(got->range.end.character, c.end);
  }
}

TEST(ScanWord, AnnotationScanTakesTheAtSign) {
  struct Case {
    std::string_view line;
    std::size_t cursor;
    std::string_view identifier, annotation;
  };
  const Case cases[] = {
      {"x = @public;", 4, "", "@public"},   // on the "@"
      {"x = @public;", 6, "public", "@public"},
      {"x = @public;", 11, "public", "@public"},  // right after the word
      {"a@b", 1, "a", "a"},  // an "@" after a word starts no annotation
      {"@@x", 3, "x", "@@x"},
      {"değişken ağaç", 11, "ağaç", "ağaç"},
      {"değişken ağaç", 10, "değişken", "değişken"},
      {"  ", 1, "", ""},
  };
  for (const Case& c : cases) {
    for (auto [scan, want] : {std::pair{WordScan::identifier, c.identifier},
                              std::pair{WordScan::annotation, c.annotation}}) {
      const WordSpan span = scan_word(c.line, c.cursor, scan);
      EXPECT_EQ(c.line.substr(span.begin, span.end - span.begin), want) << c.line << " @" << c.cursor;
    }
  }
}

TEST(IdentifierRuns, MaximalRunsOfALine) {
  const std::pair<std::string_view, std::vector<std::string_view>> cases[] = {
      {"", {}},
      {"  ", {}},
      {"x", {"x"}},
      {"değişken sayaç = 0;", {"değişken", "sayaç", "0"}},
      {"a.b(c_d, 2x)", {"a", "b", "c_d", "2x"}},
      {"😀ab😀 ç", {"ab", "ç"}},
      {"@public // yorum", {"public", "yorum"}},
  };
  for (const auto& [line, want] : cases) {
    std::vector<std::string_view> got;
    IdentifierRuns runs(line);
    while (auto run = runs.next()) got.push_back(line.substr(run->begin, run->end - run->begin));
    EXPECT_EQ(got, want) << line;
  }
}

}  // namespace
}  // namespace qosa::lsp
