#include "lexer/number.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "support/hex.h"

namespace qosa::lexer {
namespace {

constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

}  // namespace

std::optional<std::int64_t> parse_decimal(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto d = static_cast<std::uint64_t>(c - '0');
    if (value > (kMax - d) / 10) return std::nullopt;
    value = value * 10 + d;
  }
  return static_cast<std::int64_t>(value);
}

std::optional<std::int64_t> parse_hex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = support::hex_digit_value(c);
    if (d < 0) return std::nullopt;
    if (value > (kMax - static_cast<std::uint64_t>(d)) / 16) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(d);
  }
  return static_cast<std::int64_t>(value);
}

std::optional<double> parse_float(std::string_view text) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  bool dot = false;
  for (char c : text) {
    if (c == '.' && !dot) {
      dot = true;
    } else if (c < '0' || c > '9') {
      return std::nullopt;
    }
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Beyond the range of a double: a non-zero digit before the dot means the
    // value is at least 1, so it overflowed; otherwise it underflowed.
    const std::string_view whole = text.substr(0, text.find('.'));
    const bool large = whole.find_first_not_of('0') != std::string_view::npos;
    return large ? std::numeric_limits<double>::infinity() : 0.0;
  }
  if (ec != std::errc{}) return std::nullopt;
  (void)ptr;
  return value;
}

}  // namespace qosa::lexer
