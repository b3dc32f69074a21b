#include "server/publish.h"

#include <string>

#include "features/diagnostics.h"
#include "lsp/transport.h"
#include "support/url.h"

namespace qosa::lsp {

namespace {

std::expected<void, IoError> publish(const Uri& uri, std::vector<Diagnostic> diagnostics,
                                     OutputBuffer& out) {
  const PublishDiagnosticsParams params{uri, std::move(diagnostics)};
  const RpcNotification notification{"2.0", "textDocument/publishDiagnostics", to_json(params)};
  return write_message(out, to_json_text(notification));
}

}  // namespace

std::expected<void, IoError> publish_diagnostics(const Document& document, OutputBuffer& out) {
  return publish(document.uri, compute_diagnostics(document), out);
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
