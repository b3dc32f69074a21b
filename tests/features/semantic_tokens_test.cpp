#include "features/semantic_tokens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/requests.h"
#include "features/words.h"
#include "lsp/positions.h"
#include "lsp/writer.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {
namespace {

using Tokens = std::vector<SemanticToken>;

constexpr std::uint32_t kStruct = 5, kVariable = 8, kFunction = 12, kKeyword = 15, kComment = 17,
                        kString = 18, kNumber = 19, kOperator = 21, kAnnotation = 22;

// The tokens the writer would be handed, collected.
struct CollectingSink {
  Tokens tokens;
  void append(std::span<const SemanticToken> line) { tokens.insert(tokens.end(), line.begin(), line.end()); }
};

Tokens semantic_tokens(std::string_view text) {
  CollectingSink sink;
  handle_semantic_tokens({}, text).stream(sink);
  return sink.tokens;
}

std::string data_of(std::string_view text) { return encode_semantic_tokens(semantic_tokens(text)); }

TEST(SemanticTokens, WorkedExample) {
  EXPECT_EQ(semantic_tokens("let e = 1"), (Tokens{{0, 0, 3, kKeyword, 0},
                                                  {0, 1, 1, kVariable, 1},  // the "e" of "let"
                                                  {0, 6, 1, kOperator, 0},
                                                  {0, 8, 1, kNumber, 0}}));
  EXPECT_EQ(data_of("let e = 1"), R"({"data":[0,0,3,15,0,0,1,1,8,1,0,5,1,21,0,0,2,1,19,0]})");
}

struct LineCase {
  std::string_view text;
  Tokens tokens;  // ordered, UTF-16 columns
};

TEST(SemanticTokens, Lines) {
  const LineCase cases[] = {
      // Operators: the two-character one first at a shared start; "===" holds one "==".
      {"x == y", {{0, 2, 2, kOperator, 0}, {0, 2, 1, kOperator, 0}, {0, 3, 1, kOperator, 0}}},
      {"===",
       {{0, 0, 2, kOperator, 0}, {0, 0, 1, kOperator, 0}, {0, 1, 1, kOperator, 0}, {0, 2, 1, kOperator, 0}}},
      {"a->b=>c",
       {{0, 1, 2, kOperator, 0}, {0, 1, 1, kOperator, 0}, {0, 2, 1, kOperator, 0},
        {0, 4, 2, kOperator, 0}, {0, 4, 1, kOperator, 0}, {0, 5, 1, kOperator, 0}}},
      // A comment and its two "/" operators come before what lies inside it.
      {"// if x",
       {{0, 0, 7, kComment, 0}, {0, 0, 1, kOperator, 0}, {0, 1, 1, kOperator, 0}, {0, 3, 2, kKeyword, 0}}},
      // The string runs quote to quote; the comment starts inside it.
      {R"(yaz("a // b"))",
       {{0, 4, 8, kString, 0}, {0, 7, 6, kComment, 0}, {0, 7, 1, kOperator, 0}, {0, 8, 1, kOperator, 0}}},
      // No escapes; a string left open gives nothing.
      {R"("a\"b")", {{0, 0, 4, kString, 0}}},
      {"x1 = 2.50", {{0, 1, 1, kNumber, 0}, {0, 3, 1, kOperator, 0}, {0, 5, 4, kNumber, 0}}},
      {"1.2.3 .5 2.", {{0, 0, 5, kNumber, 0}, {0, 7, 1, kNumber, 0}, {0, 9, 2, kNumber, 0}}},
      {"٣", {{0, 0, 1, kNumber, 0}}},
      // Starts and lengths count characters, not bytes.
      {"eğer x", {{0, 0, 4, kKeyword, 0}}},
      {"@public fonksiyon f() {",
       {{0, 0, 7, kAnnotation, 0x400}, {0, 8, 9, kKeyword, 0}, {0, 8, 1, kFunction, 1}}},
      {"@halka_açık @ihraç_edilebilir @yurtiçi @gizli",
       {{0, 0, 11, kAnnotation, 0x400}, {0, 12, 17, kAnnotation, 0x800},
        {0, 30, 8, kAnnotation, 0x1000}, {0, 39, 6, kAnnotation, 0x2000}}},
      {"@critical;", {}},
      {"@critical,", {{0, 0, 9, kAnnotation, 0x2000}}},
      {"@wcet", {{0, 0, 5, kAnnotation, 0}}},
      {"(@critical)", {{0, 1, 9, kAnnotation, 0x2000}}},
      {"[@wcet, @deadline]", {{0, 1, 5, kAnnotation, 0}, {0, 8, 9, kAnnotation, 0}}},
      {"@publicity x@public", {}},
      {"\u00A0@gizli\u3000", {{0, 1, 6, kAnnotation, 0x2000}}},  // Unicode white space around it
      // Keywords need a non-identifier character (or nothing) on both sides.
      {"if(x)", {{0, 0, 2, kKeyword, 0}}},
      {"\tif", {{0, 1, 2, kKeyword, 0}}},
      {"x = doğru;", {{0, 2, 1, kOperator, 0}, {0, 4, 5, kKeyword, 0}}},
      {"ifade _if if2 endif elselse dışa_aktar", {{0, 12, 1, kNumber, 0}, {0, 28, 10, kKeyword, 0}}},
      // Both declaration groups: the name twice, first as variable, then as constant.
      {"değişken constant = 5",
       {{0, 0, 8, kKeyword, 0}, {0, 9, 8, kVariable, 1}, {0, 9, 8, kVariable, 5},
        {0, 18, 1, kOperator, 0}, {0, 20, 1, kNumber, 0}}},
      {"yapılar = 3", {{0, 4, 3, kStruct, 1}, {0, 8, 1, kOperator, 0}, {0, 10, 1, kNumber, 0}}},
      {"type Point = {", {{0, 0, 4, kKeyword, 0}, {0, 5, 5, kStruct, 1}, {0, 11, 1, kOperator, 0}}},
      {"fonksiyon (x)", {{0, 0, 9, kKeyword, 0}}},
      {"fonksiyon _f()", {{0, 0, 9, kKeyword, 0}}},
      {"fonksiyon f() fonksiyon g()",
       {{0, 0, 9, kKeyword, 0}, {0, 0, 1, kFunction, 1}, {0, 14, 9, kKeyword, 0}}},
      {"sabit PI = 3.14",
       {{0, 0, 5, kKeyword, 0}, {0, 6, 2, kVariable, 5}, {0, 9, 1, kOperator, 0}, {0, 11, 4, kNumber, 0}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(semantic_tokens(c.text), c.tokens) << c.text;
  }
}

TEST(SemanticTokens, LinesCountFromZeroWithEmptyOnes) {
  EXPECT_EQ(data_of("1\n\nlet x"), R"({"data":[0,0,1,19,0,2,0,3,15,0,0,4,1,8,1]})");
  EXPECT_EQ(data_of("1\r\n\r\nlet x"), R"({"data":[0,0,1,19,0,2,0,3,15,0,0,4,1,8,1]})");
  EXPECT_EQ(data_of(""), R"({"data":[]})");
  EXPECT_EQ(data_of("\n\n"), R"({"data":[]})");
}

// Past a character outside the BMP, UTF-16 columns run ahead of characters.
TEST(SemanticTokens, ColumnsAreUtf16Units) {
  // In characters: "=" 2, the string 4 (3 characters, 4 units), "+" 8, "1"
  // 10, the comment 12 (6 characters, 7 units, an emoji at 15), "if" 16.
  const std::string line = "x = \"😀\" + 1 // 😀if";
  EXPECT_EQ(semantic_tokens(line), (Tokens{{0, 2, 1, kOperator, 0},
                                           {0, 4, 4, kString, 0},
                                           {0, 9, 1, kOperator, 0},
                                           {0, 11, 1, kNumber, 0},
                                           {0, 13, 7, kComment, 0},
                                           {0, 13, 1, kOperator, 0},
                                           {0, 14, 1, kOperator, 0},
                                           {0, 18, 2, kKeyword, 0}}));
  EXPECT_EQ(semantic_tokens("// 😀 if"),
            (Tokens{{0, 0, 8, kComment, 0}, {0, 0, 1, kOperator, 0}, {0, 1, 1, kOperator, 0},
                    {0, 6, 2, kKeyword, 0}}));
}

TEST(DeclaredVariableName, Cases) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {"değişken sayaç: tamsayı = 0", "sayaç"},
      {"let x = 5", "x"},
      {"sabit PI = 3.14", "PI"},
      {"let _x = 1", std::nullopt},
      {"let 2x = 1", std::nullopt},
      {"let x = sabit_değer", std::nullopt},  // "sabit" is tested before "let"
      {"const y = 1 const", "y"},
      {"x = 1", std::nullopt},  // no keyword, and no "const" to fall back on
      {"let let", std::nullopt},
  };
  for (const auto& [line, name] : cases) {
    const auto got = declared_variable_name(line);
    EXPECT_EQ(got ? std::optional<std::string_view>(*got) : std::nullopt, name) << line;
  }
}

// ---------------------------------------------------------------------------
// The passes exactly as written, one character at a time and every table
// word tried at every position, against the scans that dispatch on bytes.

std::u32string chars_of(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto d = support::decode_utf8(text, i);
    out.push_back(d.code_point);
    i += d.length;
  }
  return out;
}

struct Reference {
  std::u32string line;
  std::uint32_t index;
  std::vector<SemanticToken> out;  // in characters

  void push(std::size_t start, std::size_t length, std::uint32_t type, std::uint32_t mods) {
    out.push_back({index, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length), type, mods});
  }
  template <class Accept>
  void table_scan(std::string_view word_text, Accept&& accept) {
    const std::u32string word = chars_of(word_text);
    const std::size_t m = word.size(), n = line.size();
    if (m > n) return;
    for (std::size_t i = 0; i + m <= n;) {
      if (line.compare(i, m, word) == 0) {
        accept(i, m);
        i += m;
      } else {
        ++i;
      }
    }
  }
  std::size_t find(std::u32string_view what, std::size_t from = 0) const { return line.find(what, from); }
  bool contains(std::string_view what) const { return find(chars_of(what)) != std::u32string::npos; }

  std::optional<std::u32string> between(std::string_view keyword_text, std::u32string_view stops) {
    const std::u32string kw = chars_of(keyword_text);
    const std::size_t first = find(kw);
    if (first == std::u32string::npos) return std::nullopt;
    const std::size_t from = first + kw.size();
    const std::size_t second = find(kw, from);
    std::u32string text = line.substr(from, second == std::u32string::npos ? std::u32string::npos : second - from);
    auto trim = [](std::u32string s) {
      while (!s.empty() && support::is_white_space(s.front())) s.erase(0, 1);
      while (!s.empty() && support::is_white_space(s.back())) s.pop_back();
      return s;
    };
    text = trim(text);
    text = trim(text.substr(0, text.find_first_of(stops)));
    if (text.empty() || !support::is_alphabetic(text[0])) return std::nullopt;
    return text;
  }
  void name_token(const std::optional<std::u32string>& name, std::uint32_t type, std::uint32_t mods) {
    if (name) push(find(*name), name->size(), type, mods);
  }

  void run() {
    const std::size_t n = line.size();
    for (const auto& row : semantic_annotation_table) {
      table_scan(row.text, [&](std::size_t i, std::size_t m) {
        const bool before = i == 0 || support::is_white_space(line[i - 1]) ||
                            std::u32string_view(U"([,").find(line[i - 1]) != std::u32string_view::npos;
        const bool after = i + m == n || support::is_white_space(line[i + m]) ||
                           std::u32string_view(U"()],").find(line[i + m]) != std::u32string_view::npos;
        if (before && after) push(i, m, kAnnotation, row.modifiers);
      });
    }
    for (std::string_view kw : semantic_keywords) {
      table_scan(kw, [&](std::size_t i, std::size_t m) {
        if ((i == 0 || !is_identifier_char(line[i - 1])) && (i + m == n || !is_identifier_char(line[i + m]))) {
          push(i, m, kKeyword, 0);
        }
      });
    }
    if (contains("fonksiyon") || contains("function")) {
      name_token(between(contains("fonksiyon") ? "fonksiyon" : "function", U"("), kFunction, 1);
    }
    std::optional<std::u32string> variable;
    for (std::string_view kw : {"değişken", "sabit", "let", "const"}) {
      if (contains(kw) || kw == "const") {
        variable = between(kw, U":=");
        break;
      }
    }
    if (contains("değişken") || contains("let")) name_token(variable, kVariable, 1);
    if (contains("sabit") || contains("const")) name_token(variable, kVariable, 5);
    for (std::string_view kw : {"yapı", "struct", "tip", "type"}) {
      if (contains(kw)) {
        name_token(between(kw, U"={ "), kStruct, 1);
        break;
      }
    }
    std::optional<std::size_t> open;
    for (std::size_t i = 0; i < n; ++i) {
      if (line[i] != U'"') continue;
      if (!open) {
        open = i;
      } else {
        push(*open, i - *open + 1, kString, 0);
        open.reset();
      }
    }
    for (std::size_t i = 0; i < n;) {
      if (!support::is_numeric(line[i])) {
        ++i;
        continue;
      }
      std::size_t end = i + 1;
      while (end < n && (support::is_numeric(line[end]) || line[end] == U'.')) ++end;
      push(i, end - i, kNumber, 0);
      i = end;
    }
    for (std::size_t i = 1; i < n; ++i) {
      if (line[i - 1] == U'/' && line[i] == U'/') {
        push(i - 1, n - (i - 1), kComment, 0);
        break;
      }
    }
    for (std::string_view op : semantic_operators) {
      table_scan(op, [&](std::size_t i, std::size_t m) { push(i, m, kOperator, 0); });
    }
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.start < b.start; });
  }
};

Tokens reference_tokens(std::string_view line_text) {
  Reference r{chars_of(line_text), 0, {}};
  r.run();
  for (auto& t : r.out) {  // to UTF-16 units
    const auto start = utf16_of_char_index(line_text, t.start);
    t.length = static_cast<std::uint32_t>(utf16_of_char_index(line_text, t.start + t.length) - start);
    t.start = static_cast<std::uint32_t>(start);
  }
  return r.out;
}

TEST(SemanticTokens, SameTokensAsTheLiteralPasses) {
  const std::string_view pieces[] = {
      "fonksiyon", "function", "değişken", "sabit", "let", "const", "yapı", "struct", "tip", "type",
      "eğer", "yoksa", "dışa_aktar", "else", "elselse", "if", "end", "null", "do", "dön",
      "@public", "@gizli", "@halka_açık", "@critical", "@wcet", "@",
      "==", "=", "!", "<", ">", "-", "&", "|", "/", "*", "+", "%", ">=", "=>", "->",
      " ", " ", " ", "\t", "\u00A0", "(", ")", "[", "]", ",", ":", "{", ";", ".", "\"", "\\",
      "x", "İ", "ç", "_", "1", "3.14", "٣", "²", "😀", "a", "PI",
  };
  std::uint64_t state = 12345;
  const auto next = [&] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::size_t>(state >> 33);
  };
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const std::size_t count = 1 + next() % 12;
    for (std::size_t i = 0; i < count; ++i) line += pieces[next() % std::size(pieces)];
    ASSERT_EQ(semantic_tokens(line), reference_tokens(line)) << line;
  }
}

TEST(HandleSemanticTokens, LookupFailuresGiveEmptyData) {
  Server server;
  testing::open(server, "file:///a.qosa", "let x = 1");
  const auto ask = [&](std::string_view params) {
    return testing::ask(server, "textDocument/semanticTokens/full", params);
  };
  EXPECT_EQ(testing::ask(server, "textDocument/semanticTokens/full", std::nullopt), R"({"data":[]})");
  for (std::string_view params :
       {"null", "[]", "{}", R"({"textDocument":5})", R"({"textDocument":{"uri":5}})",
        R"({"textDocument":{"uri":"file:///b.qosa"}})", R"({"textDocument":{"uri":"FILE:///a.qosa"}})"}) {
    EXPECT_EQ(ask(params), R"({"data":[]})") << params;
  }
  EXPECT_EQ(ask(R"({"textDocument":{"uri":"file:///a.qosa"}})"),
            R"({"data":[0,0,3,15,0,0,4,1,8,1,0,2,1,21,0,0,2,1,19,0]})");
}

}  // namespace
}  // namespace qosa::lsp
