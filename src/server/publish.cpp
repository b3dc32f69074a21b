#include "server/publish.h"

#include <string>

#include "features/diagnostics.h"
#include "lsp/transport.h"
#include "lsp/writer.h"
#include "support/url.h"

namespace qosa::lsp {

namespace {

std::expected<void, IoError> publish(const Uri& uri, std::vector<Diagnostic> diagnostics,
                                     OutputBuffer& out) {
  std::string params;
  write_json(params, PublishDiagnosticsParams{uri.str(), std::move(diagnostics)});
  return write_message(out, notification_text("textDocument/publishDiagnostics", params));
}

}  // namespace

std::expected<void, IoError> publish_diagnostics(const Document& document, parser::StatementCache& statements,
                                                 OutputBuffer& out) {
  return publish(document.uri, compute_diagnostics(document.text, statements), out);
}

std::expected<void, IoError> publish_diagnostics(std::string_view uri, std::string_view text,
                                                 OutputBuffer& out, Log& log) {
  const auto parsed = Uri::parse(uri);
  if (!parsed) {
    log.line("URI parse hatası: " + std::string(uri) + " - " + support::parse_url(uri).error().message);
    return {};
  }
  return publish(*parsed, compute_diagnostics(parsed->str(), text), out);
}

}  // namespace qosa::lsp
