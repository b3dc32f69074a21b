// The host step of the URL parser: domains (through UTS #46, support/idna), IPv4 and IPv6
// addresses and the opaque hosts of non-special schemes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qosa::support::url_detail {

// Why a URL does not parse; each has one message text.
enum class UrlFailure : std::uint8_t {
  relative_without_base,
  empty_host,
  invalid_domain_name,
  invalid_port,
  invalid_ipv4,
  invalid_ipv6,
  invalid_domain_character,
};

std::string_view failure_message(UrlFailure failure);

// Parses `input` (the raw text between the authority's delimiters, not
// empty for special schemes) and appends the serialised host to `out`.
// On failure `out` may hold part of the host; the caller drops it.
std::optional<UrlFailure> parse_host(std::string_view input, bool special, std::string& out);

}  // namespace qosa::support::url_detail
