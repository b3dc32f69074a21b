// Damaged byte streams: whatever arrives, the loop ends, says why in one of
// its own words, writes only whole frames, and keeps every text valid UTF-8.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "server/server.h"
#include "support/utf8.h"
#include "common/test_streams.h"

namespace qosa::lsp {
namespace {

using testing::frame;
using testing::StringReader;
using testing::StringWriter;

std::string session() {
  const std::string uri = R"("textDocument":{"uri":"file:///d/ana.qosa")";
  const std::vector<std::string> bodies = {
      R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})",
      R"({"jsonrpc":"2.0","method":"initialized","params":{}})",
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{)" + uri +
          R"(,"languageId":"qosa","version":1,"text":"değişken x = 1 {\n😀 eğer x ise\n"}}})",
      R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{)" + uri +
          R"(,"version":2},"contentChanges":[{"range":{"start":{"line":1,"character":1},)"
          R"("end":{"line":1,"character":3}},"text":"ğ"},{"range":{"start":{"line":0,"character":9},)"
          R"("end":{"line":0,"character":10}},"text":"yé"}]}})",
      R"({"jsonrpc":"2.0","id":"h","method":"textDocument/hover","params":{)" + uri +
          R"(,"position":{"line":1,"character":4}}})",
      R"({"jsonrpc":"2.0","id":3,"method":"textDocument/completion","params":{)" + uri +
          R"(,"position":{"line":0,"character":0}}})",
      R"(["2.0","textDocument/didClose",{)" + uri + "}]",
      R"({"jsonrpc":"2.0","id":4,"method":"shutdown"})",
  };
  std::string input;
  for (const auto& b : bodies) input += frame(b);
  return input;
}

std::string damage(std::string input, std::mt19937& rng) {
  static const std::string pieces[] = {"\r\n", "\n", "Content-Length: ", "{", "}", "\"", "\\u",
                                       "\xC3", "\xF0\x9F", "\xFF", "0", "99999999999999999999",
                                       "[", "]", ":", ",", "ğ", " "};
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits && !input.empty(); ++e) {
    const std::size_t at = rng() % input.size();
    switch (rng() % 5) {
      case 0: input[at] = static_cast<char>(rng()); break;
      case 1: input.erase(at, 1 + rng() % 8); break;
      case 2: input.insert(at, pieces[rng() % std::size(pieces)]); break;
      case 3: input.resize(at); break;
      case 4: input.insert(at, input.substr(at, rng() % 64)); break;
    }
  }
  return input;
}

// Every write is one whole frame of valid UTF-8 JSON text.
void expect_whole_frames(const StringWriter& out) {
  const std::string text = out.text();
  std::size_t pos = 0;
  while (pos < text.size()) {
    ASSERT_EQ(text.compare(pos, 16, "Content-Length: "), 0) << text.substr(pos, 40);
    const std::size_t header_end = text.find("\r\n\r\n", pos);
    ASSERT_NE(header_end, std::string::npos);
    const std::size_t length = std::stoul(text.substr(pos + 16, header_end - pos - 16));
    const std::size_t body = header_end + 4;
    ASSERT_LE(body + length, text.size());
    EXPECT_TRUE(support::is_valid_utf8(std::string_view(text).substr(body, length)));
    EXPECT_EQ(text[body], '{');
    pos = body + length;
  }
}

bool is_transport_error(const std::string& message) {
  static const std::string known[] = {
      "Missing Content-Length header", "failed to fill whole buffer", "Invalid UTF-8: ",
      "Invalid JSON: ", "Invalid request: ", "Invalid notification: ",
      "stream did not contain valid UTF-8"};
  for (const auto& k : known) {
    if (message.starts_with(k)) return true;
  }
  return false;
}

TEST(DamagedSessions, EndWithAnAnswerOrAKnownError) {
  const std::string intact = session();
  std::mt19937 rng(20261210);
  for (int i = 0; i < 3000; ++i) {
    const std::string input = damage(intact, rng);
    Server server;
    StringReader reader(input, 1 + rng() % 9000);
    StringWriter out, log;
    const auto end = run(server, reader, out, log);
    if (!end) {
      EXPECT_TRUE(is_transport_error(end.error().message)) << end.error().message;
    }
    expect_whole_frames(out);
    for (const auto& [uri, document] : server.documents.documents) {
      EXPECT_TRUE(support::is_valid_utf8(document.text)) << uri;
    }
    for (const auto& line : log.writes) EXPECT_TRUE(line.ends_with("\n"));
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "input " << i << ": " << input;
      break;
    }
  }
}

}  // namespace
}  // namespace qosa::lsp
