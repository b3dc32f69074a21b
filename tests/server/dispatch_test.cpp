#include "server/dispatch.h"

#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "common/requests.h"
#include "support/json.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

// The answer as the response would carry it: the result's text, or
// "error CODE MESSAGE".
std::string ask(std::string_view method, std::optional<std::string_view> params, Server& server) {
  return testing::ask(server, method, params);
}
std::string ask(std::string_view method, std::optional<std::string_view> params) {
  Server server;
  return testing::ask(server, method, params);
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

TEST(Dispatch, NavigationParams) {
  const std::optional<std::string_view> invalid[] = {
      std::nullopt, "null", "\"x\"", "[]", "[1,2]",
      R"({"textDocument":{"uri":"a.qosa"},"position":{"line":0,"character":0}})",
      R"({"textDocument":{"uri":"file:///a"},"position":{"line":-1,"character":0}})",
      R"({"textDocument":{"uri":"file:///a"},"position":{"line":0,"character":1.5}})",
      R"({"textDocument":{"uri":"file:///a"}})",
  };
  for (auto p : invalid) {
    const std::string shown(p.value_or("none"));
    EXPECT_EQ(ask("textDocument/definition", p), "error -32600 Invalid definition params") << shown;
    EXPECT_EQ(ask("textDocument/prepareRename", p), "error -32600 Invalid prepareRename params") << shown;
    EXPECT_EQ(ask("textDocument/references", p), "error -32600 Invalid references params") << shown;
    EXPECT_EQ(ask("textDocument/rename", p), "error -32600 Invalid rename params") << shown;
  }
}

TEST(Dispatch, NavigationOnOpenDocuments) {
  Server server;
  open_document(server.documents, *Uri::parse("file:///a.qosa"), "değişken sayaç = 0\nyaz(sayaç)", 1);
  const auto position = [](std::string_view uri, int line, int character) {
    return R"({"textDocument":{"uri":")" + std::string(uri) + R"("},"position":{"line":)" +
           std::to_string(line) + R"(,"character":)" + std::to_string(character) + "}";
  };
  const std::string sayac_range = R"({"end":{"character":14,"line":0},"start":{"character":9,"line":0}})";
  EXPECT_EQ(ask("textDocument/definition", position("FILE:///a.qosa", 1, 5) + "}", server),
            R"({"range":)" + sayac_range + R"(,"uri":"file:///a.qosa"})");
  EXPECT_EQ(ask("textDocument/definition", position("file:///b.qosa", 1, 5) + "}", server), "null");
  EXPECT_EQ(ask("textDocument/definition", position("file:///a.qosa", 1, 1) + "}", server), "null");
  EXPECT_EQ(ask("textDocument/prepareRename", position("file:///a.qosa", 0, 10) + "}", server),
            R"({"placeholder":"sayaç","range":)" + sayac_range + "}");
  EXPECT_EQ(ask("textDocument/prepareRename",
                R"([{"uri":"file:///a.qosa"},{"line":0,"character":10}])", server),
            R"({"placeholder":"sayaç","range":)" + sayac_range + "}");
  EXPECT_EQ(ask("textDocument/prepareRename", position("file:///a.qosa", 0, 0) + "}", server), "null");
  EXPECT_EQ(ask("textDocument/prepareRename", position("file:///b.qosa", 0, 10) + "}", server), "null");
  EXPECT_EQ(ask("textDocument/references",
                position("file:///a.qosa", 1, 5) + R"(,"context":{"includeDeclaration":false}})", server),
            R"([{"range":{"end":{"character":9,"line":1},"start":{"character":4,"line":1}},"uri":"file:///a.qosa"}])");
  EXPECT_EQ(ask("textDocument/references",
                position("file:///b.qosa", 1, 5) + R"(,"context":{"includeDeclaration":false}})", server),
            "null");
  EXPECT_EQ(ask("textDocument/rename", position("file:///a.qosa", 1, 5) + R"(,"newName":"n"})", server),
            R"({"changes":{"file:///a.qosa":[{"newText":"n","range":)" + sayac_range +
                R"(},{"newText":"n","range":{"end":{"character":9,"line":1},"start":{"character":4,"line":1}}}]}})");
  EXPECT_EQ(ask("textDocument/rename", position("file:///a.qosa", 1, 5) + R"(,"newName":"eğer"})", server),
            "null");
}

TEST(Dispatch, SignatureHelpReadsRawParams) {
  Server server;
  open_document(server.documents, *Uri::parse("file:///a.qosa"), "x\nyaz(", 1);
  const auto help = [&](std::optional<std::string_view> params) {
    return ask("textDocument/signatureHelp", params, server);
  };
  EXPECT_EQ(help(R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":1,"character":4}})"),
            R"({"activeParameter":0,"activeSignature":0,"signatures":[{"documentation":)"
            R"j("Ekrana metin yazdırır","label":"yazdır(mesaj: metin)","parameters":[{"label":"mesaj: metin"}]}]})j");
  const std::optional<std::string_view> null_cases[] = {
      std::nullopt,
      "[]",
      R"({"position":{"line":1,"character":4}})",
      R"({"textDocument":{"uri":"file:///a.qosa"}})",
      R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":2.0,"character":4}})",
      R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":1,"character":-1}})",
      R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":1,"character":"4"}})",
      R"({"textDocument":{"uri":"FILE:///a.qosa"},"position":{"line":1,"character":4}})",  // as sent
      R"({"textDocument":{"uri":"file:///b.qosa"},"position":{"line":1,"character":4}})",
      R"({"textDocument":{"uri":"file:///a.qosa"},"position":{"line":0,"character":1}})",
  };
  for (auto p : null_cases) EXPECT_EQ(help(p), "null") << p.value_or("none");
}

TEST(Dispatch, InlayHintsReadRawParams) {
  Server server;
  open_document(server.documents, *Uri::parse("file:///a.qosa"), "let x = 5\nlet y = 'a'\n", 1);
  const auto hints = [&](std::optional<std::string_view> params) {
    return ask("textDocument/inlayHint", params, server);
  };
  const std::string x = R"({"kind":1,"label":": int","position":{"character":5,"line":0}})";
  const std::string y = R"({"kind":1,"label":": string","position":{"character":5,"line":1}})";
  EXPECT_EQ(hints(R"({"textDocument":{"uri":"file:///a.qosa"}})"), "[" + x + "," + y + "]");
  EXPECT_EQ(hints(R"({"textDocument":{"uri":"file:///a.qosa"},"range":{"start":{"line":1,"character":0},)"
                  R"("end":{"line":1,"character":0}}})"),
            "[" + y + "]");
  // A malformed line number reads as missing; larger ones keep their low 32 bits.
  EXPECT_EQ(hints(R"({"textDocument":{"uri":"file:///a.qosa"},"range":{"start":{"line":-1},"end":{"line":0.0}}})"),
            "[" + x + "," + y + "]");
  EXPECT_EQ(hints(R"({"textDocument":{"uri":"file:///a.qosa"},"range":{"start":{"line":4294967297}}})"),
            "[" + y + "]");
  EXPECT_EQ(hints(R"({"textDocument":{"uri":"file:///a.qosa"},"range":{"start":{"line":1},"end":{"line":0}}})"),
            "[]");
  const std::optional<std::string_view> missing[] = {
      std::nullopt, "null", "[]", R"({"textDocument":{}})", R"({"textDocument":{"uri":5}})",
  };
  for (auto p : missing) {
    EXPECT_EQ(hints(p), "error -32603 Inlay hints error: Missing textDocument.uri") << p.value_or("none");
  }
  EXPECT_EQ(hints(R"({"textDocument":{"uri":"FILE:///a.qosa"}})"),
            "error -32603 Inlay hints error: Document not found");
  EXPECT_EQ(hints(R"({"textDocument":{"uri":"file:///a.qosa"},"range":null})"), "[" + x + "," + y + "]");
}

TEST(Dispatch, CodeLens) {
  Server server;
  open_document(server.documents, *Uri::parse("FILE:///a.qosa"), "fn main()", 1);
  open_document(server.documents, *Uri::parse("file:///plain.qosa"), "x = 1", 1);
  const auto lens = [&](std::optional<std::string_view> params) {
    return ask("textDocument/codeLens", params, server);
  };
  EXPECT_EQ(lens(std::nullopt), "error -32603 Code lens error: Missing textDocument.uri");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":7}})"), "error -32603 Code lens error: Missing textDocument.uri");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"file:///b.qosa"}})"),
            "error -32603 Code lens error: Document not found");
  // Stored under the printed uri; the raw lookup takes the uri as sent.
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"FILE:///a.qosa"}})"),
            "error -32603 Code lens error: Document not found");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"file:///plain.qosa"}})"), "[]");
  const json::value lenses = json::parse(lens(R"({"textDocument":{"uri":"file:///a.qosa"}})"));
  ASSERT_EQ(lenses.as_array().size(), 3u);
  EXPECT_EQ(support::to_json_text(lenses.as_array()[2]),
            R"({"command":{"arguments":["main"],"command":"editor.action.showReferences","title":"1 reference"},)"
            R"("range":{"end":{"character":9,"line":0},"start":{"character":0,"line":0}}})");
}

TEST(Dispatch, CodeAction) {
  Server server;
  open_document(server.documents, *Uri::parse("file:///a.qosa"), "let x = 1", 1);
  const auto action = [&](std::optional<std::string_view> params) {
    return ask("textDocument/codeAction", params, server);
  };
  EXPECT_EQ(action(std::nullopt), "null");
  EXPECT_EQ(action(R"({"textDocument":{"uri":"file:///b.qosa"}})"), "null");
  EXPECT_EQ(action(R"({"textDocument":{"uri":"file:///a.qosa"},"range":{"start":{"line":0},"end":{"line":0}}})"),
            R"([{"edit":{"changes":{"file:///a.qosa":[{"newText":"yeni_değişken","range":{"end":{"line":0},)"
            R"("start":{"line":0}}}]}},"kind":"refactor.extract","title":"Extract to variable"},)"
            R"({"command":{"arguments":["file:///a.qosa",{"end":{"line":0},"start":{"line":0}}],)"
            R"("command":"qosa.translateToTurkish","title":"Translate keywords to Turkish"},)"
            R"("kind":"refactor.rewrite","title":"Translate to Turkish"}])");
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
