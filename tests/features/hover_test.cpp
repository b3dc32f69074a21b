#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "features/hover.h"
#include "lsp/writer.h"

namespace qosa::lsp {
namespace {

struct Row {
  std::string_view key;
  std::string_view other_key;
  std::size_t bytes;
};

// Every key of the table, in table order, with the UTF-8 length of its text.
constexpr Row kRows[] = {
    {"@public", "@halka_açık", 588},
    {"@exportable", "@ihraç_edilebilir", 705},
    {"@domestic_only", "@yurtiçi", 715},
    {"@classified", "@gizli", 734},
    {"@hal_safe", "", 540},
    {"@realtime", "", 641},
    {"@dma_safe", "", 560},
    {"@no_alloc", "", 553},
    {"@wcet", "", 507},
    {"@deadline", "", 445},
    {"@critical", "", 517},
    {"@certified", "", 583},
    {"@stack_limit", "", 569},
    {"if", "eğer", 141},
    {"while", "iken", 104},
    {"function", "fonksiyon", 193},
    {"let", "değişken", 154},
    {"const", "sabit", 144},
    {"return", "dön", 99},
    {"struct", "yapı", 124},
    {"region", "bölge", 172},
    {"i32", "tamsayı", 104},
    {"f64", "ondalık", 88},
    {"bool", "", 82},
    {"string", "metin", 61},
    {"true", "doğru", 70},
    {"false", "yanlış", 74},
};

TEST(HoverTexts, KeysAndLengths) {
  ASSERT_EQ(std::size(kRows), hover_texts.size());
  std::set<std::string_view> texts;
  for (std::size_t i = 0; i < hover_texts.size(); ++i) {
    const Row& row = kRows[i];
    SCOPED_TRACE(std::string(row.key));
    EXPECT_EQ(hover_texts[i].key, row.key);
    EXPECT_EQ(hover_texts[i].other_key, row.other_key);
    const auto text = find_hover_text(row.key);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), row.bytes);
    EXPECT_TRUE(text->starts_with("**"));
    EXPECT_FALSE(text->ends_with("\n"));
    if (!row.other_key.empty()) {
      EXPECT_EQ(find_hover_text(row.other_key), text);
    }
    texts.insert(*text);
  }
  EXPECT_EQ(texts.size(), hover_texts.size());
  EXPECT_FALSE(find_hover_text(""));
}

TEST(HoverTexts, VariationSelectors) {
  EXPECT_TRUE(find_hover_text("@realtime")->starts_with("**\u23F1\uFE0F Real-Time Annotation"));
  EXPECT_TRUE(find_hover_text("@wcet")->starts_with("**\u23F1\uFE0F WCET Annotation"));
  EXPECT_NE(find_hover_text("@yurtiçi")->find("**\u26A0\uFE0F İhraç edilemez**"), std::string::npos);
  EXPECT_NE(find_hover_text("@yurtiçi")->find("**\u26A0\uFE0F Cannot be exported**"),
            std::string::npos);
}

struct HoverCase {
  std::string_view text;
  std::uint32_t line;
  std::uint32_t column;  // UTF-16 code units, as on the wire
  std::optional<std::string_view> key;  // whose text the hover shows
};

TEST(HoverAt, Cases) {
  const HoverCase cases[] = {
      {"eğer x ise", 0, 0, "if"},
      {"eğer x ise", 0, 1, "if"},
      {"eğer x ise", 0, 3, "if"},
      {"eğer x ise", 0, 4, "if"},  // the space after the word
      {"eğer x ise", 0, 5, std::nullopt},
      {"eğer x ise", 0, 7, std::nullopt},
      {"eğer x ise", 0, 9, std::nullopt},
      {"eğer x ise", 0, 10, std::nullopt},  // the line's end
      {"eğer", 0, 4, std::nullopt},
      {"değişken", 0, 8, std::nullopt},
      {"değişken", 0, 7, "let"},
      {"@halka_açık fonksiyon f()", 0, 0, "@public"},  // on the "@"
      {"@halka_açık fonksiyon f()", 0, 5, "@public"},
      {"@halka_açık fonksiyon f()", 0, 11, "@public"},  // the space: "@" is taken leftwards
      {"  @wcet(50us)", 0, 2, "@wcet"},
      {"@realtime(deadline: 10ms)", 0, 3, "@realtime"},
      {"@realtime(deadline: 10ms)", 0, 9, "@realtime"},
      {"@realtime(deadline: 10ms)", 0, 12, std::nullopt},  // "deadline"
      {"x@public", 0, 1, std::nullopt},  // the word is "x"
      {"x@public", 0, 2, std::nullopt},  // the word is "x@public"
      {"@@public", 0, 1, std::nullopt},  // the word is "@"
      {"@", 0, 0, std::nullopt},
      {"If", 0, 0, std::nullopt},
      {"TRUE", 0, 0, std::nullopt},
      {"Doğru", 0, 0, std::nullopt},
      {"@Public", 0, 0, std::nullopt},
      {"Boolean", 0, 0, std::nullopt},
      {"int", 0, 0, std::nullopt},
      {"float", 0, 0, std::nullopt},
      {"bool", 0, 0, "bool"},
      {"tamsayı", 0, 0, "i32"},
      {"x: ondalık", 0, 4, "f64"},
      {"metin", 0, 2, "string"},
      {"yanlış", 0, 5, "false"},
      {"x\r\n  dön değer\r\n", 1, 3, "return"},
      {"x\r\n  dön değer\r\n", 2, 0, std::nullopt},
      {"sabit\nyapı", 1, 0, "struct"},
      // "😀" takes two UTF-16 units: column 5 is the space after "if" (character 4);
      // read as a character index it would be the "x".
      {"😀 if x", 0, 5, "if"},
      {"😀 if x", 0, 6, std::nullopt},
      {"😀iken", 0, 2, "while"},
      {"😀iken", 0, 1, std::nullopt},  // inside the pair: on the emoji
      {"iken😀", 0, 5, "while"},       // inside the pair: the word before the emoji
      {"😀 @wcet", 0, 3, "@wcet"},
      {"iken", 0, 4294967295u, std::nullopt},
      {"iken", 1, 0, std::nullopt},
      {"", 0, 0, std::nullopt},
  };
  for (const HoverCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " @" + std::to_string(c.line) + ":" +
                 std::to_string(c.column));
    const auto hover = hover_at(c.text, c.line, c.column);
    ASSERT_EQ(hover.has_value(), c.key.has_value());
    if (hover) {
      EXPECT_EQ(hover->markdown, *find_hover_text(*c.key));
    }
  }
}

TEST(HoverAt, AnswerText) {
  const auto hover = hover_at("  dön sonuç", 0, 3);
  ASSERT_TRUE(hover);
  std::string written;
  write_json(written, *hover);
  EXPECT_EQ(written,
            R"({"contents":{"kind":"markdown","value":"**Dönüş İfadesi / Return Statement**\n\n```qosa\ndön değer\n```\n\nFonksiyondan değer döndürür."}})");
}

}  // namespace
}  // namespace qosa::lsp
