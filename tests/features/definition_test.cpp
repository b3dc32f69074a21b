#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/requests.h"
#include "features/definition.h"
#include "lsp/writer.h"

namespace qosa::lsp {
namespace {

// "L:start-end" in UTF-16 columns, or "none".
std::string show(const std::optional<Range>& r) {
  if (!r) return "none";
  return std::to_string(r->start.line) + ":" + std::to_string(r->start.character) + "-" +
         std::to_string(r->end.character);
}

TEST(FindDeclaration, Patterns) {
  struct Case {
    std::string_view text;
    std::string_view word;
    std::string_view expected;
  };
  const Case cases[] = {
      {"let foobar = 1", "foo", "0:4-7"},  // a prefix of a longer name counts
      {"outlet foo", "foo", "0:7-10"},     // nothing is tested before the keyword
      {"let  foo", "foo", "none"},
      {"let\tfoo", "foo", "none"},
      {"Let foo", "foo", "none"},
      {"fonksiyon foo (", "foo", "none"},
      {"fonksiyon foo(", "foo", "0:10-13"},  // the "(" is not part of the range
      {"function foo(x)", "foo", "0:9-12"},
      {"function foo", "foo", "none"},
      {"struct foo; let foo = 1", "foo", "0:16-19"},  // table order beats position
      {"x\nyapı foo\ny\ndeğişken foo", "foo", "1:5-8"},  // the earlier line beats the better pattern
      {"// let foo", "foo", "0:7-10"},
      {"yaz(\"const foo\")", "foo", "0:11-14"},
      {"a\r\nsabit foo\r\n", "foo", "1:6-9"},
      {"fonksiyon topla(a, b)", "topla", "0:10-15"},
      // Byte columns 11 to 17; "değişken " is 9 UTF-16 units and "sayaç" 5.
      {"\n\n\n\ndeğişken sayaç = 0", "sayaç", "4:9-14"},
      {"değişken ağaç", "ağaç", "0:9-13"},
      {"😀 let x", "x", "0:7-8"},  // the emoji is two units
      {"", "foo", "none"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(show(find_declaration(c.word, c.text)), c.expected) << c.text;
  }
}

TEST(GotoDefinition, WordUnderTheCursorThenTheSearch) {
  const std::string_view text = "let foo = 1\nyazdır(foo bar)\nstruct bar\nçç\nlet çç";
  const auto at = [&](std::uint32_t line, std::uint32_t character) {
    std::string written;
    write_json(written, goto_definition("file:///a.qosa", line, character, text));
    return written;
  };
  EXPECT_EQ(at(1, 10),
            R"({"range":{"end":{"character":7,"line":0},"start":{"character":4,"line":0}},"uri":"file:///a.qosa"})");
  EXPECT_EQ(at(1, 11), R"({"range":{"end":{"character":10,"line":2},"start":{"character":7,"line":2}},"uri":"file:///a.qosa"})");
  EXPECT_EQ(at(1, 15), "null");  // the line's end
  EXPECT_EQ(at(1, 3), "null");  // "yazdır" is declared nowhere
  EXPECT_EQ(at(3, 2), R"({"range":{"end":{"character":6,"line":4},"start":{"character":4,"line":4}},"uri":"file:///a.qosa"})");
  EXPECT_EQ(at(3, 3), "null");
  EXPECT_EQ(at(9, 0), "null");
}

TEST(GotoDefinition, UriIsPrintedAndMustParse) {
  EXPECT_EQ(find_definition("x", "let x", "FILE:///a.qosa")->uri, "file:///a.qosa");
  EXPECT_FALSE(find_definition("x", "let x", "a.qosa"));
}

TEST(GotoDefinition, OnlyTheRequestedOpenDocument) {
  Server server;
  testing::open(server, "file:///a.qosa", "yaz(x)");
  testing::open(server, "file:///b.qosa", "let x = 1\nyaz(x)");
  const auto ask = [&](std::string_view uri, std::uint32_t line) {
    return testing::ask(server, "textDocument/definition",
                        R"({"textDocument":{"uri":")" + std::string(uri) + R"("},"position":{"line":)" +
                            std::to_string(line) + R"(,"character":4}})");
  };
  EXPECT_EQ(ask("file:///a.qosa", 0), "null");  // declared only in the other document
  EXPECT_EQ(ask("file:///c.qosa", 0), "null");  // not open
  EXPECT_EQ(ask("file:///b.qosa", 1),
            R"({"range":{"end":{"character":5,"line":0},"start":{"character":4,"line":0}},"uri":"file:///b.qosa"})");
}

}  // namespace
}  // namespace qosa::lsp
