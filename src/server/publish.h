// Publishing the diagnostics of a document after each opening and change.
#pragma once

#include <expected>
#include <string_view>

#include "lsp/document.h"
#include "lsp/protocol.h"
#include "lsp/streams.h"
#include "parser/source.h"

namespace qosa::lsp {

// Writes one "textDocument/publishDiagnostics" notification, an empty list
// included. `statements` is what the parse of the document's last version kept.
std::expected<void, IoError> publish_diagnostics(const Document& document, parser::StatementCache& statements,
                                                 OutputBuffer& out);

// The same for a uri as a string: one that does not parse is logged and
// nothing is sent.
std::expected<void, IoError> publish_diagnostics(std::string_view uri, std::string_view text,
                                                 OutputBuffer& out, Log& log);

}  // namespace qosa::lsp
