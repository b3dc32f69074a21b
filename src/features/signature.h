// Signature help: the signature of the call whose argument list the cursor is
// in, from the document's own declaration or from the built-in table, with
// the parameter the cursor is on.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"

namespace qosa::lsp {

// The built-in function under `name`, compared byte for byte; none for any
// other name.
std::optional<SignatureInformation> builtin_signature(std::string_view name);

// The parameters of the text between a declaration's parentheses.
std::vector<ParameterInformation> parameter_labels(std::string_view list);

// The answer at a position of the text, or none. `character` is the request's
// column in UTF-16 code units; a column inside a surrogate pair counts as the
// start of its character.
std::optional<SignatureHelp> handle_signature_help(std::string_view text, std::uint64_t line,
                                                   std::uint64_t character);

// The request, on the text of its document.
std::optional<SignatureHelp> signature_help_request(const SignatureHelpParams& params, std::string_view text);

}  // namespace qosa::lsp
