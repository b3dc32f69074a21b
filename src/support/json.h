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
