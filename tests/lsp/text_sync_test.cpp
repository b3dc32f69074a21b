// The fast road for didOpen and didChange must give exactly what the general
// reader gives (Boost.JSON, then from_json), whatever the body.
#include "lsp/text_sync.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text_sync_reading.h"

namespace qosa::lsp {
namespace {

using testing::read_one;

const std::string uri = R"("file:///home/u/a.qosa")";

std::string change_body(const std::string& changes, const std::string& version = "3") {
  return R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":)" + uri +
         R"(,"version":)" + version + R"(},"contentChanges":)" + changes + "}}";
}

std::string open_body(const std::string& text, const std::string& version = "1") {
  return R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":)" + uri +
         R"(,"languageId":"qosa","version":)" + version + R"(,"text":)" + text + "}}}";
}

// Builds without simdjson (Windows) leave every body to the general reader.
#ifdef QOSA_HAVE_SIMDJSON
constexpr bool fast_road_built = true;
#else
constexpr bool fast_road_built = false;
#endif

struct Case {
  std::string body;
  bool fast;  // whether the fast road should take it
};

TEST(TextSync, GivesWhatTheGeneralReaderGives) {
  const std::string one_change = change_body(R"([{"text":"a"}])");
  const std::string long_line = "değişken x = \\\"çok uzun bir satır, on altı bayttan uzun\\\"";
  const Case cases[] = {
      {change_body(R"([{"text":"a\nb"}])"), true},
      {open_body(R"("fonksiyon f() {\n  dön 1\n}\n")"), true},
      {change_body(R"([{"text":")" + long_line + R"(\n)" + long_line + R"(\r\n\t\\\/\b\f"}])"), true},
      {change_body(R"([{"text":"\u00e7\u011F \ud83d\ude00 \u0000 \u001f"}])"), true},
      {change_body(R"([{"text":""}])"), true},
      {change_body("[]"), true},
      {change_body(R"([{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":1}},"rangeLength":1,"text":"X"},{"range":null,"rangeLength":null,"text":"whole"}])"), true},
      {" \r\n\t" + change_body(R"( [ { "text" : "a" } ] )") + " \n", true},
      {change_body(R"([{"text":"a"}])", "-2147483648"), true},
      {change_body(R"([{"text":"a"}])", "2147483647"), true},
      // Left to the general reader, with the same outcome.
      {change_body(R"([{"text":"a"}])", "2147483648"), false},
      {change_body(R"([{"text":"a"}])", "-0"), false},
      {change_body(R"([{"text":"a"}])", "1.0"), false},
      {change_body(R"([{"text":"a"}])", "1e2"), false},
      {change_body(R"([{"text":"a"}])", "01"), false},
      {change_body(R"([{"text":"a"}])", "\"3\""), false},
      {change_body(R"([{"text":"a","extra":1}])"), false},
      {change_body(R"([{"range":{"start":{"line":-1,"character":0},"end":{"line":0,"character":0}},"text":"a"}])"), false},
      {change_body(R"([{"range":{"start":{"line":0},"end":{"line":0,"character":0}},"text":"a"}])"), false},
      {change_body(R"([{"rangeLength":1}])"), false},
      {change_body(R"([{"text":"lone \ud800 surrogate"}])"), false},
      {change_body(R"([{"text":"lone \udc00 low"}])"), false},
      {change_body(R"([{"text":"bad \x escape"}])"), false},
      {change_body("[{\"text\":\"raw\ttab\"}]"), false},
      {change_body(R"([{"text":"unterminated}])"), false},
      {change_body(R"([{"text":"a"}])") + "x", false},
      {change_body(R"([{"text":"a"},])"), false},
      {R"({"jsonrpc":"2.0","params":{"textDocument":{"uri":)" + uri +
           R"(,"version":3},"contentChanges":[]},"method":"textDocument/didChange"})",
       false},
      {R"({"method":"textDocument/didChange","params":{"textDocument":{"uri":)" + uri +
           R"(,"version":3},"contentChanges":[]}})",
       false},
      {R"({"jsonrpc":"2.0","jsonrpc":"2.0","method":"textDocument/didOpen","params":null})", false},
      {R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"not a uri","version":3},"contentChanges":[]}})", false},
      {R"({"jsonrpc":"2.0","id":1,"method":"textDocument/didChange","params":{}})", false},
      {R"({"jsonrpc":"2.0","method":"textDocument/didClose","params":{"textDocument":{"uri":)" + uri + "}}}", false},
      {R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":)" + uri + "}}}", false},
      {R"({"jsonrpc":"2.0","method":"textDocument/did\u004Fpen","params":{}})", false},
      {open_body(R"("a")") + "}", false},
      // Where simdjson's reader and Boost.JSON could part: escapes, numbers,
      // structure, nesting and whitespace.
      {change_body(R"([{"text":"\u00C7\uD83D\uDE00 \u0000"}])"), true},
      {change_body(R"([{"text":"ends in a backslash \\"}])"), true},
      {R"({"jsonrpc":"2.0","method":"textDocument\/didOpen","params":{"textDocument":{"uri":"file:\/\/\/home\/u\/a.qosa","languageId":"qosa","version":1,"text":"a"}}})", true},
      {change_body(R"( [ { "range" : { "start" : { "line" : 4294967295 , "character" : 0 } , "end" : { "line" : 4294967295 , "character" : 0 } } , "text" : "" } ] )"), true},
      {change_body(R"([{"text":"high then letter \ud800\u0041"}])"), false},
      {change_body(R"([{"text":"high then newline \ud800\n"}])"), false},
      {change_body(R"([{"text":"high at the end \ud800"}])"), false},
      {change_body(R"([{"text":"two highs \ud800\ud800"}])"), false},
      {change_body(R"([{"text":"bad hex \u12G4"}])"), false},
      {change_body(R"([{"text":"short \u12"}])"), false},
      {change_body(R"([{"text":"\' \U0041"}])"), false},
      {change_body(R"([{"te\u0078t":"escaped name"}])"), false},
      {change_body(R"([{"text":"a"}])", "-0.0"), false},
      {change_body(R"([{"text":"a"}])", "1E2"), false},
      {change_body(R"([{"text":"a"}])", "1e-2"), false},
      {change_body(R"([{"text":"a"}])", "1."), false},
      {change_body(R"([{"text":"a"}])", "+1"), false},
      {change_body(R"([{"text":"a"}])", "0x10"), false},
      {change_body(R"([{"text":"a"}])", "-"), false},
      {change_body(R"([{"text":"a"}])", "true"), false},
      {change_body(R"([{"text":"a"}])", "null"), false},
      {change_body(R"([{"text":"a"}])", "9223372036854775808"), false},
      {change_body(R"([{"text":"a"}])", "-9223372036854775809"), false},
      {change_body(R"([{"text":"a"}])", "18446744073709551616"), false},
      {change_body(R"([{"text":"a"}])", "99999999999999999999999"), false},
      {change_body(R"([{"range":{"start":{"line":4294967296,"character":0},"end":{"line":0,"character":0}},"text":"a"}])"), false},
      {change_body(R"([{"range":nul,"text":"a"}])"), false},
      {change_body(R"([{"text":null}])"), false},
      {change_body(R"([{"text":"a",}])"), false},
      {change_body(R"([{"text" "a"}])"), false},
      {change_body(R"([{"text":"a"} {"text":"b"}])"), false},
      {one_change.substr(0, one_change.size() - 1), false},
      {"\xEF\xBB\xBF" + one_change, false},
      {change_body(std::string(200, '[') + std::string(200, ']')), false},
      {change_body(R"([{"text":"a","extra":)" + std::string(1000, '[') + std::string(1000, ']') + "}]"), false},
      {std::string(100000, '['), false},
  };
  for (const auto& c : cases) {
    bool took_fast_road = false;
    EXPECT_EQ(read_one(c.body, true, &took_fast_road), read_one(c.body, false)) << c.body;
    EXPECT_EQ(took_fast_road, c.fast && fast_road_built) << c.body;
  }
}

TEST(TextSync, TheTextGoesIntoTheSpareMemory) {
  if (!fast_road_built) GTEST_SKIP() << "no fast road without simdjson";
  std::string spare;
  spare.reserve(1000);
  const char* memory = spare.data();
  std::string body = change_body(R"([{"text":"kısa"}])");
  auto n = read_text_sync(body, spare);
  ASSERT_TRUE(n);
  const auto& change = std::get<DidChangeTextDocumentParams>(n->text_sync).content_changes.at(0);
  EXPECT_EQ(change.text, "kısa");
  EXPECT_EQ(change.text.data(), memory);
}

// The reader's buffers grow with the bodies and are given back after one
// beyond 16 MiB; each body in turn must still be read whole.
TEST(TextSync, ReadsBodiesThatGrowAndShrink) {
  if (!fast_road_built) GTEST_SKIP() << "no fast road without simdjson";
  std::string spare;
  for (const std::size_t size : {std::size_t{10}, std::size_t{100'000}, std::size_t{17} << 20, std::size_t{10},
                                 std::size_t{100'001}}) {
    const std::string text(size, 'a');
    std::string body = change_body(R"([{"text":")" + text + R"("}])");
    auto n = read_text_sync(body, spare);
    ASSERT_TRUE(n) << size;
    auto& change = std::get<DidChangeTextDocumentParams>(n->text_sync).content_changes.at(0);
    EXPECT_EQ(change.text.size(), size);
    EXPECT_EQ(change.text, text);
    spare = std::move(change.text);
  }
}

}  // namespace
}  // namespace qosa::lsp
