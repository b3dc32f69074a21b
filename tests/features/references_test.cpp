#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/parse.hpp>

#include "common/requests.h"
#include "support/json.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

struct Fixture {
  Server server;
  void open(std::string_view uri, std::string text) { testing::open(server, uri, std::move(text)); }
  std::string ask(std::string_view params) { return testing::ask(server, "textDocument/references", params); }
  std::string at(std::string_view uri, int line, int character, bool declaration) {
    return ask(R"({"textDocument":{"uri":")" + std::string(uri) + R"("},"position":{"line":)" +
               std::to_string(line) + R"(,"character":)" + std::to_string(character) +
               R"(},"context":{"includeDeclaration":)" + (declaration ? "true" : "false") + "}}");
  }
};

std::string location(std::string_view uri, int line, int start, int end) {
  return R"({"range":{"end":{"character":)" + std::to_string(end) + R"(,"line":)" + std::to_string(line) +
         R"(},"start":{"character":)" + std::to_string(start) + R"(,"line":)" + std::to_string(line) +
         R"(}},"uri":")" + std::string(uri) + "\"}";
}

TEST(References, Params) {
  Fixture f;
  f.open("file:///a.qosa", "x");
  for (std::string_view p : {
           "null", "[]", "\"x\"", "5",
           R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":0,"character":0}})",
           R"({"textDocument":{"uri":"file:///a.qosa"},"context":{"includeDeclaration":true}})",
           R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":0,"character":0},"context":{}})",
           R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":0,"character":0},"context":{"includeDeclaration":1}})",
           R"({"textDocument":{"uri":"a.qosa"},"position":{"line":0,"character":0},"context":{"includeDeclaration":true}})",
       }) {
    EXPECT_EQ(f.ask(p), "error -32600 Invalid references params") << p;
  }
  EXPECT_EQ(f.ask(R"({"textDocument":{"uri":"FILE:///a.qosa"},"position":{"line":0,"character":0},)"
                  R"("context":{"includeDeclaration":false},"workDoneToken":"t","extra":1})"),
            "[" + location("file:///a.qosa", 0, 0, 1) + "]");
}

TEST(References, NullWhenNothingToSearchFor) {
  Fixture f;
  f.open("file:///a.qosa", "x = 1\n\n  y");
  EXPECT_EQ(f.at("file:///b.qosa", 0, 0, true), "null");  // not open
  EXPECT_EQ(f.at("file:///a.qosa", 1, 0, true), "null");  // empty line
  EXPECT_EQ(f.at("file:///a.qosa", 2, 0, true), "null");  // white space before no word
  EXPECT_EQ(f.at("file:///a.qosa", 0, 5, true), "null");  // the line's end
  EXPECT_EQ(f.at("file:///a.qosa", 3, 0, true), "null");
  EXPECT_EQ(f.at("file:///a.qosa", 0, 4, true), "[" + location("file:///a.qosa", 0, 4, 5) + "]");
  f.open("file:///b.qosa", "let zz");
  EXPECT_EQ(f.at("file:///b.qosa", 0, 4, false), "[]");  // the one occurrence follows "let"
}

TEST(References, DeclarationFilterAndDeclaration) {
  Fixture f;
  f.open("file:///a.qosa", "değişken sayı = 1\nyazdır(sayı); let sayı = 2\noutlet sayı\ndeğişken  sayı");
  const std::string uses = location("file:///a.qosa", 1, 7, 11);
  EXPECT_EQ(f.at("file:///a.qosa", 1, 8, false), "[" + uses + "]");
  // The declaration comes last, on the first line that declares the word.
  EXPECT_EQ(f.at("file:///a.qosa", 1, 8, true), "[" + uses + "," + location("file:///a.qosa", 0, 9, 13) + "]");
}

TEST(References, DeclarationEvenWhenAlreadyListed) {
  Fixture f;
  f.open("file:///a.qosa", "// let x\nx");
  EXPECT_EQ(f.at("file:///a.qosa", 1, 0, true),
            "[" + location("file:///a.qosa", 1, 0, 1) + "," + location("file:///a.qosa", 0, 7, 8) + "]");
}

TEST(References, EveryOpenDocumentTogether) {
  Fixture f;
  f.open("file:///a.qosa", "sayaç = sayaç + 1");
  f.open("file:///b%20c.qosa", "x\nyaz(sayaç)");
  f.open("file:///c.qosa", "sayaçlar");
  const json::value got = json::parse(f.at("file:///a.qosa", 0, 0, false));
  std::vector<std::string> texts;
  for (const auto& l : got.as_array()) texts.push_back(support::to_json_text(l));
  const std::vector<std::string> a = {location("file:///a.qosa", 0, 0, 5), location("file:///a.qosa", 0, 8, 13)};
  const std::vector<std::string> b = {location("file:///b%20c.qosa", 1, 4, 9)};
  ASSERT_EQ(texts.size(), 3u);
  // Each document's locations together and in order; the documents in any order.
  const bool a_first = texts[0] == a[0];
  const std::vector<std::string> expected =
      a_first ? std::vector<std::string>{a[0], a[1], b[0]} : std::vector<std::string>{b[0], a[0], a[1]};
  EXPECT_EQ(texts, expected);
}

}  // namespace
}  // namespace qosa::lsp
