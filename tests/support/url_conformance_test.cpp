// Runs every absolute-URL case (no base) of the web-platform-tests URL data.
#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/url.h"

namespace qosa::support {
namespace {

// Cases where the installed ICU's UTS #46 data answers differently from the
// data's expectation. `actual` is what we give: an href, or "" for a failure.
struct IcuException {
  const char* input;
  const char* actual;
  const char* reason;
};

const std::vector<IcuException> icu_exceptions = {};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string as_string(const boost::json::value& v) { return std::string(v.as_string()); }

// The "search" and "hash" forms: empty for an empty query or fragment.
std::string with_prefix(char prefix, std::optional<std::string_view> part) {
  std::string text;
  if (part && !part->empty()) {
    text += prefix;
    text += *part;
  }
  return text;
}

std::string port_of(const Url& url) { return url.port() ? std::to_string(*url.port()) : ""; }

const IcuException* find_exception(const std::string& input) {
  for (const auto& e : icu_exceptions) {
    if (input == e.input) return &e;
  }
  return nullptr;
}

TEST(UrlConformance, EveryCaseWithoutBase) {
  const std::string path = std::string(QOSA_SOURCE_DIR) + "/tests/support/data/urltestdata.json";
  const std::string text = read_file(path);
  ASSERT_FALSE(text.empty()) << "missing URL test data: " << path;
  boost::system::error_code ec;
  const boost::json::value data = boost::json::parse(text, ec);
  ASSERT_FALSE(ec) << ec.message();
  ASSERT_TRUE(data.is_array());

  std::size_t cases = 0;
  std::set<std::string> exceptions_seen;
  for (const auto& entry : data.as_array()) {
    if (!entry.is_object()) continue;  // comments
    const auto& c = entry.as_object();
    if (!c.at("base").is_null()) continue;
    ++cases;
    const std::string input = as_string(c.at("input"));
    const auto url = parse_url(input);
    const bool expect_failure = c.contains("failure");
    const std::string expected = expect_failure ? "" : as_string(c.at("href"));
    const std::string actual = url ? url->href() : "";

    if (const auto* e = find_exception(input)) {
      EXPECT_NE(actual, expected) << "no longer an exception: " << input;
      EXPECT_EQ(actual, e->actual) << input;
      exceptions_seen.insert(input);
      continue;
    }
    if (expect_failure) {
      EXPECT_FALSE(url) << "input: " << input << "\n  gave: " << actual;
      continue;
    }
    ASSERT_TRUE(url) << "input: " << input << "\n  error: " << url.error().message;
    EXPECT_EQ(url->href(), expected) << "input: " << input;
    EXPECT_EQ(std::string(url->scheme()) + ":", as_string(c.at("protocol"))) << input;
    EXPECT_EQ(url->username(), as_string(c.at("username"))) << input;
    EXPECT_EQ(url->password(), as_string(c.at("password"))) << input;
    EXPECT_EQ(url->host(), as_string(c.at("hostname"))) << input;
    EXPECT_EQ(port_of(*url), as_string(c.at("port"))) << input;
    EXPECT_EQ(url->path(), as_string(c.at("pathname"))) << input;
    EXPECT_EQ(with_prefix('?', url->query()), as_string(c.at("search"))) << input;
    EXPECT_EQ(with_prefix('#', url->fragment()), as_string(c.at("hash"))) << input;
  }
  EXPECT_GT(cases, 0u);
  for (const auto& e : icu_exceptions) {
    EXPECT_TRUE(exceptions_seen.count(e.input)) << "unused: " << e.input;
  }
}

}  // namespace
}  // namespace qosa::support
