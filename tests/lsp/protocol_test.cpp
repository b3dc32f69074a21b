#include "lsp/protocol.h"

#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "support/json.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

template <class T>
std::optional<T> convert(std::string_view text) {
  T out;
  if (!from_json(json::parse(text), out)) return std::nullopt;
  return out;
}

std::string hover(std::string_view uri, std::string_view line, std::string_view character,
                  std::string_view extra = "") {
  return R"({"textDocument":{"uri":)" + std::string(uri) + R"(},"position":{"line":)" +
         std::string(line) + R"(,"character":)" + std::string(character) + "}" +
         std::string(extra) + "}";
}

TEST(PositionParams, LineAndCharacterAreUnsigned32Bit) {
  const std::string_view ok[] = {"0", "4294967295"};
  for (auto n : ok) EXPECT_TRUE(convert<HoverParams>(hover(R"("file:///a")", n, n))) << n;
  const std::string_view bad[] = {"-1", "1.5", "1e2", "2.0", "4294967296", "18446744073709551616",
                                  "\"1\"", "null", "true"};
  for (auto n : bad) {
    EXPECT_FALSE(convert<HoverParams>(hover(R"("file:///a")", n, "0"))) << n;
    EXPECT_FALSE(convert<HoverParams>(hover(R"("file:///a")", "0", n))) << n;
  }
}

TEST(PositionParams, UriIsParsedAndPrinted) {
  auto p = convert<HoverParams>(hover(R"("FILE:///a.qosa")", "1", "2"));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->text_document.uri, "file:///a.qosa");
  EXPECT_EQ(p->position.line, 1u);
  EXPECT_EQ(p->position.character, 2u);
  EXPECT_FALSE(convert<HoverParams>(hover(R"("a.qosa")", "1", "2")));
  EXPECT_FALSE(convert<HoverParams>(hover("5", "1", "2")));
}

TEST(PositionParams, Shapes) {
  EXPECT_FALSE(convert<HoverParams>("null"));
  EXPECT_FALSE(convert<HoverParams>(R"("x")"));
  EXPECT_FALSE(convert<HoverParams>(R"({"textDocument":{"uri":"file:///a"}})"));
  EXPECT_TRUE(convert<HoverParams>(hover(R"("file:///a")", "0", "0", R"(,"other":[1])")));
  EXPECT_TRUE(convert<HoverParams>(hover(R"("file:///a")", "0", "0", R"(,"workDoneToken":"t")")));
  EXPECT_FALSE(convert<HoverParams>(hover(R"("file:///a")", "0", "0", R"(,"workDoneToken":1.5)")));

  // Only the position params take the array form.
  const std::string pair = R"([{"uri":"file:///a"},{"line":1,"character":2}])";
  EXPECT_TRUE(convert<TextDocumentPositionParams>(pair));
  EXPECT_FALSE(convert<HoverParams>(pair));
  EXPECT_FALSE(convert<TextDocumentPositionParams>(R"([{"uri":"file:///a"}])"));

  EXPECT_TRUE(convert<CompletionParams>(hover(R"("file:///a")", "0", "0", R"(,"context":{"triggerKind":2,"triggerCharacter":"."})")));
  EXPECT_TRUE(convert<CompletionParams>(hover(R"("file:///a")", "0", "0", R"(,"context":null)")));
  EXPECT_FALSE(convert<CompletionParams>(hover(R"("file:///a")", "0", "0", R"(,"context":{})")));
}

TEST(DocumentParams, Conversions) {
  auto open = convert<DidOpenTextDocumentParams>(
      R"({"textDocument":{"uri":"file:///a","languageId":"qosa","version":-3,"text":"x"}})");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->text_document.version, -3);
  EXPECT_EQ(open->text_document.text, "x");
  EXPECT_FALSE(convert<DidOpenTextDocumentParams>(
      R"({"textDocument":{"uri":"file:///a","version":1,"text":"x"}})"));
  EXPECT_FALSE(convert<DidOpenTextDocumentParams>(
      R"({"textDocument":{"uri":"file:///a","languageId":"q","version":2147483648,"text":"x"}})"));

  auto change = convert<DidChangeTextDocumentParams>(
      R"({"textDocument":{"uri":"file:///a","version":2},"contentChanges":[{"text":"a"},)"
      R"({"range":{"start":{"line":0,"character":1},"end":{"line":0,"character":2}},"rangeLength":1,"text":"b"}]})");
  ASSERT_TRUE(change);
  ASSERT_EQ(change->content_changes.size(), 2u);
  EXPECT_FALSE(change->content_changes[0].range);
  EXPECT_EQ(change->content_changes[1].range->end.character, 2u);
  EXPECT_FALSE(convert<DidChangeTextDocumentParams>(
      R"({"textDocument":{"uri":"file:///a"},"contentChanges":[]})"));
  EXPECT_FALSE(convert<DidChangeTextDocumentParams>(
      R"({"textDocument":{"uri":"file:///a","version":1},"contentChanges":[{}]})"));

  EXPECT_TRUE(convert<DidCloseTextDocumentParams>(R"({"textDocument":{"uri":"file:///a"}})"));
  EXPECT_FALSE(convert<DidCloseTextDocumentParams>(R"({"textDocument":{}})"));
}

TEST(Answers, WrittenResultIsCarriedUnchanged) {
  EXPECT_EQ(JsonResult::written(R"({"data":[1,2,3]})").text(), R"({"data":[1,2,3]})");
  EXPECT_EQ(JsonResult(boost::json::parse(R"({"b":1,"a":null})")).text(), R"({"a":null,"b":1})");
  EXPECT_EQ(response_error(ErrorCode::method_not_found, "m").code, -32601);
}

TEST(Answers, SerializationError) {
  const ResponseError e = serialization_error("key must be a string");
  EXPECT_EQ(e.code, -32603);
  EXPECT_EQ(e.message, "Serialization error: key must be a string");
  EXPECT_FALSE(e.data);
}

// The lenient records read member by member: a missing level reads like a
// missing leaf, and numbers count only as non-negative integers.
TEST(LenientParams, MissingLevelsReadAsMissingLeaves) {
  EXPECT_TRUE(convert<SemanticTokensParams>(R"({"textDocument":{"uri":"FILE:///a b"}})"));
  EXPECT_EQ(convert<SemanticTokensParams>(R"({"textDocument":{"uri":"FILE:///a b"}})")->uri.text, "FILE:///a b");
  for (std::string_view p : {"null", "[]", "\"x\"", "{}", R"({"textDocument":5})", R"({"textDocument":{"uri":5}})",
                             R"({"missing":{"uri":"file:///a"}})"}) {
    EXPECT_FALSE(convert<SemanticTokensParams>(p)) << p;
  }

  const auto signature = [](std::string_view position) {
    return convert<SignatureHelpParams>(R"({"textDocument":{"uri":"file:///a"},"position":)" + std::string(position) + "}");
  };
  EXPECT_FALSE(signature(R"({"line":2.0,"character":1})"));
  EXPECT_FALSE(signature(R"({"line":1,"character":-1})"));
  EXPECT_FALSE(signature(R"({"line":1,"character":"3"})"));
  EXPECT_FALSE(signature(R"({"line":1e2,"character":1})"));
  EXPECT_FALSE(signature(R"({"line":1})"));
  EXPECT_EQ(signature(R"({"line":0,"character":18446744073709551615})")->character, 18446744073709551615u);

  const auto inlay = [](std::string_view range) {
    return *convert<InlayHintParams>(R"({"textDocument":{"uri":"file:///a"},"range":)" + std::string(range) + "}");
  };
  EXPECT_EQ(inlay("null").first_line, 0u);
  EXPECT_EQ(inlay("null").last_line, 4294967295u);
  EXPECT_EQ(inlay(R"({"start":{"line":4294967299},"end":{"line":-1}})").first_line, 3u);  // the low 32 bits
  EXPECT_EQ(inlay(R"({"start":{"line":4294967299},"end":{"line":-1}})").last_line, 4294967295u);

  const auto action = *convert<CodeActionParams>(
      R"({"textDocument":{"uri":"file:///a"},"range":{"start":{"line":4294967296},"end":{"line":1.0}},)"
      R"("context":{"diagnostics":[{"message":"m","range":{"end":{"line":2,"character":3}}},{"message":1},7]}})");
  EXPECT_EQ(action.start_line, 4294967296u);
  EXPECT_EQ(action.end_line, 0u);
  ASSERT_EQ(action.diagnostics.size(), 1u);
  EXPECT_EQ(action.diagnostics[0].end_line, 2u);
  EXPECT_EQ(action.diagnostics[0].end_character, 3u);
  EXPECT_EQ(action.diagnostics[0].start_line, 0u);
}

}  // namespace
}  // namespace qosa::lsp
