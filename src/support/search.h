// Substring search in time linear in the text and the needle: for names
// taken from a document, which may be as long as the document itself.
#pragma once

#include <cstddef>
#include <string_view>

namespace qosa::support {

// The first occurrence of `needle` in `text` at or after `from`: the same
// answer as `text.find(needle, from)`, npos when there is none.
std::size_t find_first(std::string_view text, std::string_view needle, std::size_t from = 0);

}  // namespace qosa::support
