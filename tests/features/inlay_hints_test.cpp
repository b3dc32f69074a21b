#include "features/inlay_hints.h"

#include <gtest/gtest.h>

#include <string>

#include <boost/json.hpp>

#include "lsp/writer.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

// The hints of the lines, as the answer's JSON text.
std::string hints(std::string_view text, std::uint32_t first = 0, std::uint32_t last = 4294967295u) {
  std::string written;
  write_json(written, compute_inlay_hints(text, first, last));
  return written;
}

std::string type(std::string_view label, int line, int character) {
  return R"({"kind":1,"label":")" + std::string(label) + R"(","position":{"character":)" +
         std::to_string(character) + R"(,"line":)" + std::to_string(line) + "}}";
}
std::string parameter(std::string_view label, int line, int character) {
  return R"({"kind":2,"label":")" + std::string(label) + R"(","paddingRight":true,"position":{"character":)" +
         std::to_string(character) + R"(,"line":)" + std::to_string(line) + "}}";
}
std::string returns(int line, int character) {
  return R"({"kind":1,"label":" -> void","paddingLeft":true,"position":{"character":)" +
         std::to_string(character) + R"(,"line":)" + std::to_string(line) + "}}";
}
std::string list(std::initializer_list<std::string> items) {
  std::string out = "[";
  for (const std::string& item : items) out += (out.size() > 1 ? "," : "") + item;
  return out + "]";
}

TEST(InlayHints, OneLineDocuments) {
  struct Case {
    std::string_view text;
    std::string expected;
  };
  const Case cases[] = {
      {"let x = 5", list({type(": int", 0, 5)})},
      {"yaz(uzunluk(s))", list({parameter("mesaj: ", 0, 4)})},
      {"fonksiyon selam() {", list({returns(0, 18)})},
      {"fonksiyon topla(a, b) -> tamsayı {", "[]"},
      {"function main()", "[]"},
      {"x = max(a, b)", list({parameter("a: ", 0, 8), parameter("b: ", 0, 11)})},
      {"pow(2, 2)", list({parameter("taban: ", 0, 4), parameter("üs: ", 0, 7)})},
      {"let x: int = 5", "[]"},
      {"let x = foo()", "[]"},
      {"let x = 5 ;", "[]"},
      {"let x = ;", "[]"},
      {"let = 5", "[]"},
      {"let s = oku(); sabit n = uzunluk(s);", list({type(": string", 0, 5), type(": int", 0, 22)})},
      {"delete y = 3", list({type(": int", 0, 8)})},
      {"yazdir(x)", "[]"},
      {"Yaz(x)", "[]"},
      {"println(x)", "[]"},
      {"x=yaz(1)", "[]"},        // the callee is "x=yaz"
      {"obj.yaz(1)", "[]"},
      {"yaz(a, b)", list({parameter("mesaj: ", 0, 4)})},  // surplus arguments get none
      {"max(a)", list({parameter("a: ", 0, 4)})},
      {"max(, b)", list({parameter("a: ", 0, 6)})},       // empty pieces are dropped
      {"fonksiyon fnord() {", list({returns(0, 18), returns(0, 18)})},
      {"  sabit b = doğru", list({type(": boolean", 0, 9)})},
      {"const f = -1.5;", list({type(": float", 0, 7)})},
      {"let o = {a: 1}", list({type(": object", 0, 5)})},
      // "let" takes the value up to the line's end; "const" finds its own.
      {"let t = true; const f = 1.5", list({type(": float", 0, 21)})},
      {"   ", "[]"},
  };
  for (const Case& c : cases) EXPECT_EQ(hints(c.text), c.expected) << c.text;
}

// A line whose first ")" comes before its first "(" has no argument text:
// it gets no parameter-name hints (and is not read out of bounds).
TEST(InlayHints, ContinuationLineGetsNoParameterNames) {
  EXPECT_EQ(hints("    b), yaz(c)"), "[]");
  EXPECT_EQ(hints("x) = max(y"), "[]");
  EXPECT_EQ(hints("yaz(a,\n    b), yaz(c)"), "[]");  // the first line has no ")"
}

// Positions count UTF-16 units of the line, as the editor shows it.
TEST(InlayHints, PositionsInUtf16Units) {
  // Byte 21 in the line, character 18.
  EXPECT_EQ(hints("    değişken sayaç = 0"), list({type(": int", 0, 18)}));
  // "x" is at byte 28, character 23.
  EXPECT_EQ(hints("değişken ağaç = yazdır(x)"), list({parameter("mesaj: ", 0, 23)}));
  EXPECT_EQ(hints("yazdır(x)"), list({parameter("mesaj: ", 0, 7)}));  // byte 8
  // "😀" is two UTF-16 units.
  EXPECT_EQ(hints("let 😀x = 5"), list({type(": int", 0, 7)}));
  EXPECT_EQ(hints("fn 😀() {"), list({returns(0, 8)}));
  EXPECT_EQ(hints("max(😀, b)"), list({parameter("a: ", 0, 4), parameter("b: ", 0, 8)}));
}

TEST(InlayHints, LinesAskedFor) {
  const std::string_view text = "let a = 1\r\nlet b = 2\nlet c = 3\n\nlet e = 'x'\nlet f = [1]\n";
  EXPECT_EQ(hints(text), list({type(": int", 0, 5), type(": int", 1, 5), type(": int", 2, 5),
                               type(": string", 4, 5), type(": array", 5, 5)}));
  EXPECT_EQ(hints(text, 2, 2), list({type(": int", 2, 5)}));
  EXPECT_EQ(hints(text, 4), list({type(": string", 4, 5), type(": array", 5, 5)}));
  EXPECT_EQ(hints(text, 3, 2), "[]");
  EXPECT_EQ(hints(text, 6), "[]");  // past the last line
  EXPECT_EQ(hints(text, 4294967295u, 4294967295u), "[]");
  EXPECT_EQ(hints(""), "[]");
}

TEST(InlayHints, InferValueType) {
  struct Case {
    std::string_view value;
    std::string_view type;  // empty: none
  };
  const Case cases[] = {
      {"\"merhaba\"", "string"}, {"'a'", "string"},     {"'", "string"},       {"\"", "string"},
      {"true", "boolean"},       {"yanlış", "boolean"}, {"doğru", "boolean"},  {"True", ""},
      {"3.14", "float"},         {".5", "float"},       {"5.", "float"},       {"-1.5e3", "float"},
      {"+2.5E-3", "float"},      {".", ""},             {"1.2.3", ""},         {"1.5e", ""},
      {"-7", "int"},             {"+7", "int"},         {"9223372036854775807", "int"},
      {"-9223372036854775808", "int"},                  {"9223372036854775808", ""},
      {"99999999999999999999", ""},                     {"1e3", ""},           {"+-5", ""},
      {"-", ""},                 {"5 ", ""},            {"[1, 2]", "array"},   {"[]", "array"},
      {"[1.5]", "array"},        {"{a: 1}", "object"},  {"{1.0}", "object"},   {"oku()", "string"},
      {"read(x)", "string"},     {"okuma(x)", "string"}, {"readme()", "string"},
      {"uzunluk(s)", "int"},     {"length(s)", "int"},  {"foo()", ""},         {"oku", ""},
      {")(", ""},                {"a + b", ""},         {"", ""},
  };
  for (const Case& c : cases) {
    const auto got = infer_value_type(c.value);
    EXPECT_EQ(got.value_or(""), c.type) << c.value;
  }
}

TEST(InlayHints, BuiltinParameterNames) {
  const auto names = [](std::string_view callee) {
    std::string out;
    const auto found = builtin_parameter_names(callee);
    if (!found) return std::string("none");
    for (std::string_view n : *found) out += std::string(n) + ";";
    return out;
  };
  EXPECT_EQ(names("al"), "prompt;");
  EXPECT_EQ(names("yazdır"), "mesaj;");
  EXPECT_EQ(names("uppercase"), "str;");
  EXPECT_EQ(names("substring"), "str;başlangıç;uzunluk;");
  EXPECT_EQ(names("değiştir"), "str;eski;yeni;");
  EXPECT_EQ(names("üs"), "taban;üs;");
  EXPECT_EQ(names("aşağı"), "sayı;");
  EXPECT_EQ(names("mantıksal"), "değer;");
  for (std::string_view none : {"println", "yazdir", "Yaz", "", "prin"}) EXPECT_EQ(names(none), "none");
}

}  // namespace
}  // namespace qosa::lsp
