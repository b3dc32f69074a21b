// Hexadecimal digits, for the lexer's numbers and the URL parser's escapes
// and IPv6 pieces.
#pragma once

namespace qosa::support {

// The value of an ASCII hexadecimal digit of either case, or -1 for any
// other byte.
constexpr int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr bool is_hex_digit(char c) { return hex_digit_value(c) >= 0; }

// The same for a byte already known to be a digit, without a jump: the
// letters (0x41 to 0x46, 0x61 to 0x66) have bit 6 set, the digits do not.
constexpr int known_hex_digit_value(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b & 0xF) + 9 * (b >> 6);
}

}  // namespace qosa::support
