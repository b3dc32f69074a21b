#include "support/url.h"

#include <gtest/gtest.h>

#include <string>

namespace qosa::support {
namespace {

struct Case {
  std::string input;
  std::string expected;  // the href, or the error text
};

TEST(Url, PrintsDocumentUris) {
  const Case cases[] = {
      {"file:///home/user/proje/ana.qosa", "file:///home/user/proje/ana.qosa"},
      {"file:///C:/Users/x/a%20b.qosa", "file:///C:/Users/x/a%20b.qosa"},
      {"file:///c%3A/Users/x/a%20b.qosa", "file:///c%3A/Users/x/a%20b.qosa"},
      {"FILE:///x", "file:///x"},
      {"untitled:Untitled-1", "untitled:Untitled-1"},
      {"file:///home/user/dosya adı.qosa", "file:///home/user/dosya%20ad%C4%B1.qosa"},
      {"file:///home/user/proje/../ana.qosa", "file:///home/user/ana.qosa"},
      {"file://localhost/etc/a.qosa", "file:///etc/a.qosa"},
      {"file://wsl.localhost/Ubuntu/a.qosa", "file://wsl.localhost/Ubuntu/a.qosa"},
      {"file:C:\\Users\\x\\a.qosa", "file:///C:/Users/x/a.qosa"},
      {"file:///C:/../../a.qosa", "file:///C:/a.qosa"},  // the drive stays
      {"C:\\Users\\a.qosa", "c:\\Users\\a.qosa"},        // a scheme "c" with an opaque path
      {"vscode-notebook-cell:/a.qosa#W0sZmlsZQ%3D%3D", "vscode-notebook-cell:/a.qosa#W0sZmlsZQ%3D%3D"},
      {"  file:///a\tb.qosa\n", "file:///ab.qosa"},
      {"file:///a\xFF" "b", "file:///a%EF%BF%BDb"},  // invalid UTF-8 reads as U+FFFD
      {"HTTPS://Example.COM:443/a?b c#d e", "https://example.com/a?b%20c#d%20e"},
      {"http://a:" + std::string(10000, '0') + "80/", "http://a/"},
  };
  for (const auto& c : cases) {
    const auto url = parse_url(c.input);
    ASSERT_TRUE(url) << c.input << ": " << url.error().message;
    EXPECT_EQ(url->href(), c.expected) << c.input;
  }
}

TEST(Url, ErrorTexts) {
  const Case cases[] = {
      {"ana.qosa", "relative URL without a base"},
      {"", "relative URL without a base"},
      {"/home/user/ana.qosa", "relative URL without a base"},
      {"1file:///x", "relative URL without a base"},
      {"http://", "empty host"},
      {"http://user@/x", "empty host"},
      {"http://:80/", "empty host"},
      {"sc://:1/", "empty host"},
      {"file://%C2%AD/p", "empty host"},  // the host maps to nothing
      {"http://a:65536/", "invalid port number"},
      {"http://a:8o/", "invalid port number"},
      {"http://a:" + std::string(30, '9') + "/", "invalid port number"},
      {"http://1.2.3.256/", "invalid IPv4 address"},
      {"http://0x100000000/", "invalid IPv4 address"},
      {"http://1.2.3." + std::string(40, '7') + "/", "invalid IPv4 address"},
      {"http://[::1/", "invalid IPv6 address"},
      {"http://[1:2:3]/", "invalid IPv6 address"},
      {"file://[example]/", "invalid IPv6 address"},
      {"http://a<b/", "invalid domain character"},
      {"sc://a b/", "invalid domain character"},
      {"http://ex%25ample/", "invalid domain character"},
      {"file://example:1/", "invalid domain character"},
      {"https://a\u200Db/", "invalid international domain name"},
      {"http://a.b.c.xn--pokxncvks/", "invalid international domain name"},
      {"https://%EF%BF%BD/", "invalid international domain name"},
      {"http://\xFF/", "invalid international domain name"},
  };
  for (const auto& c : cases) {
    const auto url = parse_url(c.input);
    ASSERT_FALSE(url) << c.input << " gave " << url->href();
    EXPECT_EQ(url.error().message, c.expected) << c.input;
  }
}

TEST(Url, Parts) {
  const auto url = parse_url("HTTPS://u:p%40@[0:0::1]:8080/a/b?q=1#f");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->href(), "https://u:p%40@[::1]:8080/a/b?q=1#f");
  EXPECT_EQ(url->scheme(), "https");
  EXPECT_EQ(url->username(), "u");
  EXPECT_EQ(url->password(), "p%40");
  EXPECT_TRUE(url->has_host());
  EXPECT_EQ(url->host(), "[::1]");
  EXPECT_EQ(url->port(), 8080);
  EXPECT_EQ(url->path(), "/a/b");
  EXPECT_EQ(url->query(), "q=1");
  EXPECT_EQ(url->fragment(), "f");

  const auto opaque = parse_url("untitled:Untitled-1");
  ASSERT_TRUE(opaque);
  EXPECT_FALSE(opaque->has_host());
  EXPECT_EQ(opaque->host(), "");
  EXPECT_EQ(opaque->path(), "Untitled-1");
  EXPECT_EQ(opaque->query(), std::nullopt);
  EXPECT_EQ(opaque->fragment(), std::nullopt);

  const auto file = parse_url("file:///a?");
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->has_host());
  EXPECT_EQ(file->host(), "");
  EXPECT_EQ(file->port(), std::nullopt);
  EXPECT_EQ(file->query(), "");
}

// Dot segments are undone by truncating the output, so a long run of them
// costs linear time.
TEST(Url, LongDotSegmentRuns) {
  std::string input = "file:///";
  for (int i = 0; i < 20000; ++i) input += "a/";
  for (int i = 0; i < 30000; ++i) input += "../";
  input += "x";
  const auto url = parse_url(input);
  ASSERT_TRUE(url);
  EXPECT_EQ(url->href(), "file:///x");
}

}  // namespace
}  // namespace qosa::support
