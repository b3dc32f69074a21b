#include "support/unicode.h"

#include <gtest/gtest.h>

#include "support/utf8.h"

namespace qosa::support {
namespace {

TEST(Unicode, Properties) {
  EXPECT_TRUE(is_white_space(U'\u00A0'));
  EXPECT_TRUE(is_white_space(U'\u3000'));
  EXPECT_TRUE(is_white_space(U'\x0B'));
  EXPECT_FALSE(is_white_space(U'\uFEFF'));
  EXPECT_TRUE(is_alphabetic(U'ğ'));
  EXPECT_TRUE(is_alphabetic(U'İ'));
  EXPECT_FALSE(is_alphabetic(U'_'));
  EXPECT_TRUE(is_numeric(U'²'));  // No
  EXPECT_TRUE(is_numeric(U'Ⅻ'));  // Nl
  EXPECT_TRUE(is_numeric(U'٣'));  // Nd
  EXPECT_FALSE(is_numeric(U'x'));
}

TEST(Unicode, FullLowercaseMapping) {
  EXPECT_EQ(to_lower("EĞER"), "eğer");
  EXPECT_EQ(to_lower("İ"), "i\u0307");
  EXPECT_EQ(to_lower("ABC"), "abc");
}

TEST(Unicode, LowercasesIntoAReusedBuffer) {
  // Growing (İ), shrinking and ASCII texts in turn through one buffer.
  std::string out;
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"İİİİ", "i\u0307i\u0307i\u0307i\u0307"}, {"a", "a"}, {"ŞEKER Σ", "şeker σ"},
      {"", ""}, {"X İ", "x i\u0307"}, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz"},
  };
  for (const auto& [text, lower] : cases) {
    to_lower(text, out);
    EXPECT_EQ(out, lower) << text;
  }
}

TEST(Unicode, TrimsWhiteSpace) {
  EXPECT_EQ(trim("\u00A0 a b\r\n"), "a b");
  EXPECT_EQ(trim("   "), "");
  EXPECT_EQ(trim_start("  x "), "x ");
  EXPECT_EQ(trim_end("  x \u3000"), "  x");
}

}  // namespace
}  // namespace qosa::support
