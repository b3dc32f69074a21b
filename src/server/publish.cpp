#include "server/publish.h"

#include <string>

#include "features/diagnostics.h"
#include "lsp/transport.h"
#include "support/url.h"

namespace qosa::lsp {

std::expected<void, IoError> publish_diagnostics(const Uri& uri, std::string_view text,
                                                 OutputBuffer& out) {
  const PublishDiagnosticsParams params{uri, compute_diagnostics(uri.str(), text)};
  const RpcNotification notification{"2.0", "textDocument/publishDiagnostics", to_json(params)};
  return write_message(out, to_json_text(notification));
}

std::expected<void, IoError> publish_diagnostics(std::string_view uri, std::string_view text,
                                                 OutputBuffer& out, Log& log) {
  const auto parsed = Uri::parse(uri);
  if (!parsed) {
    log.line("URI parse hatası: " + std::string(uri) + " - " + support::parse_url(uri).error().message);
    return {};
  }
  return publish_diagnostics(*parsed, text, out);
}

}  // namespace qosa::lsp
