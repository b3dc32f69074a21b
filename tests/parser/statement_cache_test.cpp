// The released parse with a statement cache must read, after any edit, the
// statements a fresh parse of the new text reads: same count, and (with one
// statement a run) every statement starting at the same token, line and
// column.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "parser/source.h"

namespace qosa::parser {
namespace {

// Pieces of programs, chosen so that edits between and inside them open and
// close blocks, comments, strings and raw strings, join words into the
// two-word keywords, and end the program early with a character that starts
// no token.
const char* const kPieces[] = {
    "fonksiyon topla(a: tamsayı, b: tamsayı) -> tamsayı {\n    dön a + b\n}\n",
    "fn f(x) {\n  let y = x * 2 // double\n  return y\n}\n",
    "değişken x = 1\n", "sabit Y = \"metin \\\"tırnak\\\" ve \\n\"\n", "x = x + 1; y = 2\n",
    "eğer x > 1 ise\n    yazdır(x)\nveya eğer x < 0 ise\n    yazdır(0)\nsonraki\nson\n",
    "her biri öğe içinde liste yap\n  toplam = toplam + öğe\nson\n",
    "/* blok\n yorum { */\n", "\"\"\"\nham metin\n\"\"\"\n", "#[hal_safe]\n#[realtime(deadline = \"1ms\")]\n",
    "yapı Nokta { x: tamsayı, y: tamsayı }\n", "modül m\n", "x @ y\n", "   \t", "\n\n", "a b c ",
    "seç x yap durum 1 => y son\n", "dene { f() } yakala e { g() }\n",
};

const char* const kEdits[] = {"", "{", "}", "\n", " ", "/*", "*/", "\"", "\"\"\"", "//", "her", "veya", "biri",
                              "eğer", "@", "ç", "1", "(", ")", "son", "x = ", ";", "#["};

struct Started {
  std::size_t start;
  std::uint64_t line, column;
  std::uint32_t statements;
  bool to_end;
  bool operator==(const Started&) const = default;
};

std::vector<Started> starts(const StatementCache& cache) {
  std::vector<Started> out;
  for (const auto& e : cache.entries()) out.push_back({e.start, e.line, e.column, e.statements, e.to_end});
  return out;
}

TEST(StatementCache, EditsReadWhatAFreshParseReads) {
  std::mt19937 random(14);
  for (int document = 0; document < 40; ++document) {
    std::string text;
    const int pieces = 1 + static_cast<int>(random() % 30);
    for (int i = 0; i < pieces; ++i) text += kPieces[random() % std::size(kPieces)];
    // One statement a run, so that every run can be compared with a fresh
    // parse's; and runs of the usual size, for the count.
    StatementCache cache(0);
    StatementCache runs;
    for (int edit = 0; edit < 60; ++edit) {
      const std::size_t at = text.empty() ? 0 : random() % (text.size() + 1);
      const std::size_t length = std::min<std::size_t>(random() % 6, text.size() - at);
      std::string inserted = random() % 3 == 0 ? kPieces[random() % std::size(kPieces)]
                                                : kEdits[random() % std::size(kEdits)];
      text.replace(at, length, inserted);
      // Keep the text UTF-8: cut a broken character back out.
      while (!text.empty() && (static_cast<unsigned char>(text[at < text.size() ? at : 0]) & 0xC0) == 0x80 &&
             at < text.size()) {
        text.erase(at, 1);
      }
      const std::size_t count = parse_source_released(text, cache);
      StatementCache fresh(0);
      ASSERT_EQ(count, parse_source_released(text, fresh)) << text;
      ASSERT_EQ(count, parse_source_released(text, runs)) << text;
      ASSERT_EQ(count, parse_source(text).statements.size()) << text;
      ASSERT_EQ(starts(cache), starts(fresh)) << text;
    }
  }
}

TEST(StatementCache, AnUnchangedTextIsNotParsedAgainAndAnyTextIsReadCorrectly) {
  const std::string text = "değişken a = 1\nfn f() {\n  dön 2\n}\nx = 3\n";
  StatementCache cache;
  EXPECT_EQ(parse_source_released(text, cache), 3u);
  EXPECT_EQ(parse_source_released(text, cache), 3u);
  // A text unrelated to the cached one.
  EXPECT_EQ(parse_source_released("y = 1 z = 2", cache), 2u);
  EXPECT_EQ(parse_source_released("", cache), 0u);
  EXPECT_EQ(parse_source_released(text, cache), 3u);
}

}  // namespace
}  // namespace qosa::parser
