#include "server/server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_streams.h"

namespace qosa::lsp {
namespace {

using testing::frame;
using testing::StringReader;
using testing::StringWriter;
using Lines = std::vector<std::string>;

// One run of the loop over the framed bodies.
struct Session {
  Server server;
  StringWriter out, log;
  std::expected<RunEnd, IoError> end;

  explicit Session(std::vector<std::string> bodies, std::string tail = "") {
    std::string input;
    for (const auto& b : bodies) input += frame(b);
    input += tail;
    StringReader reader(input, 4096);
    end = run(server, reader, out, log);
  }
  Lines log_after_start() const { return Lines(log.writes.begin() + 1, log.writes.end()); }
};

std::string open(std::string_view uri, std::string_view text, int version = 1) {
  return R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":")" +
         std::string(uri) + R"(","languageId":"qosa","version":)" + std::to_string(version) +
         R"(,"text":")" + std::string(text) + R"("}}})";
}

std::string change(std::string_view uri, std::string_view changes, int version = 2) {
  return R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":")" +
         std::string(uri) + R"(","version":)" + std::to_string(version) + R"(},"contentChanges":)" +
         std::string(changes) + "}}";
}

std::string close(std::string_view uri) {
  return R"({"jsonrpc":"2.0","method":"textDocument/didClose","params":{"textDocument":{"uri":")" +
         std::string(uri) + R"("}}})";
}

std::string published(std::string_view uri, std::string_view diagnostics = "[]") {
  return frame(R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"diagnostics":)" +
               std::string(diagnostics) + R"(,"uri":")" + std::string(uri) + R"("}})");
}

const std::string missing_brace =
    R"([{"message":"Eksik kapatma parantezi: 1 açılış, 0 kapanış","range":{"end":{"character":1,"line":0},)"
    R"("start":{"character":0,"line":0}},"severity":1,"source":"QOSA"}])";

TEST(Run, EndOfInputAfterAMessage) {
  Session s({R"({"jsonrpc":"2.0","id":1,"method":"shutdown"})"});
  ASSERT_TRUE(s.end);
  EXPECT_EQ(*s.end, RunEnd::end_of_input);
  EXPECT_EQ(s.out.text(), frame(R"({"jsonrpc":"2.0","id":1,"result":null})"));
  // One write per line.
  EXPECT_EQ(s.log.writes, (Lines{"QOSA Language Server başlatıldı...\n", "İstek alındı: shutdown\n",
                                 "EOF alındı, sunucu kapatılıyor...\n"}));
}

TEST(Run, EndOfInputInsideABody) {
  Session s({}, "Content-Length: 40\r\n\r\n{\"jsonrpc\"");
  ASSERT_FALSE(s.end);
  EXPECT_EQ(s.end.error().message, "failed to fill whole buffer");
  EXPECT_EQ(s.log_after_start(), Lines{});
}

TEST(Run, ExitEndsAtOnceWithOrWithoutShutdown) {
  for (std::string exit : {R"({"jsonrpc":"2.0","method":"exit"})", R"({"jsonrpc":"2.0","method":"exit","params":[1]})"}) {
    Session s({exit, R"({"jsonrpc":"2.0","id":1,"method":"shutdown"})"});
    ASSERT_TRUE(s.end);
    EXPECT_EQ(*s.end, RunEnd::exit_notification);
    EXPECT_EQ(s.out.text(), "");
    EXPECT_EQ(s.log_after_start(), (Lines{"Bildirim alındı: exit\n", "Çıkış bildirimi alındı\n"}));
  }
}

TEST(Run, RequestsAnswerWithTheirId) {
  Session s({R"({"jsonrpc":"2.0","id":null,"method":"shutdown"})",
             R"({"jsonrpc":"2.0","id":"abc","method":"nope","params":{}})",
             R"({"jsonrpc":"2.0","id":3,"method":"exit"})"});
  EXPECT_EQ(s.out.text(),
            frame(R"({"jsonrpc":"2.0","id":null,"result":null})") +
                frame(R"({"jsonrpc":"2.0","id":"abc","error":{"code":-32601,"message":"Method not found: nope"}})") +
                frame(R"({"jsonrpc":"2.0","id":3,"error":{"code":-32601,"message":"Method not found: exit"}})"));
  EXPECT_EQ(*s.end, RunEnd::end_of_input);
}

TEST(Run, OtherNotifications) {
  Session s({R"({"jsonrpc":"2.0","method":"initialized","params":{}})", R"({"jsonrpc":"2.0","method":"Exit"})",
             R"({"jsonrpc":"2.0","method":""})", R"(["2.0","$/cancelRequest",{"id":1}])"});
  EXPECT_EQ(s.log_after_start(),
            (Lines{"Bildirim alındı: initialized\n", "Sunucu başlatıldı\n", "Bildirim alındı: Exit\n",
                   "Bilinmeyen bildirim: Exit\n", "Bildirim alındı: \n", "Bilinmeyen bildirim: \n",
                   "Bildirim alındı: $/cancelRequest\n", "Bilinmeyen bildirim: $/cancelRequest\n",
                   "EOF alındı, sunucu kapatılıyor...\n"}));
  EXPECT_EQ(s.out.text(), "");
}

TEST(Run, DocumentNotifications) {
  const std::string uri = "file:///a.qosa";
  Session s({open("FILE:///a.qosa", "a { b"), open(uri, "{}", 4),
             change(uri, R"([{"range":{"start":{"line":0,"character":1},"end":{"line":0,"character":2}},"text":""}])"),
             change(uri, R"([{"range":{"start":{"line":5,"character":0},"end":{"line":0,"character":0}},"text":"x"}])", 9),
             close(uri), change(uri, R"([{"text":"x"}])"), close(uri)});
  EXPECT_EQ(s.out.text(), published(uri, missing_brace) + published(uri) + published(uri, missing_brace) +
                              published(uri, missing_brace));
  EXPECT_EQ(s.log_after_start(),
            (Lines{"Bildirim alındı: textDocument/didOpen\n", "Döküman açıldı: file:///a.qosa\n",
                   "Bildirim alındı: textDocument/didOpen\n", "Döküman açıldı: file:///a.qosa\n",
                   "Bildirim alındı: textDocument/didChange\n", "Döküman değişti: file:///a.qosa\n",
                   "Bildirim alındı: textDocument/didChange\n", "Döküman değişti: file:///a.qosa\n",
                   "Bildirim alındı: textDocument/didClose\n", "Döküman kapatıldı: file:///a.qosa\n",
                   "Bildirim alındı: textDocument/didChange\n", "Döküman değişti: file:///a.qosa\n",
                   "Bildirim alındı: textDocument/didClose\n", "Döküman kapatıldı: file:///a.qosa\n",
                   "EOF alındı, sunucu kapatılıyor...\n"}));
  EXPECT_TRUE(s.server.documents.documents.empty());
}

TEST(Run, StoreFollowsTheNotifications) {
  const std::string uri = "file:///a.qosa";
  Session s({open(uri, "ab\\ncd"), change(uri, R"([{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":1}},"text":"X"}])", 7)});
  const Document* d = get_document(s.server.documents, uri);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->text, "ab\nXd");
  EXPECT_EQ(d->version, 7);
}

// The word index kept beside a document follows its text: after a change, a
// second opening (with the same version, which proves nothing) and a closing.
TEST(Run, SearchesFollowTheTextThroughEveryNotification) {
  const std::string uri = "file:///a.qosa";
  const auto references = [&](int id) {
    return R"({"jsonrpc":"2.0","id":)" + std::to_string(id) +
           R"(,"method":"textDocument/references","params":{"textDocument":{"uri":")" + uri +
           R"("},"position":{"line":0,"character":0},"context":{"includeDeclaration":false}}})";
  };
  const auto answer = [](int id, std::string_view result) {
    return frame(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"result":)" + std::string(result) + "}");
  };
  const auto at = [&](int line, int start, int end) {
    return R"({"range":{"end":{"character":)" + std::to_string(end) + R"(,"line":)" + std::to_string(line) +
           R"(},"start":{"character":)" + std::to_string(start) + R"(,"line":)" + std::to_string(line) + R"(}},"uri":")" +
           uri + R"("})";
  };
  Session s({open(uri, "ab ab"), references(1), change(uri, R"([{"text":"ab\nab ab"}])"), references(2),
             open(uri, "ab", 2), references(3), close(uri), references(4), open(uri, "x ab", 2), references(5)});
  EXPECT_EQ(s.out.text(), published(uri) + answer(1, "[" + at(0, 0, 2) + "," + at(0, 3, 5) + "]") + published(uri) +
                              answer(2, "[" + at(0, 0, 2) + "," + at(1, 0, 2) + "," + at(1, 3, 5) + "]") +
                              published(uri) + answer(3, "[" + at(0, 0, 2) + "]") + answer(4, "null") +
                              published(uri) + answer(5, "[" + at(0, 0, 1) + "]"));
}

TEST(Run, BadDocumentParamsAreLoggedAndSurvived) {
  Session s({R"({"jsonrpc":"2.0","method":"textDocument/didOpen"})",
             R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"a.qosa","version":1},"contentChanges":[]}})",
             R"({"jsonrpc":"2.0","method":"textDocument/didClose","params":null})",
             R"({"jsonrpc":"2.0","id":1,"method":"shutdown"})"});
  EXPECT_EQ(s.log_after_start(),
            (Lines{"Bildirim alındı: textDocument/didOpen\n",
                   "Notification textDocument/didOpen hatası: Invalid didOpen params\n",
                   "Bildirim alındı: textDocument/didChange\n",
                   "Notification textDocument/didChange hatası: Invalid didChange params\n",
                   "Bildirim alındı: textDocument/didClose\n",
                   "Notification textDocument/didClose hatası: Invalid didClose params\n",
                   "İstek alındı: shutdown\n", "EOF alındı, sunucu kapatılıyor...\n"}));
  EXPECT_TRUE(s.server.documents.documents.empty());
  EXPECT_EQ(s.out.text(), frame(R"({"jsonrpc":"2.0","id":1,"result":null})"));
}

TEST(Run, MessageErrorsEndTheRun) {
  Session s({R"({"jsonrpc":"2.0","id":1,"result":null})", R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})"});
  ASSERT_FALSE(s.end);
  EXPECT_EQ(s.end.error().message, "Invalid request: missing field `method`");
  EXPECT_EQ(s.out.text(), "");
}

// Output that fails from the first write on: a closed pipe.
TEST(Run, AFailedResponseWriteEndsTheRun) {
  Server server;
  StringReader reader(frame(R"({"jsonrpc":"2.0","id":1,"method":"shutdown"})"));
  StringWriter out, log;
  out.fail = testing::broken_pipe();
  auto end = run(server, reader, out, log);
  ASSERT_FALSE(end);
  EXPECT_EQ(end.error().message, "Broken pipe (os error 32)");
}

TEST(Run, AFailedDiagnosticsWriteIsLoggedAndSurvived) {
  Server server;
  StringReader reader(frame(open("file:///a.qosa", "x")) + frame(change("file:///a.qosa", R"([{"text":"y"}])")));
  StringWriter out, log;
  out.fail = testing::broken_pipe();
  auto end = run(server, reader, out, log);
  ASSERT_TRUE(end);
  EXPECT_EQ(*end, RunEnd::end_of_input);
  EXPECT_EQ(Lines(log.writes.begin() + 1, log.writes.end()),
            (Lines{"Bildirim alındı: textDocument/didOpen\n", "Döküman açıldı: file:///a.qosa\n",
                   "Notification textDocument/didOpen hatası: Broken pipe (os error 32)\n",
                   "Bildirim alındı: textDocument/didChange\n", "Döküman değişti: file:///a.qosa\n",
                   "Notification textDocument/didChange hatası: Broken pipe (os error 32)\n",
                   "EOF alındı, sunucu kapatılıyor...\n"}));
  EXPECT_EQ(get_document(server.documents, "file:///a.qosa")->text, "y");
}

}  // namespace
}  // namespace qosa::lsp
