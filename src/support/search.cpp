#include "support/search.h"

#include <array>
#include <cstring>
#include <span>
#include <vector>

namespace qosa::support {

// Knuth-Morris-Pratt: after a mismatch the search goes on from the longest
// prefix of the needle that ends at the current byte, so no byte of the
// text is read twice. string_view::find compares the needle afresh at
// every candidate start, which costs text times needle on "aaa...ab".
std::size_t find_first(std::string_view text, std::string_view needle, std::size_t from) {
  constexpr std::size_t npos = std::string_view::npos;
  const std::size_t n = text.size();
  const std::size_t m = needle.size();
  if (from > n) return npos;
  if (m == 0) return from;
  if (m > n - from) return npos;

  // border[k]: the length of the longest proper prefix of needle[0, k] that
  // is also its suffix. Most names are short: their table stays on the stack.
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

  std::size_t matched = 0;
  for (std::size_t i = from; i < n; ++i) {
    if (matched == 0) {
      // Nothing matched: memchr finds the next byte that can start the needle.
      const void* start = std::memchr(text.data() + i, needle[0], n - i);
      if (!start) return npos;
      i = static_cast<std::size_t>(static_cast<const char*>(start) - text.data());
    }
    while (matched > 0 && text[i] != needle[matched]) matched = border[matched - 1];
    if (text[i] == needle[matched]) ++matched;
    if (matched == m) return i + 1 - m;
  }
  return npos;
}

}  // namespace qosa::support
