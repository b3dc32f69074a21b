// Runs the built server on byte streams and checks what an editor would see:
// stdout bytes, stderr lines and the exit code.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/framing.h"

extern char** environ;

namespace {

using Lines = std::vector<std::string>;

struct Outcome {
  std::string out;
  Lines err;
  int exit_code = -1;  // -1 when ended by a signal
};

std::string temp_path(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/qosa_e2e_" + std::to_string(::getpid()) + "_" + name;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Lines split_lines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size() - 1;
    lines.push_back(text.substr(start, nl - start + 1));
    start = nl + 1;
  }
  return lines;
}

// `closed_stdout`: stdout is a pipe whose reading end is already closed.
// `stdin_path`, when given, is opened as stdin instead of the input.
Outcome run_server(const std::string& input, bool closed_stdout = false,
                   const char* stdin_path = nullptr) {
  const std::string in_path = stdin_path ? stdin_path : temp_path("in");
  const std::string out_path = temp_path("out"), err_path = temp_path("err");
  if (!stdin_path) {
    std::ofstream in(in_path, std::ios::binary);
    in << input;
  }
  int pipe_fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in_path.c_str(), O_RDONLY, 0);
  if (closed_stdout) {
    EXPECT_EQ(::pipe(pipe_fds), 0);
    ::close(pipe_fds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  char* argv[] = {const_cast<char*>(QOSA_LSP_PATH), nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, QOSA_LSP_PATH, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (pipe_fds[1] >= 0) ::close(pipe_fds[1]);
  EXPECT_EQ(spawned, 0);
  int status = 0;
  ::waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (!closed_stdout) outcome.out = read_file(out_path);
  outcome.err = split_lines(read_file(err_path));
  if (!stdin_path) std::remove(in_path.c_str());
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return outcome;
}

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
  const Outcome o = run_server("", false, "/");
  EXPECT_EQ(o.exit_code, 1);
  EXPECT_EQ(o.err, with_start({"Sunucu hatası: Is a directory (os error 21)\n"}));
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
  EXPECT_EQ(o.err, with_start({"İstek alındı: shutdown\n", "Sunucu hatası: Broken pipe (os error 32)\n"}));
}

TEST(Session, ClosedStdoutDuringDiagnosticsIsSurvived) {
  const Outcome o = run_server(frame(did_open), /*closed_stdout=*/true);
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.err, with_start({"Bildirim alındı: textDocument/didOpen\n", "Döküman açıldı: file:///tmp/a.qosa\n",
                               "Notification textDocument/didOpen hatası: Broken pipe (os error 32)\n",
                               "EOF alındı, sunucu kapatılıyor...\n"}));
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
