// Placeholder until the full parser lands: scheme check and lower-casing only.
#include "support/url.h"

namespace qosa::support {

std::expected<Url, UrlError> parse_url(std::string_view input) {
  const auto colon = input.find(':');
  if (colon == std::string_view::npos || colon == 0) {
    return std::unexpected(UrlError{"relative URL without a base"});
  }
  std::string href;
  for (std::size_t i = 0; i < colon; ++i) {
    char c = input[i];
    const bool alpha = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    if (!(alpha || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))) {
      return std::unexpected(UrlError{"relative URL without a base"});
    }
    href.push_back(alpha ? static_cast<char>(c | 0x20) : c);
  }
  href.append(input.substr(colon));
  return Url(std::move(href));
}

}  // namespace qosa::support
