// Diagnostics of a document, computed after each opening and change.
#pragma once

#include <string_view>
#include <vector>

#include "parser/source.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// Parses the text, then reports one error when it has more "{" than "}",
// wherever they stand.
std::vector<Diagnostic> compute_diagnostics(std::string_view uri, std::string_view text);

// The same for a new version of an open document, whose parse re-reads only
// the statements that changed since the version `statements` last saw.
std::vector<Diagnostic> compute_diagnostics(std::string_view text, parser::StatementCache& statements);

}  // namespace qosa::lsp
