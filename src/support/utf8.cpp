#include "support/utf8.h"

#include <cstring>

#ifdef QOSA_HAVE_SIMDJSON
#include <simdjson.h>
#endif

namespace qosa::support {

std::string Utf8Error::message() const {
  if (length) {
    return "invalid utf-8 sequence of " + std::to_string(*length) + " bytes from index " +
           std::to_string(valid_up_to);
  }
  return "incomplete utf-8 byte sequence from index " + std::to_string(valid_up_to);
}


namespace {

// Finds where and how the bytes stop being UTF-8; the fast check below says
// only whether they do.
std::optional<Utf8Error> locate_utf8_error(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    // ASCII fast path, eight bytes at a time.
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      if (word & 0x8080808080808080ULL) break;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char b0 = p[i];
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    auto invalid = [&](std::size_t len) { return Utf8Error{start, len}; };
    auto incomplete = [&]() { return Utf8Error{start, std::nullopt}; };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      if (i + 1 >= n) return incomplete();
      if (!is_utf8_continuation(p[i + 1])) return invalid(1);
      i += 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      if (i + 1 >= n) return incomplete();
      const unsigned char b1 = p[i + 1];
      const bool ok = (b0 == 0xE0)   ? (b1 >= 0xA0 && b1 <= 0xBF)
                      : (b0 == 0xED) ? (b1 >= 0x80 && b1 <= 0x9F)
                                     : is_utf8_continuation(b1);
      if (!ok) return invalid(1);
      if (i + 2 >= n) return incomplete();
      if (!is_utf8_continuation(p[i + 2])) return invalid(2);
      i += 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      if (i + 1 >= n) return incomplete();
      const unsigned char b1 = p[i + 1];
      const bool ok = (b0 == 0xF0)   ? (b1 >= 0x90 && b1 <= 0xBF)
                      : (b0 == 0xF4) ? (b1 >= 0x80 && b1 <= 0x8F)
                                     : is_utf8_continuation(b1);
      if (!ok) return invalid(1);
      if (i + 2 >= n) return incomplete();
      if (!is_utf8_continuation(p[i + 2])) return invalid(2);
      if (i + 3 >= n) return incomplete();
      if (!is_utf8_continuation(p[i + 3])) return invalid(3);
      i += 4;
    } else {
      return invalid(1);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Utf8Error> validate_utf8(std::string_view bytes) {
  // SIMD validation (several GB/s on text with many non-ASCII letters); the
  // byte-wise walk runs only to word the error.
#ifdef QOSA_HAVE_SIMDJSON
  if (simdjson::validate_utf8(bytes.data(), bytes.size())) return std::nullopt;
#endif
  return locate_utf8_error(bytes);
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::optional<Decoded> decode_utf8_checked(std::string_view text, std::size_t pos) {
  const auto b0 = static_cast<unsigned char>(text[pos]);
  if (b0 < 0x80) return Decoded{b0, 1};
  const std::size_t len = utf8_sequence_length(b0);
  if (b0 < 0xC2 || b0 > 0xF4 || pos + len > text.size()) return std::nullopt;
  // The second byte's range rules out overlong forms, surrogates and values
  // past U+10FFFF, which would otherwise decode to letters or white space.
  const auto b1 = static_cast<unsigned char>(text[pos + 1]);
  const unsigned lo = b0 == 0xE0 ? 0xA0 : b0 == 0xF0 ? 0x90 : 0x80;
  const unsigned hi = b0 == 0xED ? 0x9F : b0 == 0xF4 ? 0x8F : 0xBF;
  if (b1 < lo || b1 > hi) return std::nullopt;
  for (std::size_t k = 2; k < len; ++k) {
    if (!is_utf8_continuation(static_cast<unsigned char>(text[pos + k]))) return std::nullopt;
  }
  return decode_utf8(text, pos);
}

std::size_t count_chars(std::string_view text) {
  std::size_t count = 0;
  for (char ch : text) count += !is_utf8_continuation(static_cast<unsigned char>(ch));
  return count;
}

}  // namespace qosa::support
