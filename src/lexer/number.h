// Checked conversions of number literal texts: no overflow, no undefined behaviour.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qosa::lexer {

// ASCII decimal digits to a signed 64-bit value; none when above INT64_MAX or
// when a character is not an ASCII digit.
std::optional<std::int64_t> parse_decimal(std::string_view digits);

// ASCII hexadecimal digits (no "0x") to a signed 64-bit value; none above INT64_MAX.
std::optional<std::int64_t> parse_hex(std::string_view digits);

// ASCII digits, ".", ASCII digits (either run may be empty but the first) to
// the nearest double. Too large for a double rounds to infinity, too small to 0.
std::optional<double> parse_float(std::string_view text);

}  // namespace qosa::lexer
