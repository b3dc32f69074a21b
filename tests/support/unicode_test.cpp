#include "support/unicode.h"

#include <gtest/gtest.h>

#include <unicode/ucasemap.h>

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

// The character-at-a-time path must give the case map's answer for every
// character, between letters (where a final sigma would differ) and alone.
TEST(Unicode, LowercaseOfEveryCharacterIsTheFullMapping) {
  UErrorCode status = U_ZERO_ERROR;
  UCaseMap* map = ucasemap_open("", 0, &status);
  ASSERT_TRUE(U_SUCCESS(status));
  std::string out;
  char expected[64];
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    for (const std::string_view around : {"", "A"}) {
      std::string text(around);
      append_utf8(text, c);
      text += around;
      status = U_ZERO_ERROR;
      const int32_t n = ucasemap_utf8ToLower(map, expected, sizeof expected, text.data(),
                                             static_cast<int32_t>(text.size()), &status);
      ASSERT_TRUE(U_SUCCESS(status));
      to_lower(text, out);
      ASSERT_EQ(out, std::string_view(expected, static_cast<std::size_t>(n))) << std::hex << static_cast<unsigned>(c);
    }
  }
  ucasemap_close(map);
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
