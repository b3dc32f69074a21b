#include "support/columns.h"

#include <gtest/gtest.h>

namespace qosa::support {
namespace {

// "değişken x": ğ and ş take two bytes but one UTF-16 unit; 😀 takes four bytes and two units.
TEST(Columns, Utf16ToBytesAndCharacters) {
  const std::string_view line = "değişken x";
  EXPECT_EQ(byte_offset_of_utf16(line, 9).offset, 11u);
  EXPECT_EQ(char_index_of_utf16(line, 9), 9u);
  EXPECT_EQ(byte_offset_of_utf16(line, 12).offset, 12u + 2);  // past the end keeps the excess
  EXPECT_EQ(char_index_of_utf16(line, 12), 12u);

  const std::string_view emoji = "a😀b";
  EXPECT_EQ(byte_offset_of_utf16(emoji, 3).offset, 5u);
  EXPECT_EQ(char_index_of_utf16(emoji, 3), 2u);
  const ByteColumn inside = byte_offset_of_utf16(emoji, 2);
  EXPECT_EQ(inside.offset, 1u);
  EXPECT_TRUE(inside.splits_character);
  EXPECT_EQ(char_index_of_utf16(emoji, 2), 1u);
}

TEST(Columns, BackToUtf16) {
  const std::string_view emoji = "a😀b";
  EXPECT_EQ(utf16_of_byte_offset(emoji, 5), 3u);
  EXPECT_EQ(utf16_of_byte_offset(emoji, 3), 1u);  // inside the emoji: its start
  EXPECT_EQ(utf16_of_byte_offset(emoji, 8), 6u);  // two bytes past the end
  EXPECT_EQ(utf16_of_char_index(emoji, 2), 3u);
  EXPECT_EQ(utf16_of_char_index(emoji, 4), 5u);
  EXPECT_EQ(utf16_of_char_index("", 0), 0u);
}

}  // namespace
}  // namespace qosa::support
