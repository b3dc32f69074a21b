#include "support/search.h"

#include <array>
#include <cstring>
#include <span>
#include <vector>

namespace qosa::support {

std::size_t find_first(std::string_view text, std::string_view needle, std::size_t from) {
  constexpr std::size_t npos = std::string_view::npos;
  // string_view::find tries every place where the needle's first byte
  // occurs with one memcmp of the whole needle: text times needle on
  // "aaa...ab". Up to 16 bytes that memcmp costs a bounded time, so find
  // stays linear, and it is the faster search on ordinary text.
  constexpr std::size_t short_needle = 16;
  if (needle.size() <= short_needle) return text.find(needle, from);
  const std::size_t n = text.size();
  const std::size_t m = needle.size();
  if (from > n || m > n - from) return npos;

  // Knuth-Morris-Pratt: after a mismatch the search goes on from the longest
  // prefix of the needle that ends at the current byte, so no byte of the
  // text is read twice. border[k]: the length of the longest proper prefix
  // of needle[0, k] that is also its suffix.
  std::array<std::size_t, 64> small;
  std::vector<std::size_t> large;
  if (m > small.size()) large.resize(m);
  const std::span<std::size_t> border = m > small.size() ? std::span(large) : std::span(small).first(m);
  border[0] = 0;
  for (std::size_t k = 1, length = 0; k < m; ++k) {
    while (length > 0 && needle[k] != needle[length]) length = border[length - 1];
    if (needle[k] == needle[length]) ++length;
    border[k] = length;
  }

  std::size_t matched = 0;  // bytes of the needle that end just before text[i]
  std::size_t i = from;
  while (i < n) {
    if (matched == 0) {
      // Nothing matched: memchr finds the next byte that can start the needle.
      const void* start = std::memchr(text.data() + i, needle[0], n - i);
      if (!start) return npos;
      i = static_cast<std::size_t>(static_cast<const char*>(start) - text.data()) + 1;
      matched = 1;
    }
    while (matched < m && i < n && text[i] == needle[matched]) {
      ++matched;
      ++i;
    }
    if (matched == m) return i - m;
    // text[i] differs (or the text ended): try the next shorter match, which
    // reads text[i] again without going back.
    matched = border[matched - 1];
  }
  return npos;
}

}  // namespace qosa::support
