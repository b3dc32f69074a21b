// Runs the built server on byte streams and checks what an editor would see:
// stdout bytes, stderr lines and the exit code.
#include <gtest/gtest.h>

#include <string>

#include "common/framing.h"
#include "e2e/server_process.h"

namespace {

using qosa::testing::Lines;
using qosa::testing::Outcome;
using qosa::testing::run_server;

using qosa::testing::frame;

const Lines start = {"QOSA Language Server v0.9.0\n", "Başlatılıyor...\n", "QOSA Language Server başlatıldı...\n"};

Lines with_start(Lines rest) {
  Lines lines = start;
  lines.insert(lines.end(), rest.begin(), rest.end());
  return lines;
}

const std::string did_open =
    R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
    R"({"uri":"file:///tmp/a.qosa","languageId":"qosa","version":1,"text":"fonksiyon f() {"}}})";
const std::string diagnostics =
    R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"diagnostics":[)"
    R"({"message":"Eksik kapatma parantezi: 1 açılış, 0 kapanış","range":{"end":{"character":1,"line":0},)"
    R"("start":{"character":0,"line":0}},"severity":1,"source":"QOSA"}],"uri":"file:///tmp/a.qosa"}})";
const std::string shutdown = R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})";

TEST(Session, EndsAtEndOfInput) {
  const Outcome o = run_server(frame(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})") +
                               frame(R"({"jsonrpc":"2.0","method":"initialized","params":{}})") +
                               frame(did_open) + frame(shutdown));
  EXPECT_EQ(o.exit_code, 0);
  ASSERT_TRUE(o.out.starts_with("Content-Length: "));
  const std::size_t first_end = o.out.find("Content-Length: ", 1);
  EXPECT_NE(o.out.find(R"({"jsonrpc":"2.0","id":1,"result":{"capabilities":{)"), std::string::npos);
  EXPECT_EQ(o.out.substr(first_end), frame(diagnostics) + frame(R"({"jsonrpc":"2.0","id":2,"result":null})"));
  EXPECT_EQ(o.err, with_start({"İstek alındı: initialize\n", "Bildirim alındı: initialized\n", "Sunucu başlatıldı\n",
                               "Bildirim alındı: textDocument/didOpen\n", "Döküman açıldı: file:///tmp/a.qosa\n",
                               "İstek alındı: shutdown\n", "EOF alındı, sunucu kapatılıyor...\n"}));
}

TEST(Session, EndsOnExit) {
  const Outcome o = run_server(frame(R"({"jsonrpc":"2.0","method":"exit"})") + frame(shutdown));
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, with_start({"Bildirim alındı: exit\n", "Çıkış bildirimi alındı\n"}));
}

TEST(Session, EndsOnEachFatalError) {
  struct Case {
    std::string input;
    std::string error;
  };
  const Case cases[] = {
      {"Content-Type: x\r\n\r\n{}", "Missing Content-Length header"},
      {"Content-Length: 300\r\n\r\n{\"jsonrpc\"", "failed to fill whole buffer"},
      {"Content-Length: 18446744073709551615\r\n\r\n{}", "failed to fill whole buffer"},
      {"Content-Length: 2\xC3\r\n\r\n{}", "stream did not contain valid UTF-8"},
      {frame("[\"\xC0\"]"), "Invalid UTF-8: invalid utf-8 sequence of 1 bytes from index 2"},
      {frame("{\"a\":"), "Invalid JSON: incomplete JSON at line 1 column 6"},
      {frame(R"({"jsonrpc":"2.0","id":1,"result":null})"), "Invalid request: missing field `method`"},
      {frame(R"("hello")"), "Invalid notification: invalid type: string \"hello\", expected struct RpcNotification"},
  };
  for (const auto& c : cases) {
    const Outcome o = run_server(c.input + frame(shutdown));
    EXPECT_EQ(o.exit_code, 1) << c.error;
    EXPECT_EQ(o.out, "") << c.error;
    EXPECT_EQ(o.err, with_start({"Sunucu hatası: " + c.error + "\n"}));
  }
}

TEST(Session, EndsOnAFailedRead) {
  // Reading a directory fails with the system's error.
  const Outcome o = run_server("", false, qosa::testing::directory_path());
  EXPECT_EQ(o.exit_code, 1);
  EXPECT_EQ(o.err, with_start({"Sunucu hatası: " + qosa::testing::directory_read_error() + "\n"}));
}

TEST(Session, AnswersBeforeAFatalErrorAreWritten) {
  const Outcome o = run_server(frame(shutdown) + "Content-Length: 9\r\n\r\n{");
  EXPECT_EQ(o.exit_code, 1);
  EXPECT_EQ(o.out, frame(R"({"jsonrpc":"2.0","id":2,"result":null})"));
  EXPECT_EQ(o.err.back(), "Sunucu hatası: failed to fill whole buffer\n");
}

TEST(Session, ClosedStdoutDuringAResponseIsFatal) {
  const Outcome o = run_server(frame(shutdown) + frame(shutdown), /*closed_stdout=*/true);
  EXPECT_EQ(o.exit_code, 1);
  EXPECT_EQ(o.err, with_start({"İstek alındı: shutdown\n", "Sunucu hatası: " + qosa::testing::closed_pipe_error() + "\n"}));
}

TEST(Session, ClosedStdoutDuringDiagnosticsIsSurvived) {
  const Outcome o = run_server(frame(did_open), /*closed_stdout=*/true);
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.err, with_start({"Bildirim alındı: textDocument/didOpen\n", "Döküman açıldı: file:///tmp/a.qosa\n",
                               "Notification textDocument/didOpen hatası: " + qosa::testing::closed_pipe_error() + "\n",
                               "EOF alındı, sunucu kapatılıyor...\n"}));
}

TEST(Session, StandardStreamsAreBinary) {
  // A text-mode stream (Windows' default) would end the input at the 0x1A
  // and turn the "\r\n" inside the body into "\n", and the "\r\n" of the
  // answer's header into "\r\r\n".
  const std::string body = "{\"jsonrpc\":\"2.0\",\r\n\"id\":2,\"method\":\"shutdown\"}";
  const Outcome o = run_server("Content-Type: a\x1A" "b\r\n" + frame(body));
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out, frame(R"({"jsonrpc":"2.0","id":2,"result":null})"));
}

TEST(Session, LargeDocuments) {
  std::string text;
  while (text.size() < (3u << 20)) text += "değişken x = { 1 }\\n";
  const std::string open =
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
      R"({"uri":"file:///big.qosa","languageId":"qosa","version":1,"text":")" + text + R"("}}})";
  const Outcome o = run_server(frame(open) + frame(shutdown));
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out, frame(R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"diagnostics":[],"uri":"file:///big.qosa"}})") +
                       frame(R"({"jsonrpc":"2.0","id":2,"result":null})"));
}

}  // namespace

TEST(Session, HoverAndCompletionInBothKeywordLanguages) {
  const std::string open =
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
      R"({"uri":"file:///tmp/h.qosa","languageId":"qosa","version":1,"text":"eğer x ise\nif x then"}}})";
  const auto hover = [](int id, int line, int character) {
    return frame(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) +
                 R"(,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///tmp/h.qosa"},)"
                 R"("position":{"line":)" + std::to_string(line) + R"(,"character":)" +
                 std::to_string(character) + "}}}");
  };
  const std::string completion = frame(
      R"({"jsonrpc":"2.0","id":9,"method":"textDocument/completion","params":{"textDocument":)"
      R"({"uri":"file:///tmp/h.qosa"},"position":{"line":0,"character":0}}})");
  const Outcome o = run_server(frame(open) + hover(3, 0, 3) + hover(4, 1, 1) + completion);
  EXPECT_EQ(o.exit_code, 0);
  const std::string text =
      R"({"contents":{"kind":"markdown","value":"**Şart İfadesi / Conditional Statement**\n\n```qosa\n)"
      R"(eğer koşul ise\n  // kod\ndeğilse\n  // kod\nson\n```\n\nKoşullu kod bloğu çalıştırır."}})";
  // "eğer" ends at UTF-16 column 4: column 3 stands on its "r".
  EXPECT_NE(o.out.find(frame(R"({"jsonrpc":"2.0","id":3,"result":)" + text + "}")), std::string::npos);
  EXPECT_NE(o.out.find(frame(R"({"jsonrpc":"2.0","id":4,"result":)" + text + "}")), std::string::npos);
  EXPECT_NE(o.out.find(R"({"jsonrpc":"2.0","id":9,"result":[{)"), std::string::npos);
}

TEST(Session, RenameAfterAChangeEditsTheNewText) {
  const std::string open =
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
      R"({"uri":"file:///tmp/r.qosa","languageId":"qosa","version":1,"text":"değişken x = 1"}}})";
  const std::string change =
      R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)"
      R"j({"uri":"file:///tmp/r.qosa","version":2},"contentChanges":[{"text":"değişken x = 1\nyaz(x)"}]}})j";
  const auto rename = [](int id) {
    return frame(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) +
                 R"(,"method":"textDocument/rename","params":{"textDocument":{"uri":"file:///tmp/r.qosa"},)"
                 R"("position":{"line":0,"character":9},"newName":"y"}})");
  };
  const Outcome o = run_server(frame(open) + rename(3) + frame(change) + rename(4));
  EXPECT_EQ(o.exit_code, 0);
  // "değişken " is 11 bytes and 9 UTF-16 units: the edit must cover the "x".
  const std::string first = R"({"newText":"y","range":{"end":{"character":10,"line":0},"start":{"character":9,"line":0}}})";
  const std::string second = R"({"newText":"y","range":{"end":{"character":5,"line":1},"start":{"character":4,"line":1}}})";
  EXPECT_NE(o.out.find(frame(R"({"jsonrpc":"2.0","id":3,"result":{"changes":{"file:///tmp/r.qosa":[)" + first + "]}}}")),
            std::string::npos);
  EXPECT_NE(o.out.find(frame(R"({"jsonrpc":"2.0","id":4,"result":{"changes":{"file:///tmp/r.qosa":[)" + first + "," +
                             second + "]}}}")),
            std::string::npos);
}

// On a Turkish line the columns are the editor's UTF-16 columns, not bytes.
TEST(Session, SignatureHelpAndInlayHintsOnTurkishLines) {
  const std::string open =
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
      R"({"uri":"file:///tmp/s.qosa","languageId":"qosa","version":1,"text":"değişken ağaç = yazdır(x"}}})";
  const std::string help = frame(
      R"({"jsonrpc":"2.0","id":3,"method":"textDocument/signatureHelp","params":{"textDocument":)"
      R"({"uri":"file:///tmp/s.qosa"},"position":{"line":0,"character":23}}})");
  const std::string change = frame(
      R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)"
      R"j({"uri":"file:///tmp/s.qosa","version":2},"contentChanges":[{"text":"değişken ağaç = yazdır(x)"}]}})j");
  const std::string hints = frame(
      R"({"jsonrpc":"2.0","id":4,"method":"textDocument/inlayHint","params":{"textDocument":)"
      R"({"uri":"file:///tmp/s.qosa"},"range":{"start":{"line":0,"character":0},"end":{"line":1,"character":0}}}})");
  const Outcome o = run_server(frame(open) + help + change + hints);
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_NE(o.out.find(frame(
                R"j({"jsonrpc":"2.0","id":3,"result":{"activeParameter":0,"activeSignature":0,"signatures":)j"
                R"j([{"documentation":"Ekrana metin yazdırır","label":"yazdır(mesaj: metin)",)j"
                R"j("parameters":[{"label":"mesaj: metin"}]}]}})j")),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find(frame(R"({"jsonrpc":"2.0","id":4,"result":[{"kind":2,"label":"mesaj: ",)"
                             R"("paddingRight":true,"position":{"character":23,"line":0}}]})")),
            std::string::npos)
      << o.out;
}
