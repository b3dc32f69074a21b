// UTF-8: the one validator and the one decoder that every scan shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qosa::support {

// Where and how a byte sequence stops being UTF-8. `length` is the size of
// the invalid sequence, or none when the input ends inside a character.
struct Utf8Error {
  std::size_t valid_up_to;
  std::optional<std::size_t> length;

  // "invalid utf-8 sequence of {n} bytes from index {i}" or
  // "incomplete utf-8 byte sequence from index {i}".
  std::string message() const;
};

// None when `bytes` is valid UTF-8 (surrogates and overlong forms are not).
std::optional<Utf8Error> validate_utf8(std::string_view bytes);

inline bool is_valid_utf8(std::string_view bytes) { return !validate_utf8(bytes); }

// One decoded character: its scalar value and how many bytes it took.
struct Decoded {
  char32_t code_point;
  std::size_t length;
};

// Decodes the character at `pos` of valid UTF-8 text. Precondition: pos < text.size().
inline Decoded decode_utf8(std::string_view text, std::size_t pos) {
  const auto b0 = static_cast<unsigned char>(text[pos]);
  if (b0 < 0x80) return {b0, 1};
  auto cont = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(text[pos + i]) & 0x3F);
  };
  if (b0 < 0xE0) return {(static_cast<char32_t>(b0 & 0x1F) << 6) | cont(1), 2};
  if (b0 < 0xF0) return {(static_cast<char32_t>(b0 & 0x0F) << 12) | (cont(1) << 6) | cont(2), 3};
  return {(static_cast<char32_t>(b0 & 0x07) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3), 4};
}

// Decodes the character at `pos` of any bytes; none when no valid UTF-8
// character starts there. Precondition: pos < text.size().
std::optional<Decoded> decode_utf8_checked(std::string_view text, std::size_t pos);

// A byte that continues a character rather than starting one.
inline bool is_utf8_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Byte length of the character that starts with `lead` in valid UTF-8.
inline std::size_t utf8_sequence_length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}


void append_utf8(std::string& out, char32_t c);

// Number of characters (scalar values) of valid UTF-8 text.
std::size_t count_chars(std::string_view text);

}  // namespace qosa::support
