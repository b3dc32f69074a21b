#include "support/json.h"

#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <cstdint>
#include <string>

namespace qosa::support {
namespace {

TEST(JsonWriter, WritesCompactTextWithSortedMembers) {
  struct Case {
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {R"({"b":1,"a":{"d":[1,2],"c":null}})", R"({"a":{"c":null,"d":[1,2]},"b":1})"},
      {R"({"range":1,"Range":2,"r":3})", R"({"Range":2,"r":3,"range":1})"},  // byte order
      {R"([true,false,-5,18446744073709551615])", R"([true,false,-5,18446744073709551615])"},
      {R"([1.5,2.0,1e300,-0.25,1e-7,0.001,1e16,123456.0])", R"([1.5,2.0,1e300,-0.25,1e-7,0.001,1e16,123456.0])"},
      {R"("tab\tquote\"back\\ctl\u0001del\u007f")", "\"tab\\tquote\\\"back\\\\ctl\\u0001del\x7f\""},
      {R"("açılış")", "\"açılış\""},
      {R"({})", R"({})"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(to_json_text(boost::json::parse(c.input)), c.expected) << c.input;
  }
}

TEST(JsonWriter, DecimalDigits) {
  for (const std::uint64_t v : {0ull, 9ull, 10ull, 99ull, 100ull, 101ull, 999ull, 1000ull, 65535ull, 4294967295ull,
                                10000000000ull, 18446744073709551615ull}) {
    char buffer[max_decimal_digits];
    EXPECT_EQ(std::string(buffer, write_decimal(buffer, v)), std::to_string(v));
    std::string appended;
    append_decimal(appended, v);
    EXPECT_EQ(appended, std::to_string(v));
  }
  for (const std::int64_t v : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{-32601}, std::int64_t{9223372036854775807},
                               std::int64_t{-9223372036854775807} - 1}) {
    std::string appended;
    append_decimal(appended, v);
    EXPECT_EQ(appended, std::to_string(v));
  }
}

// Every byte, alone and between others, escapes as append_json_string escapes it.
TEST(JsonWriter, EscapedTextAsTheStringWriterWritesIt) {
  for (int b = 0; b < 256; ++b) {
    const std::string text = std::string("a") + static_cast<char>(b) + "ç";
    std::string quoted;
    append_json_string(quoted, text);
    std::string buffer(max_json_escaped_size(text), '\0');
    const std::string written(buffer.data(), write_json_escaped(buffer.data(), text));
    EXPECT_EQ('"' + written + '"', quoted) << b;
  }
}

}  // namespace
}  // namespace qosa::support
