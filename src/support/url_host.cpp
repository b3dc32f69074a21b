#include "support/url_host.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "support/hex.h"
#include "support/idna.h"
#include "support/url_percent.h"

namespace qosa::support::url_detail {

namespace {

constexpr std::string_view failure_messages[] = {
    "relative URL without a base",
    "empty host",
    "invalid international domain name",
    "invalid port number",
    "invalid IPv4 address",
    "invalid IPv6 address",
    "invalid domain character",
};

bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool is_forbidden_host_char(char c) {
  switch (c) {
    case '\0': case '\t': case '\n': case '\r': case ' ': case '#': case '/': case ':':
    case '<': case '>': case '?': case '@': case '[': case '\\': case ']': case '^': case '|':
      return true;
    default:
      return false;
  }
}

bool is_forbidden_domain_char(char c) {
  const auto b = static_cast<unsigned char>(c);
  return is_forbidden_host_char(c) || b <= 0x1F || c == '%' || b == 0x7F;
}

// ---- IPv4 ----

// Above every value an address part may have, so that longer numbers
// saturate instead of overflowing and still compare as too large.
constexpr std::uint64_t ipv4_number_limit = std::uint64_t{1} << 33;

// One dotted part: decimal, octal after a leading "0", hexadecimal after "0x".
std::optional<std::uint64_t> parse_ipv4_number(std::string_view part) {
  if (part.empty()) return std::nullopt;
  int radix = 10;
  if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    part.remove_prefix(2);
    radix = 16;
  } else if (part.size() >= 2 && part[0] == '0') {
    part.remove_prefix(1);
    radix = 8;
  }
  std::uint64_t value = 0;
  for (char c : part) {
    const int digit = hex_digit_value(c);
    if (digit < 0 || digit >= radix) return std::nullopt;
    value = std::min(value * radix + digit, ipv4_number_limit);
  }
  return value;
}

// The last part, ignoring one trailing dot.
std::string_view last_domain_part(std::string_view domain) {
  if (!domain.empty() && domain.back() == '.') domain.remove_suffix(1);
  const auto dot = domain.rfind('.');
  return dot == std::string_view::npos ? domain : domain.substr(dot + 1);
}

// Domains whose last part is a number are IPv4 addresses (or invalid).
bool ends_in_number(std::string_view domain) {
  if (domain.empty()) return false;
  const std::string_view last = last_domain_part(domain);
  bool all_digits = !last.empty();
  for (char c : last) all_digits = all_digits && is_ascii_digit(c);
  return all_digits || parse_ipv4_number(last).has_value();
}

std::optional<std::uint32_t> parse_ipv4(std::string_view domain) {
  if (domain.size() > 1 && domain.back() == '.') domain.remove_suffix(1);
  std::array<std::uint64_t, 4> numbers{};
  std::size_t count = 0;
  std::size_t begin = 0;
  for (;;) {
    const auto dot = domain.find('.', begin);
    const auto end = dot == std::string_view::npos ? domain.size() : dot;
    if (count == numbers.size()) return std::nullopt;
    const auto number = parse_ipv4_number(domain.substr(begin, end - begin));
    if (!number) return std::nullopt;
    numbers[count++] = *number;
    if (dot == std::string_view::npos) break;
    begin = dot + 1;
  }
  for (std::size_t i = 0; i + 1 < count; ++i) {
    if (numbers[i] > 255) return std::nullopt;
  }
  const std::uint64_t last = numbers[count - 1];
  if (last >= (std::uint64_t{1} << (8 * (5 - count)))) return std::nullopt;
  std::uint64_t address = last;
  for (std::size_t i = 0; i + 1 < count; ++i) address += numbers[i] << (8 * (3 - i));
  return static_cast<std::uint32_t>(address);
}

void append_ipv4(std::string& out, std::uint32_t address) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out += std::to_string((address >> shift) & 0xFF);
    if (shift > 0) out += '.';
  }
}

// ---- IPv6 ----

using Ipv6Address = std::array<std::uint16_t, 8>;

std::optional<Ipv6Address> parse_ipv6(std::string_view input) {
  Ipv6Address address{};
  std::size_t piece = 0;
  std::optional<std::size_t> compress;
  std::size_t p = 0;
  const std::size_t n = input.size();
  const auto is_end = [&](std::size_t i) { return i >= n; };

  if (!is_end(0) && input[0] == ':') {
    if (is_end(1) || input[1] != ':') return std::nullopt;
    p = 2;
    compress = ++piece;
  }
  while (!is_end(p)) {
    if (piece == 8) return std::nullopt;
    if (input[p] == ':') {
      if (compress) return std::nullopt;
      ++p;
      compress = ++piece;
      continue;
    }
    std::uint32_t value = 0;
    std::size_t length = 0;
    while (length < 4 && !is_end(p) && hex_digit_value(input[p]) >= 0) {
      value = value * 0x10 + hex_digit_value(input[p]);
      ++p;
      ++length;
    }
    if (!is_end(p) && input[p] == '.') {
      // An embedded IPv4 address fills the last two pieces.
      if (length == 0) return std::nullopt;
      p -= length;
      if (piece > 6) return std::nullopt;
      int numbers_seen = 0;
      while (!is_end(p)) {
        std::optional<std::uint32_t> ipv4_piece;
        if (numbers_seen > 0) {
          if (input[p] == '.' && numbers_seen < 4) {
            ++p;
          } else {
            return std::nullopt;
          }
        }
        if (is_end(p) || !is_ascii_digit(input[p])) return std::nullopt;
        while (!is_end(p) && is_ascii_digit(input[p])) {
          const std::uint32_t number = input[p] - '0';
          if (!ipv4_piece) {
            ipv4_piece = number;
          } else if (*ipv4_piece == 0) {
            return std::nullopt;
          } else {
            ipv4_piece = *ipv4_piece * 10 + number;
          }
          if (*ipv4_piece > 255) return std::nullopt;
          ++p;
        }
        address[piece] = static_cast<std::uint16_t>(address[piece] * 0x100 + *ipv4_piece);
        ++numbers_seen;
        if (numbers_seen == 2 || numbers_seen == 4) ++piece;
      }
      if (numbers_seen != 4) return std::nullopt;
      break;
    }
    if (!is_end(p) && input[p] == ':') {
      ++p;
      if (is_end(p)) return std::nullopt;
    } else if (!is_end(p)) {
      return std::nullopt;
    }
    address[piece] = static_cast<std::uint16_t>(value);
    ++piece;
  }
  if (compress) {
    std::size_t swaps = piece - *compress;
    piece = 7;
    while (piece != 0 && swaps > 0) {
      std::swap(address[piece], address[*compress + swaps - 1]);
      --piece;
      --swaps;
    }
  } else if (piece != 8) {
    return std::nullopt;
  }
  return address;
}

void append_ipv6(std::string& out, const Ipv6Address& address) {
  // The first longest run of two or more zero pieces becomes "::".
  std::size_t compress = address.size();
  std::size_t best = 1;
  for (std::size_t i = 0; i < address.size();) {
    if (address[i] != 0) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < address.size() && address[j] == 0) ++j;
    if (j - i > best) {
      best = j - i;
      compress = i;
    }
    i = j;
  }
  static constexpr char hex[] = "0123456789abcdef";
  out += '[';
  for (std::size_t i = 0; i < address.size(); ++i) {
    if (i == compress) {
      out += i == 0 ? "::" : ":";
      i += best - 1;
      continue;
    }
    const std::uint16_t piece = address[i];
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
      const int digit = (piece >> shift) & 0xF;
      if (digit != 0 || started || shift == 0) {
        out += hex[digit];
        started = true;
      }
    }
    if (i + 1 < address.size()) out += ':';
  }
  out += ']';
}

// ---- Domains ----

std::string percent_decode(std::string_view input) {
  std::string out;
  out.reserve(input.size());
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '%' && i + 2 < input.size() && hex_digit_value(input[i + 1]) >= 0 &&
        hex_digit_value(input[i + 2]) >= 0) {
      out += static_cast<char>(hex_digit_value(input[i + 1]) * 16 + hex_digit_value(input[i + 2]));
      i += 2;
    } else {
      out += input[i];
    }
  }
  return out;
}

// ASCII domains without a Punycode label map under UTS #46 to their lower case.
bool maps_to_lower_case(std::string_view domain) {
  std::size_t label = 0;
  for (std::size_t i = 0; i < domain.size(); ++i) {
    if (static_cast<unsigned char>(domain[i]) >= 0x80) return false;
    if (domain[i] == '.') {
      label = i + 1;
    } else if (i == label + 3 && ascii_lower(domain[label]) == 'x' &&
               ascii_lower(domain[label + 1]) == 'n' && domain[label + 2] == '-' &&
               domain[label + 3] == '-') {
      return false;
    }
  }
  return true;
}

std::optional<UrlFailure> parse_domain(std::string_view input, std::string& out) {
  std::string decoded;
  std::string_view domain = input;
  if (input.find('%') != std::string_view::npos) {
    decoded = with_replacement_characters(percent_decode(input));
    domain = decoded;
  }
  const std::size_t start = out.size();
  if (maps_to_lower_case(domain)) {
    for (char c : domain) out += ascii_lower(c);
  } else if (!append_domain_to_ascii(out, domain)) {
    return UrlFailure::invalid_domain_name;
  }
  const std::string_view ascii(out.data() + start, out.size() - start);
  if (ascii.empty()) return UrlFailure::empty_host;
  for (char c : ascii) {
    if (is_forbidden_domain_char(c)) return UrlFailure::invalid_domain_character;
  }
  if (ends_in_number(ascii)) {
    const auto address = parse_ipv4(ascii);
    if (!address) return UrlFailure::invalid_ipv4;
    out.resize(start);
    append_ipv4(out, *address);
  }
  return std::nullopt;
}

std::optional<UrlFailure> parse_opaque_host(std::string_view input, std::string& out) {
  for (char c : input) {
    if (is_forbidden_host_char(c)) return UrlFailure::invalid_domain_character;
  }
  append_encoded(out, input, c0_control_set);
  return std::nullopt;
}

}  // namespace

std::string_view failure_message(UrlFailure failure) {
  return failure_messages[static_cast<std::size_t>(failure)];
}

std::optional<UrlFailure> parse_host(std::string_view input, bool special, std::string& out) {
  if (!input.empty() && input.front() == '[') {
    if (input.size() < 2 || input.back() != ']') return UrlFailure::invalid_ipv6;
    const auto address = parse_ipv6(input.substr(1, input.size() - 2));
    if (!address) return UrlFailure::invalid_ipv6;
    append_ipv6(out, *address);
    return std::nullopt;
  }
  if (!special) return parse_opaque_host(input, out);
  return parse_domain(input, out);
}

}  // namespace qosa::support::url_detail
