// Go to definition: the first line of the document that declares the word
// under the cursor by one of the declaration patterns.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "lsp/protocol.h"

namespace qosa::lsp {

// Where a name is declared: the line and the name's columns on it, in UTF-16
// code units. The first line on which any pattern occurs (a plain substring
// anywhere in the line) decides, and on it the first pattern in table order.
std::optional<Range> find_declaration(std::string_view word, std::string_view text);

// The declaration of `word` in `text`, after a lexer and parser pass over the
// text. None when nothing declares it or `uri` does not parse.
std::optional<Location> find_definition(std::string_view word, std::string_view text,
                                        std::string_view uri);

// The declaration of the word under the cursor (character in UTF-16 code units).
std::optional<Location> goto_definition(std::string_view uri, std::uint32_t line, std::uint32_t character,
                                        std::string_view text);

// The request, on the text of its document.
std::optional<Location> definition_request(const GotoDefinitionParams& params, std::string_view text);

}  // namespace qosa::lsp
