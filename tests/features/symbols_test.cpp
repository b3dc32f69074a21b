#include "features/symbols.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <boost/json.hpp>

#include "common/requests.h"
#include "lsp/positions.h"
#include "lsp/writer.h"
#include "support/json.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

// A symbol as the writer is handed it, with its texts kept.
struct Symbol {
  std::string name;
  std::optional<std::string> detail;
  Range range;
  Range selection_range;
  SymbolKind kind;
};

std::vector<Symbol> document_symbols(std::string_view text) {
  std::vector<Symbol> all;
  for_each_symbol(text, [&](const SymbolRecord& s) {
    all.push_back({std::string(s.name), s.detail ? std::optional<std::string>(*s.detail) : std::nullopt, s.range,
                   s.selection_range, s.kind});
  });
  return all;
}

// The answer's text.
std::string symbols_json(std::string_view text) {
  std::string out;
  write_json(out, handle_document_symbols(text));
  return out;
}

// One symbol as name, detail, kind, and the columns of range end and
// selection (UTF-16 units); the line is the case's own.
struct Expected {
  std::string_view name;
  std::string_view detail;
  SymbolKind kind;
  std::uint32_t line_end;
  std::uint32_t selection_start;
  std::uint32_t selection_end;
};

struct Case {
  std::string_view line;
  std::vector<Expected> symbols;
};

constexpr auto F = SymbolKind::function;
constexpr auto V = SymbolKind::variable;
constexpr auto C = SymbolKind::constant;
constexpr auto S = SymbolKind::struct_;

TEST(DocumentSymbols, Lines) {
  const Case cases[] = {
      {"fonksiyon topla(a: tamsayı, b: tamsayı) -> tamsayı {",
       {{"topla", "topla(a: tamsayı, b: tamsayı) -> tamsayı", F, 52, 10, 15}}},
      {"fonksiyon f()", {{"f", "f()", F, 13, 10, 11}}},
      {"function f( a )", {{"f", "f( a )", F, 15, 9, 10}}},
      {"fonksiyon f() ->", {}},
      {"fonksiyon f() ->   ", {}},
      {"işlev g(x) -> a b", {{"g", "g(x) -> a", F, 17, 6, 7}}},
      // The name is taken to stand one character after the keyword.
      {"fonksiyon  f()", {{"f", "f()", F, 14, 10, 11}}},
      {"pub Fonksiyon hesapla(x)", {{"hesapla", "hesapla(x)", F, 24, 14, 21}}},
      {"x = fonksiyon_sayisi(3)", {{"_sayisi", "_sayisi(3)", F, 23, 14, 21}}},
      {"çağır(fonksiyon)", {}},
      {"fonksiyon f)(", {{"f)", "f)()", F, 13, 10, 12}}},  // ")" before "(": no parameters
      {"let x = function(y)", {{"x", "x", V, 19, 4, 5}}},
      {"    let x = 5", {{"x", "x", V, 13, 8, 9}}},
      {"değişken e = 1", {{"e", "e", V, 14, 1, 2}}},  // the "e" inside "değişken"
      {"let x: tamsayı = 5", {{"x", "x: tamsayı", V, 18, 4, 5}}},
      {"let x = a:b", {{"x = a", "x = a: b", V, 11, 4, 9}}},
      {"let x:= 5", {{"x", "x: ", V, 9, 4, 5}}},
      {"let x", {{"x", "x", V, 5, 4, 5}}},
      {"let : x", {}},
      {"sabit PI: ondalık = 3.14", {{"PI", "PI: ondalık", C, 24, 6, 8}}},
      {"Const MAX = 10", {{"MAX", "MAX", C, 14, 6, 9}}},
      {"sabitler = 1", {{"ler", "ler", C, 12, 5, 8}}},
      {"izinli = doğru", {{"li", "li", V, 14, 4, 6}}},
      {"structure Foo", {{"ure", "struct ure", S, 13, 6, 9}}},
      {"letter = 1", {}},
      {"constant = 2", {}},
      {"typeface x", {}},
      {"type Renk = tamsayı", {{"Renk", "struct Renk", S, 19, 5, 9}}},
      {"yapı Nokta {", {{"Nokta", "struct Nokta", S, 12, 5, 10}}},
      {"struct P { x }", {{"P", "struct P", S, 14, 7, 8}}},
      {"struct", {}},
      {"YAPI Nokta", {{"Nokta", "struct Nokta", S, 10, 5, 10}}},
      {"DEGISKEN x", {{"x", "x", V, 10, 9, 10}}},
      {"DEĞİŞKEN x", {}},  // "İ" lowercases to "i" and a combining dot
      {"\tIZIN x", {{"x", "x", V, 7, 6, 7}}},
      {"İZIN x", {}},
      {" \u00A0Tip T", {{"T", "struct T", S, 7, 2, 3}}},  // the "T" of "Tip"
      {"  // fonksiyon f()", {}},
      {"/* let x = 1 */", {}},
      // All three classifiers on one line, in their order.
      {"let yapı function f()",
       {{"f", "f()", F, 21, 18, 19}, {"yapı", "yapı", V, 21, 4, 8}}},
      {"type T = function g() -> R",
       {{"g", "g() -> R", F, 26, 18, 19}, {"T", "struct T", S, 26, 5, 6}}},
      // Capitals: "I" and the Kelvin sign lowercase to "i" and "k"; "İ" does not give "i" alone.
      {"FUNCTION f()", {{"f", "f()", F, 12, 9, 10}}},
      {"IŞLEV g()", {{"g", "g()", F, 9, 6, 7}}},
      {"İŞLEV g()", {}},
      {"FON\u212ASIYON h()", {{"h", "h()", F, 13, 10, 11}}},
      // "İ" lowercases to two characters, so the selection lands one further right.
      {"İ fonksiyon f()", {{"f", "f()", F, 15, 13, 14}}},
      // Past an emoji, UTF-16 columns run one ahead of characters.
      {"😀 fonksiyon f()", {{"f", "f()", F, 16, 13, 14}}},
      {"let 😀x = 1", {{"😀x", "😀x", V, 11, 4, 7}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    const auto symbols = document_symbols(c.line);
    ASSERT_EQ(symbols.size(), c.symbols.size());
    for (std::size_t i = 0; i < symbols.size(); ++i) {
      const Symbol& got = symbols[i];
      const Expected& want = c.symbols[i];
      EXPECT_EQ(got.name, want.name);
      EXPECT_EQ(got.detail, std::optional<std::string>(want.detail));
      EXPECT_EQ(got.kind, want.kind);
      EXPECT_EQ(got.range.start.character, 0u);
      EXPECT_EQ(got.range.end.character, want.line_end);
      EXPECT_EQ(got.selection_range.start.character, want.selection_start);
      EXPECT_EQ(got.selection_range.end.character, want.selection_end);
    }
  }
}

TEST(DocumentSymbols, LinesKeepTheirNumbers) {
  const auto symbols = document_symbols("// let a = 1\r\n\nlet b = 2\n  /* x */\nyapı N {\n");
  ASSERT_EQ(symbols.size(), 2u);
  EXPECT_EQ(symbols[0].range.start.line, 2u);
  EXPECT_EQ(symbols[0].selection_range.end.line, 2u);
  EXPECT_EQ(symbols[1].range.start.line, 4u);
}

TEST(DocumentSymbols, AnswerText) {
  EXPECT_EQ(symbols_json(""), "[]");
  EXPECT_EQ(symbols_json("x = 1\n"), "[]");
  EXPECT_EQ(symbols_json("\nfonksiyon f(a) -> b\nsabit \"K\" = 1"),
            R"([{"detail":"f(a) -> b","kind":12,"name":"f",)"
            R"("range":{"end":{"character":19,"line":1},"start":{"character":0,"line":1}},)"
            R"("selectionRange":{"end":{"character":11,"line":1},"start":{"character":10,"line":1}}},)"
            R"({"detail":"\"K\"","kind":14,"name":"\"K\"",)"
            R"("range":{"end":{"character":13,"line":2},"start":{"character":0,"line":2}},)"
            R"("selectionRange":{"end":{"character":9,"line":2},"start":{"character":6,"line":2}}}])");
  std::string out;
  document_symbol_json(out, SymbolRecord{"n", std::nullopt, {}, {}, SymbolKind::variable});
  EXPECT_EQ(out, R"({"detail":null,"kind":13,"name":"n","range":{"end":{"character":0,"line":0},)"
                 R"("start":{"character":0,"line":0}},"selectionRange":{"end":{"character":0,"line":0},)"
                 R"("start":{"character":0,"line":0}}})");
}

TEST(DocumentSymbols, SliceFromChar) {
  EXPECT_EQ(slice_from_char("çay", 1), "ay");
  EXPECT_EQ(slice_from_char("çay", 3), "");
  EXPECT_EQ(slice_from_char("çay", 9), "");
}

TEST(DocumentSymbolsRequest, LookupFailuresGiveNull) {
  Server server;
  testing::open(server, "file:///a.qosa", "let x = 1");
  testing::open(server, "file:///empty.qosa", "");
  const auto ask = [&](std::string_view params) {
    return testing::ask(server, "textDocument/documentSymbol", params);
  };
  EXPECT_EQ(testing::ask(server, "textDocument/documentSymbol", std::nullopt), "null");
  for (std::string_view params :
       {"null", "{}", R"({"textDocument":{"uri":5}})", R"({"textDocument":{"uri":"file:///b.qosa"}})",
        R"({"textDocument":{"uri":"FILE:///a.qosa"}})"}) {
    EXPECT_EQ(ask(params), "null") << params;
  }
  EXPECT_EQ(ask(R"({"textDocument":{"uri":"file:///empty.qosa"}})"), "[]");
  EXPECT_EQ(ask(R"({"textDocument":{"uri":"file:///a.qosa"}})").substr(0, 33),
            R"([{"detail":"x","kind":13,"name":")");
}

// The facts that let most lines be folded instead of lowercased: every
// character lowercases to one character, ASCII to ASCII (its lowercase
// letter) and the others to non-ASCII characters, but for "İ" and the
// Kelvin sign; and only "Ş" and "ş" give "ş".
TEST(DocumentSymbols, LowercasingFactsBehindFolding) {
  std::string text;
  std::string lower;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c == U'İ' || c == 0x212A) continue;
    text.clear();
    support::append_utf8(text, c);
    support::to_lower(text, lower);
    ASSERT_EQ(support::count_chars(lower), 1u) << std::hex << static_cast<std::uint32_t>(c);
    const char32_t l = support::decode_utf8(lower, 0).code_point;
    if (c < 0x80) {
      ASSERT_EQ(l, c >= 'A' && c <= 'Z' ? c + 0x20 : c) << std::hex << static_cast<std::uint32_t>(c);
    } else {
      ASSERT_GE(l, 0x80u) << std::hex << static_cast<std::uint32_t>(c);
    }
    if (l == U'ş') {
      ASSERT_TRUE(c == U'ş' || c == U'Ş') << std::hex << static_cast<std::uint32_t>(c);
    }
  }
}

// The function symbol found through the full lowercasing of the line, as
// the classifier states it: the keyword's place is counted in the
// lowercased line, the name read from the line itself.
std::optional<std::pair<std::string, std::uint32_t>> lowercased_function_name(std::string_view line) {
  const std::string lower = support::to_lower(line);
  for (std::string_view kw : {"fonksiyon", "işlev", "function"}) {
    const std::size_t at = lower.find(kw);
    if (at == std::string::npos) continue;
    const std::size_t k = support::count_chars(std::string_view(lower).substr(0, at)) + support::count_chars(kw);
    const std::string_view after = support::trim_start(slice_from_char(line, k));
    const std::size_t open = after.find('(');
    if (open == std::string_view::npos) return std::nullopt;
    const std::string_view name = support::trim(after.substr(0, open));
    if (name.empty() || after.find(')') == std::string_view::npos) return std::nullopt;
    return std::pair{std::string(name), static_cast<std::uint32_t>(utf16_of_char_index(line, k + 1))};
  }
  return std::nullopt;
}

TEST(DocumentSymbols, FunctionKeywordFoundAsInTheLowercasedLine) {
  static constexpr std::string_view pieces[] = {
      "fonksiyon", "FONKSİYON", "FonkSiyon", "işlev", "İŞLEV", "IŞLEV", "işLEV", "function", "FUNCTİON",
      "FUNCTION", "İ", "I", "ı", "\u212A", "K", "Ş", "ş", "s", "x", " ", "  ", "é", "𝒳", "f(a)", "(b)", "g"};
  std::mt19937 rng(11);
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    for (std::size_t n = 1 + rng() % 6; n > 0; --n) line += pieces[rng() % std::size(pieces)];
    line += " f(x)";
    const auto expected = lowercased_function_name(line);
    const auto symbols = document_symbols(line);
    const Symbol* function = nullptr;
    for (const Symbol& s : symbols) {
      if (s.kind == SymbolKind::function) function = &s;
    }
    ASSERT_EQ(function != nullptr, expected.has_value()) << line;
    if (!expected) continue;
    EXPECT_EQ(function->name, expected->first) << line;
    EXPECT_EQ(function->selection_range.start.character, expected->second) << line;
  }
}

json::value position_value(const Position& p) { return json::object{{"line", p.line}, {"character", p.character}}; }
json::value range_value(const Range& r) {
  return json::object{{"start", position_value(r.start)}, {"end", position_value(r.end)}};
}

// The answer text is the array of the symbols' JSON values, with names and
// details that need escapes.
TEST(DocumentSymbols, AnswerTextIsTheValueOfTheSymbols) {
  static constexpr std::string_view lines[] = {
      "fonksiyon topla(a: tamsayı) -> tamsayı {", "let x = 5", "  sabit \"K\\\" = 1", "yapı Nokta {",
      "function f\t(a\x01) -> b", "değişken sayaç: tamsayı = 0", "type T = x", "// let y = 1",
      "struct \"q\"", "let x: \"t\\\" = 1", "    const İ = 2", "x = 1", ""};
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (std::size_t n = rng() % 30; n > 0; --n) {
      text += lines[rng() % std::size(lines)];
      text += rng() % 4 == 0 ? "\r\n" : "\n";
    }
    json::array expected;
    for (const Symbol& s : document_symbols(text)) {
      expected.push_back(json::object{{"name", s.name},
                                      {"detail", s.detail ? json::value(*s.detail) : json::value(nullptr)},
                                      {"kind", static_cast<int>(s.kind)},
                                      {"range", range_value(s.range)},
                                      {"selectionRange", range_value(s.selection_range)}});
    }
    ASSERT_EQ(symbols_json(text), support::to_json_text(expected)) << text;
  }
}

}  // namespace
}  // namespace qosa::lsp
