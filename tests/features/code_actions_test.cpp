#include "features/code_actions.h"

#include <gtest/gtest.h>

#include <string>

#include <boost/json.hpp>

#include "common/requests.h"
#include "lsp/writer.h"
#include "support/json.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

constexpr std::string_view uri = "file:///a.qosa";

class CodeActions : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::open(server_, uri, "x = 1\nfonksiyon f()\nEĞER x > 0 ise\ngift = 1\nyazdır(x)\n");
  }
  std::string actions(std::string_view params) {
    return testing::ask(server_, "textDocument/codeAction", params);
  }
  Server server_;
};

// The titles of the actions, in order.
std::string titles(const std::string& answer) {
  std::string out;
  const json::value list = json::parse(answer);
  for (const json::value& action : list.as_array()) {
    if (!out.empty()) out += " | ";
    out += action.at("title").as_string();
  }
  return out;
}

std::string range_json(int start, int end) {
  return R"({"start":{"line":)" + std::to_string(start) + R"(,"character":1},"end":{"line":)" +
         std::to_string(end) + R"(,"character":2}})";
}

std::string params(int start, int end, std::string_view diagnostics = "[]") {
  return R"({"textDocument":{"uri":"file:///a.qosa"},"range":)" + range_json(start, end) +
         R"(,"context":{"diagnostics":)" + std::string(diagnostics) + "}}";
}

TEST_F(CodeActions, NullWithoutAnOpenDocument) {
  EXPECT_EQ(testing::ask(server_, "textDocument/codeAction", std::nullopt), "null");
  for (std::string_view p : {"null", "{}", R"({"textDocument":{"uri":5}})",
                             R"({"textDocument":{"uri":"file:///b.qosa"}})",
                             R"({"textDocument":{"uri":"FILE:///a.qosa"}})"}) {
    EXPECT_EQ(actions(p), "null") << p;
  }
}

TEST_F(CodeActions, OnlyTheDocumentGiven) {
  // No range: lines 0 and 0, so "Extract to variable" with a null range;
  // line 0 holds no translation word.
  EXPECT_EQ(actions(R"({"textDocument":{"uri":"file:///a.qosa"}})"),
            R"([{"edit":{"changes":{"file:///a.qosa":[{"newText":"yeni_değişken","range":null}]}},)"
            R"("kind":"refactor.extract","title":"Extract to variable"}])");
}

TEST_F(CodeActions, ExtractAndTranslate) {
  // Written with members sorted, as every answer is.
  const std::string range = support::to_json_text(json::parse(range_json(1, 1)));
  EXPECT_EQ(actions(params(1, 1)),
            R"([{"edit":{"changes":{"file:///a.qosa":[{"newText":"yeni_değişken","range":)" + range +
                R"(}]}},"kind":"refactor.extract","title":"Extract to variable"},)"
                R"({"command":{"arguments":["file:///a.qosa",)" + range +
                R"(],"command":"qosa.translateToEnglish","title":"Translate keywords to English"},)"
                R"("kind":"refactor.rewrite","title":"Translate to English"}])");
  const std::string selection = support::to_json_text(json::parse(range_json(3, 5)));
  EXPECT_EQ(actions(params(3, 5)),
            R"([{"command":{"arguments":["file:///a.qosa",)" + selection +
                R"(],"command":"qosa.extractFunction","title":"Extract to function"},)"
                R"("kind":"refactor.extract","title":"Extract to function"},)"
                R"({"command":{"arguments":["file:///a.qosa",)" + selection +
                R"(],"command":"qosa.translateToTurkish","title":"Translate keywords to Turkish"},)"
                R"("kind":"refactor.rewrite","title":"Translate to Turkish"}])");
  // "EĞER" lowercases to "eğer"; "gift" holds "if"; "yazdır(x)" holds nothing;
  // a start past the last line gets no translation.
  EXPECT_EQ(titles(actions(params(2, 2))), "Extract to variable | Translate to English");
  EXPECT_EQ(titles(actions(params(4, 4))), "Extract to variable");
  EXPECT_EQ(titles(actions(params(9, 9))), "Extract to variable");
  // Lines as integers only: a fractional or negative line counts 0.
  EXPECT_EQ(titles(actions(R"({"textDocument":{"uri":"file:///a.qosa"},)"
                           R"("range":{"start":{"line":3.0},"end":{"line":-1}}})")),
            "Extract to variable");
}

std::string diagnostic(std::string_view message, std::string_view range = R"({"start":{"line":4,"character":3},"end":{"line":4,"character":7}})") {
  json::object d;
  d["message"] = message;
  d["range"] = json::parse(range);
  return support::to_json_text(json::array{d});
}

TEST_F(CodeActions, QuickFixTitles) {
  const struct {
    std::string_view message;
    std::string_view titles;
  } cases[] = {
      {"Variable 'x' is undefined", "Declare variable 'x'"},
      {"undefined name `y`", "Declare variable 'y'"},
      {"undefined name y", ""},
      {"tanımsız ''", "Declare variable ''"},
      {"expected ';'", "Add semicolon"},
      {"expected ')'", ""},
      {"'x' undefined, expected ';'", "Declare variable 'x' | Add semicolon"},
      {"Unexpected keyword 'fonksiyon'", "Replace 'fonksiyon' with 'function'"},
      {"keyword expected, found identifier", "Replace 'if' with 'eğer'"},
      {"anahtar kelime: son", "Replace 'son' with 'end'"},
      {"keyword", ""},
      {"type mismatch: integer and float", "Convert to float"},
      {"tip uyuşmazlığı: integer, float", "Convert to float"},
      {"type mismatch: expected float", ""},
  };
  for (const auto& c : cases) {
    std::string expected(c.titles);
    expected += expected.empty() ? "Extract to variable" : " | Extract to variable";
    EXPECT_EQ(titles(actions(params(4, 4, diagnostic(c.message)))), expected) << c.message;
  }
}

TEST_F(CodeActions, QuickFixEdits) {
  const std::string_view r = R"({"start":{"line":4,"character":3},"end":{"line":4,"character":7}})";
  auto edit_of = [](const json::value& fix) {
    return support::to_json_text(fix.at("edit").at("changes").at(uri).at(0));
  };
  // The diagnostic as the request's conversion reads it, and its fixes as they are written.
  const auto received = [](std::string_view diagnostics) {
    CodeActionParams p;
    EXPECT_TRUE(from_json(json::parse(R"({"textDocument":{"uri":"file:///a.qosa"},"context":{"diagnostics":)" +
                                      std::string(diagnostics) + "}}"),
                          p));
    return p.diagnostics;
  };
  auto fixes = [&](std::string_view message, std::string_view range) {
    std::string written;
    write_json(written, quick_fixes_for_diagnostic(received(diagnostic(message, range)).at(0), uri));
    return json::parse(written).as_array();
  };
  EXPECT_EQ(edit_of(fixes("Variable 'x' is undefined", r).at(0)),
            R"({"newText":"değişken x: tamsayı = 0\n","range":{"end":{"character":0,"line":4},)"
            R"("start":{"character":0,"line":4}}})");
  EXPECT_EQ(edit_of(fixes("expected ';'", r).at(0)),
            R"({"newText":";","range":{"end":{"character":7,"line":4},"start":{"character":7,"line":4}}})");
  // Received ranges are copied as they came, whatever they hold.
  EXPECT_EQ(edit_of(fixes("type mismatch: integer and float", R"({"odd":[1,2]})").at(0)),
            R"({"newText":"kesir_olarak(","range":{"odd":[1,2]}})");
  EXPECT_EQ(edit_of(fixes("keyword 'let'", "null").at(0)), R"({"newText":"değişken","range":null})");
  // A range without numbers builds its positions at 0.
  EXPECT_EQ(edit_of(fixes("expected ;", R"({"end":{"line":"4"}})").at(0)),
            R"({"newText":";","range":{"end":{"character":0,"line":0},"start":{"character":0,"line":0}}})");

  // A diagnostic that is not an object or whose message is not a string gives no fix.
  EXPECT_TRUE(received(R"([5,{"message":5},null])").empty());
}

TEST_F(CodeActions, FixesInDiagnosticOrderThenExtract) {
  const std::string diagnostics = R"([{"message":"expected ;"},5,{"message":"x"},)"
                                  R"({"message":"Variable 'z' is undefined"}])";
  EXPECT_EQ(titles(actions(params(3, 5, diagnostics))),
            "Add semicolon | Declare variable 'z' | Extract to function | Translate to Turkish");
}

}  // namespace
}  // namespace qosa::lsp
