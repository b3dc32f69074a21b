#include "server/publish.h"

#include <gtest/gtest.h>

#include "common/test_streams.h"
#include "support/url.h"

namespace qosa::lsp {
namespace {

using testing::StringWriter;

TEST(PublishDiagnostics, NotificationBytes) {
  StringWriter sink, errors;
  OutputBuffer out(sink);
  Log log(errors);
  ASSERT_TRUE(publish_diagnostics("file:///a.qosa", "a { b", out, log));
  const std::string body =
      R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"diagnostics":[)"
      R"({"message":"Eksik kapatma parantezi: 1 açılış, 0 kapanış","range":{"end":{"character":1,"line":0},)"
      R"("start":{"character":0,"line":0}},"severity":1,"source":"QOSA"}],"uri":"file:///a.qosa"}})";
  EXPECT_EQ(sink.text(), testing::frame(body));

  sink.writes.clear();
  ASSERT_TRUE(publish_diagnostics("file:///a.qosa", "{}", out, log));
  const std::string empty =
      R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"diagnostics":[],"uri":"file:///a.qosa"}})";
  EXPECT_EQ(sink.text(), testing::frame(empty));
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
