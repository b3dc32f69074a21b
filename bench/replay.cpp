// Replays an editing session against the built server and reports its wall
// time and peak memory: didOpen of about 1 MB of QOSA text, 200 full-text
// didChange notifications as the user types, a few requests, shutdown, exit.
//
//   qosa-replay path/to/qosa-lsp [document-bytes] [changes]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/framing.h"
#include "program_generator.h"
#include "support/json.h"

namespace {

using qosa::support::append_json_string;

void add_message(std::string& session, const std::string& body) {
  session += qosa::testing::frame(body);
}

const std::string uri = "file:///replay/big.qosa";

std::string position_params(int line, int character) {
  return R"({"textDocument":{"uri":")" + uri + R"("},"position":{"line":)" + std::to_string(line) +
         R"(,"character":)" + std::to_string(character) + "}}";
}

std::string make_session(std::size_t document_bytes, int changes, int& requests) {
  std::string session;
  int id = 0;
  add_message(session, R"({"jsonrpc":"2.0","id":)" + std::to_string(++id) +
                           R"(,"method":"initialize","params":{"capabilities":{}}})");
  add_message(session, R"({"jsonrpc":"2.0","method":"initialized","params":{}})");

  std::string text = qosa::bench::generate_program(document_bytes, qosa::bench::KeywordLanguage::Turkish);
  std::string open = R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":")" +
                     uri + R"(","languageId":"qosa","version":1,"text":)";
  append_json_string(open, text);
  add_message(session, open + "}}}");

  // Typing: one more character each time, near the end of the document,
  // with a request now and then as an editor sends them.
  const std::size_t at = text.rfind('\n', text.size() - 2) + 1;
  const std::string_view typed = "sayac = sayac + 1 { } ";
  for (int i = 0; i < changes; ++i) {
    const auto n = static_cast<std::size_t>(i);
    text.insert(at + n, 1, typed[n % typed.size()]);
    std::string change = R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":")" +
                         uri + R"(","version":)" + std::to_string(i + 2) + R"(},"contentChanges":[{"text":)";
    append_json_string(change, text);
    add_message(session, change + "}]}}");
    if (i % 50 == 49) {
      add_message(session, R"({"jsonrpc":"2.0","id":)" + std::to_string(++id) +
                               R"(,"method":"textDocument/hover","params":)" + position_params(3, 4) + "}");
      add_message(session, R"({"jsonrpc":"2.0","id":)" + std::to_string(++id) +
                               R"(,"method":"textDocument/completion","params":)" + position_params(3, 4) + "}");
      add_message(session, R"({"jsonrpc":"2.0","id":)" + std::to_string(++id) +
                               R"(,"method":"textDocument/semanticTokens/full","params":{"textDocument":{"uri":")" +
                               uri + R"("}}})");
    }
  }
  add_message(session, R"({"jsonrpc":"2.0","id":)" + std::to_string(++id) + R"(,"method":"shutdown"})");
  add_message(session, R"({"jsonrpc":"2.0","method":"exit"})");
  requests = id;
  return session;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s path/to/qosa-lsp [document-bytes] [changes]\n", argv[0]);
    return 2;
  }
  const std::size_t document_bytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1'000'000;
  const int changes = argc > 3 ? std::atoi(argv[3]) : 200;
  std::signal(SIGPIPE, SIG_IGN);

  int to_server[2], from_server[2];
  if (::pipe(to_server) != 0 || ::pipe(from_server) != 0) {
    std::perror("pipe");
    return 1;
  }
  // The server starts before the session is made, so that the child's peak
  // memory counts nothing of ours from before its exec.
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(to_server[0], 0);
    ::dup2(from_server[1], 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    ::close(to_server[0]);
    ::close(to_server[1]);
    ::close(from_server[0]);
    ::close(from_server[1]);
    ::execl(argv[1], argv[1], static_cast<char*>(nullptr));
    std::perror("exec");
    std::_Exit(127);
  }
  ::close(to_server[0]);
  ::close(from_server[1]);
  int requests = 0;
  const std::string session = make_session(document_bytes, changes, requests);

  const auto started = std::chrono::steady_clock::now();
  std::thread writer([&] {
    std::size_t done = 0;
    while (done < session.size()) {
      const ssize_t n = ::write(to_server[1], session.data() + done, session.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(to_server[1]);
  });
  std::size_t output_bytes = 0;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(from_server[0], buffer.data(), buffer.size());
    if (n <= 0) break;
    output_bytes += static_cast<std::size_t>(n);
  }
  writer.join();
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  std::printf("replay: %.1f MB in (%d didChange of %zu bytes, %d requests), %.1f KB out\n",
              static_cast<double>(session.size()) / 1e6, changes, document_bytes, requests,
              static_cast<double>(output_bytes) / 1e3);
  std::printf("replay: wall %.3f s, %.2f ms per didChange, peak memory %.1f MB, exit code %d\n", seconds,
              seconds * 1e3 / changes, static_cast<double>(usage.ru_maxrss) / 1024.0,
              WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
