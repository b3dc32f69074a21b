// Diagnostics of a document, published after each opening and change.
#pragma once

#include <expected>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"
#include "lsp/transport.h"

namespace qosa::lsp {

// Parses the text, then reports one error when it has more "{" than "}",
// wherever they stand.
std::vector<Diagnostic> compute_diagnostics(std::string_view uri, std::string_view text);

// Writes one "textDocument/publishDiagnostics" notification, an empty list
// included. A uri that does not parse is logged and nothing is sent.
std::expected<void, IoError> publish_diagnostics(std::string_view uri, std::string_view text,
                                                 OutputBuffer& out, Log& log);

}  // namespace qosa::lsp
