#include "features/symbols.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <boost/json/parse.hpp>

namespace qosa::lsp {
namespace {

namespace json = boost::json;

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
      const SymbolRecord& got = symbols[i];
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
  EXPECT_EQ(handle_document_symbols("").text(), "[]");
  EXPECT_EQ(handle_document_symbols("x = 1\n").text(), "[]");
  EXPECT_EQ(handle_document_symbols("\nfonksiyon f(a) -> b\nsabit \"K\" = 1").text(),
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
  DocumentStore store;
  open_document(store, *Uri::parse("file:///a.qosa"), "let x = 1", 1);
  open_document(store, *Uri::parse("file:///empty.qosa"), "", 1);
  const DocumentSnapshot snapshot = snapshot_documents(store);
  const auto ask = [&](std::string_view params) {
    return document_symbols_request(json::parse(params), snapshot).text();
  };
  for (std::string_view params :
       {"null", "{}", R"({"textDocument":{"uri":5}})", R"({"textDocument":{"uri":"file:///b.qosa"}})",
        R"({"textDocument":{"uri":"FILE:///a.qosa"}})"}) {
    EXPECT_EQ(ask(params), "null") << params;
  }
  EXPECT_EQ(ask(R"({"textDocument":{"uri":"file:///empty.qosa"}})"), "[]");
  EXPECT_EQ(ask(R"({"textDocument":{"uri":"file:///a.qosa"}})").substr(0, 33),
            R"([{"detail":"x","kind":13,"name":")");
}

}  // namespace
}  // namespace qosa::lsp
