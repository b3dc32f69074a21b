// WHATWG URL parsing and serialisation of absolute URLs: the form in which
// document uris are stored and looked up.
#pragma once

#include <expected>
#include <string>
#include <string_view>

namespace qosa::support {

class Url {
 public:
  explicit Url(std::string href) : href_(std::move(href)) {}
  // The serialised URL.
  const std::string& href() const { return href_; }

 private:
  std::string href_;
};

struct UrlError {
  std::string message;  // "relative URL without a base", "invalid port number", ...
};

// Parses `input` as an absolute URL (no base).
std::expected<Url, UrlError> parse_url(std::string_view input);

}  // namespace qosa::support
