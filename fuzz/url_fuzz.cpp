// The URL parser on arbitrary input: what it prints parses again to the
// same text, so a stored document key is found under its own printed form.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "support/url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  auto url = qosa::support::parse_url(input);
  if (!url) return 0;
  auto again = qosa::support::parse_url(url->href());
  QOSA_FUZZ_CHECK(again.has_value());
  QOSA_FUZZ_CHECK(again->href() == url->href());
  return 0;
}
