#include "features/signature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "lsp/writer.h"

namespace qosa::lsp {
namespace {

template <class Record>
std::string written(const Record& record) {
  std::string out;
  write_json(out, record);
  return out;
}

// The answer's text, or "null".
std::string help(std::string_view text, std::uint64_t line, std::uint64_t character) {
  return written(handle_signature_help(text, line, character));
}

// The answer for a cursor at the end of the document's last line, which must
// be ASCII or hold only letters of the Basic Multilingual Plane.
std::string help_at_end(std::string_view text) {
  const std::size_t newline = text.rfind('\n');
  const std::string_view last = newline == std::string_view::npos ? text : text.substr(newline + 1);
  std::uint64_t units = 0;
  for (unsigned char c : last) units += (c & 0xC0) != 0x80;
  const std::uint64_t line = static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
  return help(text, line, units);
}

std::string answer(std::uint64_t active, std::string_view signature) {
  return R"({"activeParameter":)" + std::to_string(active) + R"(,"activeSignature":0,"signatures":[)" +
         std::string(signature) + "]}";
}

constexpr std::string_view yazdir =
    R"j({"documentation":"Ekrana metin yazdırır","label":"yazdır(mesaj: metin)",)j"
    R"("parameters":[{"label":"mesaj: metin"}]})";

TEST(SignatureHelp, DeclarationInTheDocumentBeforeOrAfterTheCall) {
  const std::string topla =
      R"j({"documentation":"Function: topla","label":"topla(a: tamsayı,b:tamsayı) -> tamsayı",)j"
      R"("parameters":[{"label":"a: tamsayı"},{"label":"b: tamsayı"}]})";
  EXPECT_EQ(help_at_end("fonksiyon topla(a: tamsayı,b:tamsayı) -> tamsayı\nx = topla(1, 2"),
            answer(1, topla));
  EXPECT_EQ(help("x = topla(1, 2\nfonksiyon topla(a: tamsayı,b:tamsayı) -> tamsayı", 0, 14),
            answer(1, topla));
}

TEST(SignatureHelp, CallSiteAndActiveParameter) {
  struct Case {
    std::string_view line;
    std::string expected;
  };
  const Case cases[] = {
      {"yazdır(", answer(0, yazdir)},
      {"yaz(", answer(0, yazdir)},
      {"yazdır(g(1, 2), ", answer(1, yazdir)},  // the comma inside g(...) is not counted
      {"yazdır(a, b, ", answer(2, yazdir)},      // not limited to the parameters
      {"x = yazdır (", answer(0, yazdir)},       // white space before "(" is skipped
      {"yazdır(\"a,b\", ", answer(2, yazdir)},  // strings are not recognised
      {"Yazdır(", "null"},
      {"PRINT(", "null"},
      {"x = (", "null"},
      {"liste[0](", "null"},
      {"yazdır", "null"},
      {"yazdır()", "null"},
      {"bilinmeyen(", "null"},
  };
  for (const Case& c : cases) EXPECT_EQ(help_at_end(c.line), c.expected) << c.line;
}

TEST(SignatureHelp, BuiltinTableAndAliases) {
  struct Case {
    std::string_view name;
    std::string_view label;
  };
  const Case cases[] = {
      {"yazdır", "yazdır(mesaj: metin)"},
      {"yaz", "yazdır(mesaj: metin)"},
      {"print", "print(message: string)"},
      {"println", "print(message: string)"},
      {"oku", "oku() -> metin"},
      {"read", "read() -> string"},
      {"uzunluk", "uzunluk(metin: metin) -> tamsayı"},
      {"length", "length(text: string) -> integer"},
      {"len", "length(text: string) -> integer"},
      {"karekök", "karekök(sayı: kesir) -> kesir"},
      {"sqrt", "sqrt(number: float) -> float"},
      {"üs", "üs(taban: kesir, kuvvet: kesir) -> kesir"},
      {"pow", "pow(base: float, exponent: float) -> float"},
  };
  for (const Case& c : cases) {
    const auto sig = builtin_signature(c.name);
    ASSERT_TRUE(sig) << c.name;
    EXPECT_EQ(sig->label, c.label);
  }
  EXPECT_EQ(written(*builtin_signature("oku")),
            R"j({"documentation":"Kullanıcıdan girdi okur","label":"oku() -> metin","parameters":[]})j");
  EXPECT_EQ(written(*builtin_signature("pow")),
            R"j({"documentation":"Power operation","label":"pow(base: float, exponent: float) -> float",)j"
            R"("parameters":[{"label":"base: float"},{"label":"exponent: float"}]})");
  for (std::string_view name : {"Yaz", "yazdir", "PRINT", "max", "", " yaz"}) {
    EXPECT_FALSE(builtin_signature(name)) << name;
  }
}

TEST(SignatureHelp, SignatureFromTheDefiningLine) {
  struct Case {
    std::string_view document;  // the call is the last line, the cursor at its end
    std::string_view name;      // empty: the answer is null
    std::string_view label;
    std::string_view parameters;
  };
  const Case cases[] = {
      {"fonksiyon f()\nf(", "f", "f()", "[]"},
      {"fonksiyon f(a,)\nf(", "f", "f(a,)", R"([{"label":"a"},{"label":""}])"},
      {"function g(x: a: b)\ng(", "g", "g(x: a: b)", R"([{"label":"x: a: b"}])"},
      {"function g(a :int)\ng(", "g", "g(a :int)", R"([{"label":"a: int"}])"},
      {"function g( a , b )\ng(", "g", "g( a , b )", R"([{"label":"a"},{"label":"b"}])"},
      {"fonksiyon f(x) ->\nf(", "f", "f(x)", R"([{"label":"x"}])"},
      {"fonksiyon f(x) -> tamsayı {\nf(", "f", "f(x) -> tamsayı", R"([{"label":"x"}])"},
      {"FUNCTION h(q) -> int\nh(", "h", "h(q) -> int", R"([{"label":"q"}])"},  // lowercased test
      // The first line holding the name is taken, even inside a longer word.
      {"fonksiyon topla_iki(a)\nfonksiyon topla(b)\ntopla(", "topla", "topla(a)", R"([{"label":"a"}])"},
      // The cursor's own line can be the defining line.
      {"function k(a, b) { k(", "k", "k(a, b)", R"([{"label":"a"},{"label":"b"}])"},
      // A qualifying line without "(" after the name: null, the table is not asked.
      {"// this function wraps print\nprint(", "", "", ""},
      {"fonksiyon f(a\nf(", "", "", ""},
  };
  for (const Case& c : cases) {
    const std::string expected =
        c.name.empty() ? "null"
                       : answer(0, R"({"documentation":"Function: )" + std::string(c.name) +
                                       R"(","label":")" + std::string(c.label) +
                                       R"(","parameters":)" + std::string(c.parameters) + "}");
    EXPECT_EQ(help_at_end(c.document), expected) << c.document;
  }
  // The name is compared with its case: this line does not qualify.
  EXPECT_EQ(help_at_end("function Yazdır(a)\nyazdır("), answer(0, yazdir));
}

TEST(SignatureHelp, CursorOutsideTheLine) {
  EXPECT_EQ(help("yazdır(", 0, 0), "null");
  EXPECT_EQ(help("yazdır(", 0, 8), "null");  // past the line's end
  EXPECT_EQ(help("yazdır(", 1, 1), "null");  // past the last line
  EXPECT_EQ(help("", 0, 1), "null");
  EXPECT_EQ(help("yazdır(\r\n", 0, 7), answer(0, yazdir));
  EXPECT_EQ(help("yazdır(\r\n", 0, 8), "null");  // the "\r" is not part of the line
}

// The cursor counts UTF-16 units of the line, as the editor shows it.
TEST(SignatureHelp, CursorInUtf16Units) {
  // 23 characters, 28 bytes: byte column 23 would fall inside "yazdır".
  EXPECT_EQ(help("değişken ağaç = yazdır(", 0, 23), answer(0, yazdir));
  EXPECT_EQ(help("değişken ağaç = yazdır(", 0, 28), "null");  // past the end in UTF-16 units
  // "😀" takes columns 7 and 8; column 8 lies inside it and counts as its start.
  EXPECT_EQ(help("yazdır(😀, 1", 0, 8), answer(0, yazdir));
  EXPECT_EQ(help("yazdır(😀, 1", 0, 9), answer(0, yazdir));
  EXPECT_EQ(help("yazdır(😀, 1", 0, 10), answer(1, yazdir));
}

// The largest columns the request can carry lie past the end of any line.
// Added to the byte length of a line of multi-byte characters they would
// wrap round onto a byte inside it.
TEST(SignatureHelp, LargestColumnsArePastTheLine) {
  constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
  for (std::string_view line : {"yaz(ğğğğğğğğ", "yazdır(😀😀😀😀", "x = yaz(şşşş, ğğğğ"}) {
    for (std::uint64_t column : {most, most - 1, std::uint64_t{1} << 63}) {
      EXPECT_EQ(help(line, 0, column), "null") << line << " " << column;
    }
  }
}

TEST(SignatureHelp, ParameterLabels) {
  EXPECT_EQ(written(parameter_labels("  ")), "[]");
  EXPECT_EQ(written(parameter_labels(",")), R"([{"label":""},{"label":""}])");
  EXPECT_EQ(written(parameter_labels(" sayı : kesir ,b:c:d")),
            R"([{"label":"sayı: kesir"},{"label":"b:c:d"}])");
}

}  // namespace
}  // namespace qosa::lsp
