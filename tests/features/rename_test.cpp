#include <gtest/gtest.h>

#include <string>

#include <boost/json/parse.hpp>

#include "common/requests.h"
#include "features/rename.h"
#include "lsp/writer.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

TEST(ReservedWords, CaseAndWholeWord) {
  for (std::string_view w : {"ve", "if", "or", "dön", "Real", "yapı", "eğer", "Metin", "Sayı", "Boolean",
                             "değilse", "fonksiyon", "değişken", "Mantıksal", "continue", "null"}) {
    EXPECT_TRUE(is_reserved_word(w)) << w;
  }
  for (std::string_view w : {"", "v", "Eğer", "IF", "metin", "ise", "son", "bölge", "i32", "tamsayı",
                             "değişkenler", "Mantıksal_"}) {
    EXPECT_FALSE(is_reserved_word(w)) << w;
  }
}

TEST(NewName, Checks) {
  for (std::string_view n : {"_x", "çarp", "İsim", "x2", "Eğer", "é", "toplam"}) EXPECT_TRUE(is_valid_new_name(n)) << n;
  for (std::string_view n : {"", "2x", "²x", "x-y", "a b", "yanlış", "değişken", "@x", "x\n"}) {
    EXPECT_FALSE(is_valid_new_name(n)) << n;
  }
  EXPECT_FALSE(is_valid_new_name("x\xC3"));  // not UTF-8
}

struct Fixture {
  Server server;
  void open(std::string_view uri, std::string text) { testing::open(server, uri, std::move(text)); }
  std::string prepare(std::string_view uri, std::uint32_t line, std::uint32_t character) {
    std::string written;
    write_json(written, prepare_rename(uri, line, character, snapshot_documents(server.documents)));
    return written;
  }
  std::string ask(std::string_view params) { return testing::ask(server, "textDocument/rename", params); }
  std::string rename(std::string_view uri, int line, int character, std::string_view name) {
    return ask(R"({"textDocument":{"uri":")" + std::string(uri) + R"("},"position":{"line":)" +
               std::to_string(line) + R"(,"character":)" + std::to_string(character) + R"(},"newName":")" +
               std::string(name) + "\"}");
  }
};

std::string range(int line, int start, int end) {
  return R"({"end":{"character":)" + std::to_string(end) + R"(,"line":)" + std::to_string(line) +
         R"(},"start":{"character":)" + std::to_string(start) + R"(,"line":)" + std::to_string(line) + "}}";
}

std::string edit(std::string_view name, int line, int start, int end) {
  return R"({"newText":")" + std::string(name) + R"(","range":)" + range(line, start, end) + "}";
}

TEST(PrepareRename, RangeAndPlaceholder) {
  Fixture f;
  f.open("file:///a.qosa", "yazdır(sayaç)\neğer x ise\nEğer ise\nif Metin Boolean");
  EXPECT_EQ(f.prepare("file:///a.qosa", 0, 9), R"({"placeholder":"sayaç","range":)" + range(0, 7, 12) + "}");
  EXPECT_EQ(f.prepare("file:///a.qosa", 1, 0), "null");  // reserved
  EXPECT_EQ(f.prepare("file:///a.qosa", 3, 0), "null");
  EXPECT_EQ(f.prepare("file:///a.qosa", 3, 4), "null");
  EXPECT_EQ(f.prepare("file:///a.qosa", 3, 10), "null");
  EXPECT_EQ(f.prepare("file:///a.qosa", 2, 0), R"({"placeholder":"Eğer","range":)" + range(2, 0, 4) + "}");
  EXPECT_EQ(f.prepare("file:///a.qosa", 2, 6), R"({"placeholder":"ise","range":)" + range(2, 5, 8) + "}");
  // The bound is the line's byte length: on a line with multi-byte letters
  // the cursor at its end still selects the last word.
  EXPECT_EQ(f.prepare("file:///a.qosa", 2, 8), f.prepare("file:///a.qosa", 2, 6));
  EXPECT_EQ(f.prepare("file:///a.qosa", 2, 9), "null");
  EXPECT_EQ(f.prepare("file:///b.qosa", 0, 0), "null");  // not open
}

TEST(Rename, Params) {
  Fixture f;
  f.open("file:///a.qosa", "x");
  for (std::string_view p : {
           "null", "[]", "\"x\"", "5",
           R"([{"uri":"file:///a.qosa"},{"line":0,"character":0}])",
           R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":0,"character":0}})",
           R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":0,"character":0},"newName":5})",
           R"({"textDocument":{"uri":"file:///a.qosa"},"newName":"y"})",
           R"({"textDocument":{"uri":"a"},"position":{"line":0,"character":0},"newName":"y"})",
       }) {
    EXPECT_EQ(f.ask(p), "error -32600 Invalid rename params") << p;
  }
}

TEST(Rename, EditsEveryWholeWordWithoutTheDeclarationFilter) {
  Fixture f;
  f.open("file:///a.qosa", "değişken x = 1\nyazdır(x) // x\nxx x_ \"x\"");
  EXPECT_EQ(f.rename("file:///a.qosa", 1, 7, "toplam"),
            R"({"changes":{"file:///a.qosa":[)" + edit("toplam", 0, 9, 10) + "," + edit("toplam", 1, 7, 8) + "," +
                edit("toplam", 1, 13, 14) + "," + edit("toplam", 2, 7, 8) + "]}}");
}

TEST(Rename, DocumentsInTheOrderOfTheirUris) {
  Fixture f;
  f.open("file:///z.qosa", "eğer a ise\nson");
  f.open("file:///b.qosa", "x\neğer b ise");
  f.open("file:///m.qosa", "eğerli");  // no whole word: no member
  f.open("file:///A.qosa", "eğer");
  EXPECT_EQ(f.rename("file:///z.qosa", 0, 0, "kosul"),
            R"({"changes":{"file:///A.qosa":[)" + edit("kosul", 0, 0, 4) + R"(],"file:///b.qosa":[)" +
                edit("kosul", 1, 0, 4) + R"(],"file:///z.qosa":[)" + edit("kosul", 0, 0, 4) + "]}}");
}

TEST(Rename, NullCases) {
  Fixture f;
  f.open("file:///a.qosa", "sayaç = 1\n");
  for (std::string_view name : {"", "2x", "x-y", "a b", "yanlış", "değişken"}) {
    EXPECT_EQ(f.rename("file:///a.qosa", 0, 0, name), "null") << name;
  }
  EXPECT_EQ(f.rename("file:///b.qosa", 0, 0, "y"), "null");  // not open
  EXPECT_EQ(f.rename("file:///a.qosa", 0, 10, "y"), "null");  // past the line's end
  EXPECT_EQ(f.rename("file:///a.qosa", 1, 0, "y"), "null");  // no such line
  // The name under the cursor is not checked, and non-ASCII names are written as they are.
  EXPECT_EQ(f.rename("file:///a.qosa", 0, 2, "İsim"),
            R"({"changes":{"file:///a.qosa":[)" + edit("İsim", 0, 0, 5) + "]}}");
}

}  // namespace
}  // namespace qosa::lsp
