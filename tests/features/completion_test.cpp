#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "features/completion.h"
#include "lsp/writer.h"

namespace qosa::lsp {
namespace {

TEST(Completion, LabelsInOrder) {
  constexpr std::string_view kLabels[] = {
    "eğer", "iken", "her biri", "fonksiyon", "değişken", "sabit", "dön", "dene", "yapı",
    "bölge", "modül", "if", "while", "for", "function", "let", "const", "return", "try",
    "struct", "region", "module", "tamsayı", "ondalık", "bool", "metin", "dizi", "boş", "i8",
    "i16", "i32", "i64", "u8", "u16", "u32", "u64", "f32", "f64", "bool", "string", "array",
    "doğru", "yanlış", "true", "false", "abs", "sin", "cos", "tan", "sqrt", "pow", "log",
    "log10", "exp", "floor", "ceil", "round", "min", "max", "asin", "acos", "atan", "atan2",
    "sinh", "cosh", "tanh", "asinh", "acosh", "atanh", "log2", "log1p", "exp2", "expm1", "cbrt",
    "hypot", "sign", "clamp", "lerp", "copysign", "trunc", "fmod", "to_radians", "to_degrees",
    "is_nan", "is_infinite", "is_finite", "now", "now_millis", "now_micros", "sleep",
    "sleep_micros", "random", "random_int", "uniform", "choice", "shuffle", "trim", "trim_start",
    "trim_end", "replace", "starts_with", "ends_with", "repeat", "reverse_str", "char_at",
    "substr", "index_of", "count_occurrences", "is_empty", "len", "split", "join", "to_upper",
    "to_lower", "range", "reverse", "sort", "sum", "product", "avg", "flatten", "unique", "zip",
    "enumerate", "slice", "push", "pop", "first", "last", "contains", "map", "filter", "yazdır",
    "print", "println", "oku", "read", "pi", "e", "tau",
  };
  const auto items = completion_items({});
  ASSERT_EQ(items.size(), std::size(kLabels));
  for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].label, kLabels[i]) << i + 1;
}

TEST(Completion, KindsByGroup) {
  const auto items = completion_items({});
  ASSERT_EQ(items.size(), 140u);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::size_t n = i + 1;  // item numbers count from 1
    const auto want = n <= 22    ? CompletionItemKind::Keyword
                      : n <= 41  ? CompletionItemKind::Class
                      : n <= 45  ? CompletionItemKind::Value
                      : n <= 137 ? CompletionItemKind::Function
                                 : CompletionItemKind::Constant;
    EXPECT_EQ(items[i].kind, want) << n;
    EXPECT_FALSE(items[i].detail.empty()) << n;
  }
}

struct ItemText {
  std::size_t number;  // from 1
  std::string_view json;
};

TEST(Completion, ItemJson) {
  const ItemText cases[] = {
      {1, R"j({"detail":"if statement","insertText":"eğer ${1:koşul} ise\n  ${2}\nson","insertTextFormat":2,"kind":14,"label":"eğer"})j"},
      {3, R"j({"detail":"for loop","insertText":"her biri ${1:item} içinde ${2:list}\n  ${3}\nson","insertTextFormat":2,"kind":14,"label":"her biri"})j"},
      {23, R"j({"detail":"i32 integer","documentation":{"kind":"markdown","value":"**Tür**: `tamsayı`\n\ni32 integer"},"kind":7,"label":"tamsayı"})j"},
      {25, R"j({"detail":"boolean (doğru/yanlış)","documentation":{"kind":"markdown","value":"**Tür**: `bool`\n\nboolean (doğru/yanlış)"},"kind":7,"label":"bool"})j"},
      {39, R"j({"detail":"boolean (true/false)","documentation":{"kind":"markdown","value":"**Tür**: `bool`\n\nboolean (true/false)"},"kind":7,"label":"bool"})j"},
      {42, R"j({"detail":"true","kind":12,"label":"doğru"})j"},
      {46, R"j({"detail":"Mutlak değer / Absolute value","documentation":{"kind":"markdown","value":"**abs** / **mutlak**\n\nMutlak değer / Absolute value"},"insertText":"abs(${1:x})","insertTextFormat":2,"kind":3,"label":"abs"})j"},
      {47, R"j({"detail":"Sinüs (radyan)","documentation":{"kind":"markdown","value":"**sin**\n\nSinüs (radyan)"},"insertText":"sin(${1:x})","insertTextFormat":2,"kind":3,"label":"sin"})j"},
      {133, R"j({"detail":"Konsola yazdır","documentation":{"kind":"markdown","value":"**yazdır** / **print**\n\nKonsola yazdır"},"insertText":"yazdır(${1:value})","insertTextFormat":2,"kind":3,"label":"yazdır"})j"},
      {134, R"j({"detail":"Print to console","documentation":{"kind":"markdown","value":"**print**\n\nPrint to console"},"insertText":"print(${1:value})","insertTextFormat":2,"kind":3,"label":"print"})j"},
      {138, R"j({"detail":"π = 3.14159...","documentation":{"kind":"markdown","value":"**Sabit**: `pi`\n\nDeğer: `3.141592653589793`"},"kind":21,"label":"pi"})j"},
  };
  const auto items = completion_items({});
  for (const ItemText& c : cases) {
    std::string written;
    write_json(written, items.at(c.number - 1));
    EXPECT_EQ(written, c.json) << c.number;
  }
}

struct FunctionRow {
  std::size_t number;
  std::string_view detail;
  std::string_view insert_text;
};

// Snippets with no, two and three parameters, and descriptions with formulas.
TEST(Completion, FunctionRows) {
  const FunctionRow rows[] = {
      {51, "Üs alma / Power", "pow(${1:x}, ${2:y})"},
      {63, "atan2(y, x) - İki argümanlı arctangent", "atan2(${1:y}, ${2:x})"},
      {75, "√(x² + y²) - Hipotenüs", "hypot(${1:x}, ${2:y})"},
      {77, "Değeri aralıkla sınırla", "clamp(${1:x}, ${2:min}, ${3:max})"},
      {87, "Unix timestamp (saniye)", "now()"},
      {90, "Milisaniye bekle", "sleep(${1:ms})"},
      {93, "Aralıkta rastgele tamsayı", "random_int(${1:min}, ${2:max})"},
      {97, "Baş ve sondaki boşlukları kaldır", "trim(${1:str})"},
      {100, "Metinde değiştir", "replace(${1:str}, ${2:pattern}, ${3:replacement})"},
      {115, "Sayı dizisi oluştur", "range(${1:start}, ${2:end})"},
      {131, "Her elemana fonksiyon uygula", "map(${1:array}, ${2:func})"},
      {135, "Print with newline", "println(${1:value})"},
      {136, "Konsoldan oku", "oku()"},
      {137, "Read from console", "read()"},
  };
  const auto items = completion_items({});
  for (const FunctionRow& row : rows) {
    const CompletionItem& item = items.at(row.number - 1);
    EXPECT_EQ(item.detail, row.detail) << row.number;
    EXPECT_EQ(item.insert_text, row.insert_text) << row.number;
  }
  EXPECT_EQ(items.at(135).documentation, "**oku** / **read**\n\nKonsoldan oku");
}

}  // namespace
}  // namespace qosa::lsp
