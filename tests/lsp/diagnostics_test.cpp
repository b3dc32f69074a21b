#include "lsp/diagnostics.h"

#include <gtest/gtest.h>

#include "support/url.h"
#include "test_streams.h"

namespace qosa::lsp {
namespace {

using testing::StringWriter;

std::vector<std::string> messages(std::string_view text) {
  std::vector<std::string> out;
  for (const auto& d : compute_diagnostics("file:///a.qosa", text)) {
    EXPECT_EQ(d.range.start.line, 0u);
    EXPECT_EQ(d.range.start.character, 0u);
    EXPECT_EQ(d.range.end.line, 0u);
    EXPECT_EQ(d.range.end.character, 1u);
    EXPECT_EQ(d.severity, 1);
    EXPECT_EQ(d.source, "QOSA");
    out.push_back(d.message);
  }
  return out;
}

TEST(ComputeDiagnostics, CountsBracesOfTheWholeText) {
  using V = std::vector<std::string>;
  EXPECT_EQ(messages("a { b"), V{"Eksik kapatma parantezi: 1 açılış, 0 kapanış"});
  EXPECT_EQ(messages("}{"), V{});
  EXPECT_EQ(messages("{}"), V{});
  EXPECT_EQ(messages("}}{"), V{});
  EXPECT_EQ(messages(""), V{});
  EXPECT_EQ(messages("// {"), V{"Eksik kapatma parantezi: 1 açılış, 0 kapanış"});
  EXPECT_EQ(messages("yazdır(\"{\")\n{\n{ }\n"), V{"Eksik kapatma parantezi: 3 açılış, 1 kapanış"});
}

TEST(PublishDiagnostics, NotificationBytes) {
  StringWriter sink, errors;
  OutputBuffer out(sink);
  Log log(errors);
  ASSERT_TRUE(publish_diagnostics("file:///a.qosa", "a { b", out, log));
  const std::string body =
      R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"diagnostics":[)"
      R"({"message":"Eksik kapatma parantezi: 1 açılış, 0 kapanış","range":{"end":{"character":1,"line":0},)"
      R"("start":{"character":0,"line":0}},"severity":1,"source":"QOSA"}],"uri":"file:///a.qosa"}})";
  EXPECT_EQ(sink.text(), "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);

  sink.writes.clear();
  ASSERT_TRUE(publish_diagnostics("file:///a.qosa", "{}", out, log));
  const std::string empty =
      R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"diagnostics":[],"uri":"file:///a.qosa"}})";
  EXPECT_EQ(sink.text(), "Content-Length: " + std::to_string(empty.size()) + "\r\n\r\n" + empty);
  EXPECT_TRUE(errors.writes.empty());
}

TEST(PublishDiagnostics, UnparsableUriIsLoggedAndNothingSent) {
  StringWriter sink, errors;
  OutputBuffer out(sink);
  Log log(errors);
  ASSERT_TRUE(publish_diagnostics("a.qosa", "{", out, log));
  EXPECT_TRUE(sink.writes.empty());
  const std::string reason = support::parse_url("a.qosa").error().message;
  EXPECT_EQ(errors.writes, std::vector<std::string>{"URI parse hatası: a.qosa - " + reason + "\n"});
}

TEST(PublishDiagnostics, WriteErrorIsReturned) {
  StringWriter sink, errors;
  sink.fail = testing::broken_pipe();
  OutputBuffer out(sink);
  Log log(errors);
  auto r = publish_diagnostics("file:///a.qosa", "", out, log);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().message, "Broken pipe (os error 32)");
}

}  // namespace
}  // namespace qosa::lsp
