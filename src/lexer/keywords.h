// Keyword lookup: the keyword texts of token_kinds.def in a hash table.
#pragma once

#include <optional>
#include <string_view>

#include "lexer/token.h"

namespace qosa::lexer {

// The kind whose keyword text is exactly `word` (case-sensitive), if any.
std::optional<TokenKind> find_keyword(std::string_view word);

// True when `word` is the first word of a two-word keyword ("her" of "her biri").
bool starts_two_word_keyword(std::string_view word);

}  // namespace qosa::lexer
