#include "support/columns.h"

#include <gtest/gtest.h>

#include <limits>

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

// Columns near 2^64 past the end of lines whose characters take more bytes
// or units than they count: the excess saturates at 2^64 - 1 instead of
// wrapping round onto a place inside the line.
TEST(Columns, LargestColumnsSaturate) {
  constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
  const std::string_view turkish = "yaz(ğğğğğğğğ";  // 12 characters and units, 20 bytes
  const std::string_view emoji = "😀😀";             // 2 characters, 4 units, 8 bytes
  struct Case {
    std::string_view line;
    std::uint64_t utf16_column;
    std::uint64_t bytes;
  };
  const Case cases[] = {
      {turkish, most, most},  // wrapped to byte 7, inside the second "ğ"
      {turkish, most - 1, most},
      {turkish, most - 7, most},
      {turkish, most - 8, most},  // exactly 2^64 - 1, no wrap
      {turkish, most - 9, most - 1},
      {turkish, std::uint64_t{1} << 63, (std::uint64_t{1} << 63) + 8},
      {emoji, most, most},  // wrapped to byte 3, inside the first emoji
      {emoji, most - 4, most},
      {emoji, most - 5, most - 1},
  };
  for (const Case& c : cases) {
    const ByteColumn column = byte_offset_of_utf16(c.line, c.utf16_column);
    EXPECT_EQ(column.offset, c.bytes) << c.line << " " << c.utf16_column;
    EXPECT_FALSE(column.splits_character);
  }
  // A character index counts no more than the units of the characters it passes.
  EXPECT_EQ(utf16_of_char_index(emoji, most), most);  // wrapped to 1
  EXPECT_EQ(utf16_of_char_index(emoji, most - 2), most);
  EXPECT_EQ(utf16_of_char_index(emoji, most - 3), most - 1);
  // The other two subtract more than they add: nothing to saturate.
  EXPECT_EQ(char_index_of_utf16(emoji, most), most - 2);
  EXPECT_EQ(utf16_of_byte_offset(turkish, most), most - 8);
}

}  // namespace
}  // namespace qosa::support
