#include "lsp/positions.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/utf8.h"

namespace qosa::lsp {
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

TEST(PositionToOffset, Table) {
  struct Case {
    std::string_view text;
    std::uint32_t line, character;
    std::optional<std::uint64_t> offset;
  };
  const Case cases[] = {
      {"ab\ncd", 1, 1, 4},
      {"ab\r\ncd", 1, 1, 5},    // "\r\n" counts two bytes
      {"abc", 0, 10, 3},        // clamped to the line's end
      {"ab\r\ncd", 0, 5, 2},    // the end of a line stops before its break
      {"a\rb\ncd", 1, 0, 4},    // a lone "\r" belongs to the line
      {"abc\n", 1, 0, 4},       // past the last line: the length
      {"abc", 1, 0, 4},         // ... plus one without a final break
      {"", 0, 0, 0},
      {"", 3, 3, 0},
      // Columns count UTF-16 units: "ç" is one unit and two bytes, so
      // column 1 is byte 2, just after the letter.
      {"çb", 0, 1, 2},
      {"ğüş\nçö", 1, 2, 11},
      {"İı", 0, 2, 4},
      // "😀" is two units and four bytes; column 1 falls inside it.
      {"😀x", 0, 2, 4},
      {"😀x", 0, 1, std::nullopt},
      {"😀x", 0, 3, 5},
      {"x😀", 0, 9, 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(position_to_offset(c.text, c.line, c.character), c.offset)
        << c.text << " (" << c.line << "," << c.character << ")";
  }
}

TEST(Utf16Columns, AgreesWithTheOneOffsetHelperInOnePass) {
  // Every byte offset, in order, including offsets inside characters and past the end.
  for (std::string_view line : {"", "abc", "değişken ağaç = 1", "x 😀 y 😀😀 ğ", "ℝ😀"}) {
    Utf16Columns columns(line);
    for (std::uint64_t offset = 0; offset <= line.size() + 2; ++offset) {
      EXPECT_EQ(columns.column(offset), utf16_of_byte_offset(line, offset)) << line << " " << offset;
    }
  }
}

// ---- Generated lines: the walk against a decoder, the fast shapes against the walk.

// Lines of one kind of character each, and mixes: ASCII, Turkish letters
// (two bytes), three-byte and four-byte characters.
std::vector<std::string> generated_lines() {
  const std::array<std::vector<std::string_view>, 4> kinds{{
      {"a", "Z", "0", " ", "_", "(", "=", "\t"},
      {"ç", "ğ", "ı", "İ", "ö", "ş", "ü", "Ş"},
      {"€", "ℝ", "漢", "字", "\u3000", "\u2028"},
      {"😀", "𝔸", "𝐀", "🙂"},
  }};
  std::mt19937 random(16);
  std::vector<std::string> lines{""};
  for (int round = 0; round < 200; ++round) {
    // One kind alone (rounds 0 to 3 mod 5) or all of them mixed.
    const std::size_t only = static_cast<std::size_t>(round % 5);
    const int length = std::uniform_int_distribution<int>(1, 150)(random);
    std::string line;
    for (int i = 0; i < length; ++i) {
      const auto& kind = kinds[only < kinds.size() ? only : random() % kinds.size()];
      line += kind[random() % kind.size()];
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

bool is_ascii(std::string_view line) {
  for (char c : line) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The line decoded a character at a time: where each starts in bytes and in
// UTF-16 units, with the line's end as a last entry.
struct Decoded {
  std::vector<std::uint64_t> byte;
  std::vector<std::uint64_t> unit;
};
Decoded decode(std::string_view line) {
  Decoded d;
  std::uint64_t units = 0;
  for (std::size_t i = 0; i < line.size();) {
    const auto c = support::decode_utf8(line, i);
    d.byte.push_back(i);
    d.unit.push_back(units);
    units += c.code_point >= 0x10000 ? 2 : 1;  // a surrogate pair outside the Basic Multilingual Plane
    i += c.length;
  }
  d.byte.push_back(line.size());
  d.unit.push_back(units);
  return d;
}

TEST(Positions, TheWalkCountsAsADecoderDoes) {
  for (const std::string& line : generated_lines()) {
    const Decoded d = decode(line);
    const std::size_t chars = d.byte.size() - 1;
    const std::uint64_t units = d.unit.back();
    for (std::uint64_t k = 0; k <= chars + 2; ++k) {
      const std::uint64_t want = k <= chars ? d.unit[k] : units + (k - chars);
      EXPECT_EQ(utf16_of_char_index(line, k), want) << line << " char " << k;
    }
    // Each UTF-16 column: the character it starts or falls inside.
    std::size_t k = 0;
    for (std::uint64_t column = 0; column <= units + 2; ++column) {
      while (k < chars && d.unit[k + 1] <= column) ++k;
      const ByteColumn bytes = byte_offset_of_utf16(line, column);
      if (column >= units) {
        EXPECT_EQ(bytes.offset, line.size() + (column - units)) << line << " column " << column;
        EXPECT_EQ(char_index_of_utf16(line, column), chars + (column - units));
        EXPECT_FALSE(bytes.splits_character);
        continue;
      }
      EXPECT_EQ(bytes.offset, d.byte[k]) << line << " column " << column;
      EXPECT_EQ(bytes.splits_character, d.unit[k] != column) << line << " column " << column;
      EXPECT_EQ(char_index_of_utf16(line, column), k) << line << " column " << column;
    }
    // Each byte offset: the character it starts or falls inside.
    k = 0;
    for (std::uint64_t offset = 0; offset <= line.size() + 2; ++offset) {
      while (k < chars && d.byte[k + 1] <= offset) ++k;
      const std::uint64_t want = offset >= line.size() ? units + (offset - line.size()) : d.unit[k];
      EXPECT_EQ(utf16_of_byte_offset(line, offset), want) << line << " byte " << offset;
    }
    EXPECT_EQ(utf16_size(line), units);
  }
}

TEST(Positions, CursorAndTableAgreeWithTheWalk) {
  std::mt19937 random(61);
  Utf16ColumnTable table;  // kept from line to line, as its callers keep it
  for (const std::string& line : generated_lines()) {
    // Offsets in increasing order, some skipped, some asked twice.
    Utf16Columns cursor(line);
    for (std::uint64_t offset = 0; offset <= line.size() + 3; offset += random() % 3) {
      EXPECT_EQ(cursor.column(offset), utf16_of_byte_offset(line, offset)) << line << " " << offset;
    }
    // The table, built or taken as ASCII where the line is.
    for (const bool ascii : {false, true}) {
      if (ascii && !is_ascii(line)) continue;
      table.assign(line, ascii);
      for (std::size_t offset = 0; offset <= line.size(); ++offset) {
        EXPECT_EQ(table.column(offset), utf16_of_byte_offset(line, offset)) << line << " " << offset;
      }
    }
  }
}

// The counter over `text`, 64 bytes at a time with the masks built byte by
// byte, against the decoder at every character start.
void expect_block_counts(std::string_view text) {
  const Decoded d = decode(text);
  std::size_t k = 0;  // the character at `pos` below
  Utf16BlockCounter counter;
  for (std::size_t base = 0; base < text.size(); base += 64) {
    std::uint64_t continuation = 0;
    std::uint64_t four_byte_lead = 0;
    for (unsigned i = 0; i < 64 && base + i < text.size(); ++i) {
      const auto b = static_cast<unsigned char>(text[base + i]);
      if (b >= 0x80 && b < 0xC0) continuation |= std::uint64_t{1} << i;
      if (b >= 0xF0) four_byte_lead |= std::uint64_t{1} << i;
    }
    counter.enter_block(continuation, four_byte_lead);
    for (unsigned i = 0; i <= 64 && base + i <= text.size(); ++i) {
      const std::size_t pos = base + i;
      if (pos < text.size() && support::is_utf8_continuation(static_cast<unsigned char>(text[pos]))) continue;
      while (d.byte[k] < pos) ++k;
      ASSERT_EQ(counter.units_before(i), d.unit[k]) << "byte " << pos << " of " << text.size();
    }
  }
}

TEST(Positions, BlockCounterAgreesWithTheWalk) {
  // Characters that end a block or cross into the next one, alone in it.
  const std::string a63(63, 'a');
  for (const std::string& text : {a63 + "😀b", a63 + "ğb", a63 + "€b", a63.substr(3) + "😀" + a63 + "😀",
                                  a63.substr(1) + "ğ" + a63, std::string("😀") + a63 + a63}) {
    expect_block_counts(text);
  }
  // Generated lines joined by both line breaks, cut on character boundaries.
  std::string text;
  std::mt19937 random(3);
  for (const std::string& line : generated_lines()) text += line + (random() % 2 ? "\n" : "\r\n");
  for (std::size_t size : {text.size(), text.size() - 1, std::size_t{0}, std::size_t{63}, std::size_t{64}, std::size_t{1000}}) {
    while (size > 0 && size < text.size() && support::is_utf8_continuation(static_cast<unsigned char>(text[size]))) --size;
    expect_block_counts(std::string_view(text).substr(0, size));
  }
}

}  // namespace
}  // namespace qosa::lsp
