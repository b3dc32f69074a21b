// Diagnostics of a document, computed after each opening and change.
#pragma once

#include <string_view>
#include <vector>

#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// Parses the text, then reports one error when it has more "{" than "}",
// wherever they stand.
std::vector<Diagnostic> compute_diagnostics(std::string_view uri, std::string_view text);

// The same for an open document, whose parse re-reads only the statements
// that changed since its last version.
std::vector<Diagnostic> compute_diagnostics(const Document& document);

}  // namespace qosa::lsp
