#include "server/dispatch.h"

#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "support/json.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

// The answer as the response would carry it: the result's text, or
// "error CODE MESSAGE".
std::string ask(std::string_view method, std::optional<std::string_view> params,
                const Server& server = Server{}) {
  std::optional<json::value> value;
  if (params) value = json::parse(*params);
  Answer a = handle_request(std::move(value), method, server);
  if (!a) return "error " + std::to_string(a.error().code) + " " + a.error().message;
  return a->text();
}

constexpr std::string_view initialize_result =
    R"({"capabilities":{"codeActionProvider":true,"codeLensProvider":{"resolveProvider":false},)"
    R"("completionProvider":{"resolveProvider":false,"triggerCharacters":[".",":"]},)"
    R"("definitionProvider":true,"documentFormattingProvider":false,"documentSymbolProvider":true,)"
    R"("hoverProvider":true,"inlayHintProvider":true,"referencesProvider":true,"renameProvider":true,)"
    R"("semanticTokensProvider":{"full":true,"legend":{"tokenModifiers":["declaration","definition",)"
    R"("readonly","static","deprecated","abstract","async","modification","documentation",)"
    R"("defaultLibrary","public","exportable","domesticOnly","classified"],"tokenTypes":["namespace",)"
    R"("type","class","enum","interface","struct","typeParameter","parameter","variable","property",)"
    R"("enumMember","event","function","method","macro","keyword","modifier","comment","string",)"
    R"("number","regexp","operator","decorator"]},"range":false},)"
    R"("signatureHelpProvider":{"triggerCharacters":["(",","]},)"
    R"("textDocumentSync":{"change":1,"openClose":true}},)"
    R"("serverInfo":{"name":"QOSA Language Server","version":"0.9.4"}})";

TEST(Dispatch, MethodsNotServed) {
  const std::string_view methods[] = {
      "TextDocument/hover", "textDocument/hover ", "textDocument/semanticTokens/range",
      "textDocument/semanticTokens/full/delta", "workspace/executeCommand", "textDocument/formatting",
      "exit", "initialized", "textDocument/didOpen", "", "Shutdown",
  };
  for (auto m : methods) {
    EXPECT_EQ(ask(m, R"({"textDocument":{"uri":"file:///a"}})"),
              "error -32601 Method not found: " + std::string(m));
  }
}

TEST(Dispatch, Shutdown) {
  EXPECT_EQ(ask("shutdown", std::nullopt), "null");
  EXPECT_EQ(ask("shutdown", "[1,2]"), "null");
}

TEST(Dispatch, Initialize) {
  EXPECT_EQ(ask("initialize", R"({"capabilities":{}})"), initialize_result);
  EXPECT_EQ(ask("initialize",
                R"({"processId":12,"rootUri":"file:///w","capabilities":{"textDocument":{"hover":)"
                R"({"contentFormat":["markdown"]}},"general":{"positionEncodings":["utf-16"]}},)"
                R"("initializationOptions":{"x":1},"trace":"off"})"),
            initialize_result);
  const std::optional<std::string_view> invalid[] = {
      std::nullopt, "\"x\"", "[]", "5", R"({"processId":null})", R"({"capabilities":null})",
      R"({"capabilities":[]})",
  };
  for (auto p : invalid) {
    EXPECT_EQ(ask("initialize", p), "error -32600 Invalid initialize params") << p.value_or("none");
  }
}

TEST(Dispatch, HoverAndCompletionParams) {
  const std::optional<std::string_view> invalid[] = {
      std::nullopt, "null", "\"x\"", "[]",
      R"({"textDocument":{"uri":"a.qosa"},"position":{"line":0,"character":0}})",
      R"({"textDocument":{"uri":"file:///a"},"position":{"line":-1,"character":0}})",
      R"({"textDocument":{"uri":"file:///a"},"position":{"line":1.5,"character":0}})",
      R"({"textDocument":{"uri":"file:///a"},"position":{"line":0,"character":4294967296}})",
      R"({"textDocument":{"uri":"file:///a"}})",
  };
  for (auto p : invalid) {
    EXPECT_EQ(ask("textDocument/hover", p), "error -32600 Invalid hover params") << p.value_or("none");
    EXPECT_EQ(ask("textDocument/completion", p), "error -32600 Invalid completion params")
        << p.value_or("none");
  }
}

TEST(Dispatch, HoverReadsTheLiveDocumentUnderItsPrintedUri) {
  Server server;
  open_document(server.documents, *Uri::parse("file:///a.qosa"), "eğer x ise", 1);
  const auto at = [&](std::string_view uri, int character) {
    return ask("textDocument/hover",
               R"({"textDocument":{"uri":")" + std::string(uri) +
                   R"("},"position":{"line":0,"character":)" + std::to_string(character) + "}}",
               server);
  };
  EXPECT_EQ(at("file:///a.qosa", 1).rfind(R"({"contents":{"kind":"markdown","value":")", 0), 0u);
  EXPECT_EQ(at("FILE:///a.qosa", 1), at("file:///a.qosa", 1));  // printed form is the key
  EXPECT_EQ(at("file:///a.qosa", 5), "null");                  // "x" has no text
  EXPECT_EQ(at("file:///b.qosa", 1), "null");                  // not open
}

TEST(Dispatch, CompletionAnswersTheWholeListForAnyDocument) {
  const std::string answer = ask(
      "textDocument/completion",
      R"({"textDocument":{"uri":"file:///not-open.qosa"},"position":{"line":9,"character":9},)"
      R"("context":{"triggerKind":2,"triggerCharacter":"."}})");
  const json::value list = json::parse(answer);
  ASSERT_TRUE(list.is_array());
  EXPECT_EQ(list.get_array().size(), 140u);
}

}  // namespace
}  // namespace qosa::lsp

namespace qosa::lsp {
namespace {

// Raw-params rows look the uri up exactly as sent.
TEST(Dispatch, SemanticTokensAndDocumentSymbols) {
  Server server;
  open_document(server.documents, *Uri::parse("file:///a.qosa"), "let x = 1", 1);
  open_document(server.documents, *Uri::parse("file:///empty.qosa"), "", 1);
  const std::optional<std::string_view> failing[] = {
      std::nullopt, "null", "[1]", R"({"textDocument":{}})", R"({"textDocument":{"uri":7}})",
      R"({"textDocument":{"uri":"file:///b.qosa"}})", R"({"textDocument":{"uri":"FILE:///a.qosa"}})",
  };
  for (auto p : failing) {
    EXPECT_EQ(ask("textDocument/semanticTokens/full", p, server), R"({"data":[]})") << p.value_or("none");
    EXPECT_EQ(ask("textDocument/documentSymbol", p, server), "null") << p.value_or("none");
  }
  EXPECT_EQ(ask("textDocument/semanticTokens/full", R"({"textDocument":{"uri":"file:///a.qosa"}})", server),
            R"({"data":[0,0,3,15,0,0,4,1,8,1,0,2,1,21,0,0,2,1,19,0]})");
  EXPECT_EQ(ask("textDocument/semanticTokens/full", R"({"textDocument":{"uri":"file:///empty.qosa"}})", server),
            R"({"data":[]})");
  EXPECT_EQ(ask("textDocument/documentSymbol", R"({"textDocument":{"uri":"file:///empty.qosa"}})", server),
            "[]");
  EXPECT_EQ(ask("textDocument/documentSymbol", R"({"textDocument":{"uri":"file:///a.qosa"}})", server),
            R"([{"detail":"x","kind":13,"name":"x","range":{"end":{"character":9,"line":0},)"
            R"("start":{"character":0,"line":0}},"selectionRange":{"end":{"character":5,"line":0},)"
            R"("start":{"character":4,"line":0}}}])");
}

}  // namespace
}  // namespace qosa::lsp
