// WHATWG URL parsing and serialisation of absolute URLs: the form in which
// document uris are stored and looked up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace qosa::support {

struct UrlError {
  std::string message;  // "relative URL without a base", "invalid port number", ...
};

// A parsed URL, kept as its serialisation plus the offsets of its parts.
class Url {
 public:
  // The serialised URL.
  const std::string& href() const { return href_; }

  // Lower-case scheme, without the ':'.
  std::string_view scheme() const { return part(0, scheme_end_); }
  std::string_view username() const;
  std::string_view password() const;
  // False for URLs without "//" (opaque paths such as untitled:Untitled-1).
  bool has_host() const { return host_start_ != scheme_end_ + 1; }
  // The serialised host: a domain, a dotted IPv4 address, an IPv6 address in
  // brackets or an opaque host; empty when there is none.
  std::string_view host() const { return part(host_start_, host_end_); }
  // None when absent or equal to the scheme's default port.
  std::optional<std::uint16_t> port() const { return port_; }
  std::string_view path() const { return part(path_start_, query_or_fragment_start()); }
  // Without the '?' or '#'; none when the URL has none.
  std::optional<std::string_view> query() const;
  std::optional<std::string_view> fragment() const;

 private:
  friend std::expected<Url, UrlError> parse_url(std::string_view input);
  static constexpr std::size_t none = std::string::npos;

  Url() = default;
  std::string_view part(std::size_t begin, std::size_t end) const {
    return std::string_view(href_).substr(begin, end - begin);
  }
  std::size_t query_or_fragment_start() const;

  std::string href_;
  std::size_t scheme_end_ = 0;  // the ':'
  std::size_t username_end_ = 0;
  std::size_t host_start_ = 0;
  std::size_t host_end_ = 0;
  std::size_t path_start_ = 0;
  std::size_t query_start_ = none;     // the '?'
  std::size_t fragment_start_ = none;  // the '#'
  std::optional<std::uint16_t> port_;
};

// Parses `input` as an absolute URL (no base) and serialises it.
std::expected<Url, UrlError> parse_url(std::string_view input);

}  // namespace qosa::support
