#include "support/utf8.h"

#include <gtest/gtest.h>

namespace qosa::support {
namespace {

struct Utf8Case {
  std::string bytes;
  std::string message;  // empty when valid
};

TEST(Utf8, ValidatesLikeTheDecoderReportsIt) {
  const Utf8Case cases[] = {
      {"", ""},
      {"plain ascii text, longer than eight bytes", ""},
      {"de\xC4\x9Fi\xC5\x9Fken", ""},
      {"\xF0\x9F\x98\x80", ""},
      {"ab\xFF", "invalid utf-8 sequence of 1 bytes from index 2"},
      {"\xC0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xED\xA0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // surrogate
      {"\xE2\x82", "incomplete utf-8 byte sequence from index 0"},
      {"x\xE2\x82y", "invalid utf-8 sequence of 2 bytes from index 1"},
      {"\xF0\x9F\x98", "incomplete utf-8 byte sequence from index 0"},
      {"\xF0\x9F\x98z", "invalid utf-8 sequence of 3 bytes from index 0"},
      {"\xF4\x90\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"0123456789\x80", "invalid utf-8 sequence of 1 bytes from index 10"},
      {"\xC3", "incomplete utf-8 byte sequence from index 0"},
  };
  for (const auto& c : cases) {
    const auto error = validate_utf8(c.bytes);
    EXPECT_EQ(error ? error->message() : "", c.message) << c.bytes;
  }
}

TEST(Utf8, DecodesAndEncodesEveryLength) {
  for (char32_t c : {U'a', U'ç', U'€', U'😀'}) {
    std::string s;
    append_utf8(s, c);
    const Decoded d = decode_utf8(s, 0);
    EXPECT_EQ(d.code_point, c);
    EXPECT_EQ(d.length, s.size());
    EXPECT_EQ(utf8_sequence_length(static_cast<unsigned char>(s[0])), s.size());
  }
  EXPECT_EQ(count_chars("değişken"), 8u);
}

}  // namespace
}  // namespace qosa::support
