// Compact JSON text of Boost.JSON values. Object members are written sorted
// byte-wise by name, so every object we send reads as a map ordered by name;
// envelopes whose order is fixed are written member by member by their owners.
#pragma once

#include <boost/json/value.hpp>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qosa::support {

// Appends the compact text of `value`.
void append_json(std::string& out, const boost::json::value& value);

// Appends `text` as a quoted JSON string.
void append_json_string(std::string& out, std::string_view text);

std::string to_json_text(const boost::json::value& value);

// Writers into a buffer already sized, for answers of thousands of items
// written in one go: each returns the end of what it wrote.

// Room `write_decimal` needs at most.
inline constexpr std::size_t max_decimal_digits = 20;

// The decimal digits of v, two at a time from a table.
char* write_decimal(char* p, std::uint64_t v);

// "00" to "99", two characters each.
inline constexpr auto decimal_digit_pairs = [] {
  struct Pairs {
    char chars[200];
  } pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs.chars[2 * i] = static_cast<char>('0' + i / 10);
    pairs.chars[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// The same, inline, for the numbers of positions (lines and columns of
// program text are mostly below 10,000).
[[gnu::always_inline]] inline char* write_small_decimal(char* p, std::uint32_t v) {
  const char* pairs = decimal_digit_pairs.chars;
  if (v < 100) {
    if (v < 10) {
      *p = static_cast<char>('0' + v);
      return p + 1;
    }
    std::memcpy(p, pairs + 2 * v, 2);
    return p + 2;
  }
  if (v < 10000) {
    if (v < 1000) {
      *p = static_cast<char>('0' + v / 100);
      std::memcpy(p + 1, pairs + 2 * (v % 100), 2);
      return p + 3;
    }
    std::memcpy(p, pairs + 2 * (v / 100), 2);
    std::memcpy(p + 2, pairs + 2 * (v % 100), 2);
    return p + 4;
  }
  return write_decimal(p, v);
}

// Appends the decimal digits of v, with a "-" before a negative one.
void append_decimal(std::string& out, std::uint64_t v);
void append_decimal(std::string& out, std::int64_t v);

// Room `write_json_escaped` needs at most for `text`: every byte may become
// a six-byte \u escape.
constexpr std::size_t max_json_escaped_size(std::string_view text) { return 6 * text.size(); }

// `text` as the inside of a JSON string (no quotes), escaped as
// append_json_string escapes it.
char* write_json_escaped(char* p, std::string_view text);

inline char* write_bytes(char* p, std::string_view bytes) {
  std::memcpy(p, bytes.data(), bytes.size());
  return p + bytes.size();
}

// The shortest digits that read back as `d`, as integer, decimal or exponent
// form by the position of the decimal point: "1.0", "0.001", "1e20", "1.5e-7";
// "NaN", "inf" and "-inf" for the values JSON cannot hold.
std::string double_text(double d);

}  // namespace qosa::support
