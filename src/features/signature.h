// Signature help: the signature of the call whose argument list the cursor is
// in, from the document's own declaration or from the built-in table, with
// the parameter the cursor is on.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/document.h"

namespace qosa::lsp {

// The built-in function under `name`, compared byte for byte, as a signature
// object ("documentation", "label", "parameters"); none for any other name.
std::optional<boost::json::value> builtin_signature(std::string_view name);

// The parameter objects ({"label": ...}) of the text between a declaration's
// parentheses.
boost::json::value parameter_labels(std::string_view list);

// The answer at a position of the text, or none. `character` is the request's
// column in UTF-16 code units; a column inside a surrogate pair counts as the
// start of its character.
std::optional<boost::json::value> handle_signature_help(std::string_view text, std::uint64_t line,
                                                        std::uint64_t character);

// The request: params."textDocument"."uri" looked up as sent, and
// params."position"; null when any of them is missing or malformed, or when
// there is no signature.
boost::json::value signature_help(const boost::json::value& params, const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
