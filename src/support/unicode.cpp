#include "support/unicode.h"

#include <array>

#include "support/unicode_data.h"
#include "support/utf8.h"

namespace qosa::support {
namespace {

namespace data = unicode_data;

constexpr char32_t capital_sigma = U'\u03A3';
constexpr char32_t small_sigma = U'\u03C3';
constexpr char32_t final_sigma = U'\u03C2';

// The properties of the Basic Multilingual Plane, one byte per code point,
// filled once from the range lists: one load instead of a binary search.
enum Flag : std::uint8_t {
  alphabetic = 1 << 0,
  numeric = 1 << 1,
  white_space = 1 << 2,
  cased = 1 << 3,
  case_ignorable = 1 << 4,
  lowercase_changes = 1 << 5,
};

using BmpFlags = std::array<std::uint8_t, 0x10000>;

void set_flag(BmpFlags& flags, std::span<const data::Range> ranges, Flag flag) {
  for (const data::Range& range : ranges) {
    for (char32_t c = range.first; c <= range.last && c < flags.size(); ++c) flags[c] |= flag;
  }
}

const BmpFlags& bmp_flags() {
  static BmpFlags flags;
  static const bool filled = [] {
    set_flag(flags, data::alphabetic, alphabetic);
    set_flag(flags, data::numeric, numeric);
    set_flag(flags, data::white_space, white_space);
    set_flag(flags, data::cased, cased);
    set_flag(flags, data::case_ignorable, case_ignorable);
    for (std::size_t i = 0; i < data::lowercase.size(); ++i) {
      const data::MapRun& run = data::lowercase[i];
      const char32_t end = i + 1 < data::lowercase.size() ? data::lowercase[i + 1].start : 0x110000;
      if (run.kind == data::MapKind::same) continue;
      for (char32_t c = run.start; c < end && c < flags.size(); ++c) {
        if (run.kind != data::MapKind::alternate || (c - run.start) % 2 == 0) flags[c] |= lowercase_changes;
      }
    }
    return true;
  }();
  (void)filled;
  return flags;
}

bool has(char32_t c, Flag flag, std::span<const data::Range> ranges) {
  if (c < 0x10000) return (bmp_flags()[c] & flag) != 0;
  return data::contains(ranges, c);
}

// For the final-sigma context: case-ignorable characters are skipped even
// when they are cased too, as ICU does.
enum class CaseContext { skip, cased, other };

CaseContext case_context(char32_t c) {
  if (has(c, case_ignorable, data::case_ignorable)) return CaseContext::skip;
  return has(c, cased, data::cased) ? CaseContext::cased : CaseContext::other;
}

// A capital sigma at [at, at + 2) is final when a cased letter comes before
// it and none after it, case-ignorable characters between not counting.
bool is_final_sigma(std::string_view text, std::size_t at) {
  bool preceded = false;
  for (std::size_t end = at; end > 0;) {
    std::size_t start = end - 1;
    while (start > 0 && is_utf8_continuation(static_cast<unsigned char>(text[start]))) --start;
    const CaseContext context = case_context(decode_utf8(text, start).code_point);
    if (context != CaseContext::skip) {
      preceded = context == CaseContext::cased;
      break;
    }
    end = start;
  }
  if (!preceded) return false;
  for (std::size_t i = at + 2; i < text.size();) {
    const Decoded d = decode_utf8(text, i);
    const CaseContext context = case_context(d.code_point);
    if (context != CaseContext::skip) return context != CaseContext::cased;
    i += d.length;
  }
  return true;
}

}  // namespace

bool is_white_space(char32_t c) {
  if (c < 0x80) return c == ' ' || (c >= 0x09 && c <= 0x0D);
  return has(c, white_space, data::white_space);
}

bool is_alphabetic(char32_t c) {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  return has(c, alphabetic, data::alphabetic);
}

bool is_numeric(char32_t c) {
  if (c < 0x80) return c >= '0' && c <= '9';
  return has(c, numeric, data::numeric);
}

void to_lower(std::string_view text, std::string& out) {
  out.resize(text.size());
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char ch = text[i];
    if (static_cast<unsigned char>(ch) >= 0x80) break;
    out[i] = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
  }
  if (i == text.size()) return;
  // The rest one character at a time, written in place; only a few
  // characters (İ) map to more bytes than they take.
  std::size_t written = i;
  auto put = [&](std::string_view bytes) {
    if (written + bytes.size() > out.size()) out.resize(out.size() + out.size() / 2 + bytes.size());
    for (char b : bytes) out[written++] = b;
  };
  std::string mapped;
  while (i < text.size()) {
    const Decoded d = decode_utf8(text, i);
    if (d.code_point < 0x80) {
      const char ch = static_cast<char>(d.code_point);
      const char lower = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
      put({&lower, 1});
    } else if (d.code_point < 0x10000 && (bmp_flags()[d.code_point] & lowercase_changes) == 0) {
      put(text.substr(i, d.length));
    } else {
      mapped.clear();
      if (d.code_point == capital_sigma) {
        append_utf8(mapped, is_final_sigma(text, i) ? final_sigma : small_sigma);
      } else {
        data::emit_mapping(data::run_of(data::lowercase, d.code_point), d.code_point,
                           [&](char32_t to) { append_utf8(mapped, to); });
      }
      put(mapped);
    }
    i += d.length;
  }
  out.resize(written);
}

std::string to_lower(std::string_view text) {
  std::string out;
  to_lower(text, out);
  return out;
}

std::string_view trim_start(std::string_view text) {
  std::size_t i = 0;
  // Indentation is spaces and tabs: skip them without decoding.
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  while (i < text.size()) {
    const Decoded d = decode_utf8(text, i);
    if (!is_white_space(d.code_point)) break;
    i += d.length;
  }
  return text.substr(i);
}

std::string_view trim_end(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    std::size_t start = end - 1;
    while (start > 0 && is_utf8_continuation(static_cast<unsigned char>(text[start]))) --start;
    if (!is_white_space(decode_utf8(text, start).code_point)) break;
    end = start;
  }
  return text.substr(0, end);
}

std::string_view trim(std::string_view text) { return trim_end(trim_start(text)); }

std::string_view until_white_space(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size()) {
    const Decoded d = decode_utf8(text, end);
    if (is_white_space(d.code_point)) break;
    end += d.length;
  }
  return text.substr(0, end);
}

}  // namespace qosa::support
