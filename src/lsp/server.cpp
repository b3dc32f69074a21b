#include "lsp/server.h"

#include <string>

#include "lsp/diagnostics.h"
#include "lsp/dispatch.h"
#include "lsp/protocol.h"
#include "support/json.h"

namespace qosa::lsp {

namespace {

// What the loop works with while it runs.
struct Session {
  Server& server;
  InputBuffer in;
  OutputBuffer out;
  Log log;
};

std::expected<void, IoError> send_response(Session& s, RpcRequest& request) {
  s.log.line("İstek alındı: " + request.method + "\n");
  auto answer = handle_request(std::move(request.params), request.method, s.server);
  RpcResponse response{"2.0", std::move(request.id), std::nullopt, std::nullopt};
  if (answer) {
    response.result = std::move(*answer);
  } else {
    response.error = std::move(answer.error());
  }
  return write_message(s.out, to_json_text(response));
}

// A document notification fails with the text that is logged.
using NotificationResult = std::expected<void, std::string>;

NotificationResult published(std::expected<void, IoError> written) {
  if (!written) return std::unexpected(std::move(written.error().message));
  return {};
}

NotificationResult handle_did_open(Session& s, const std::optional<boost::json::value>& params) {
  DidOpenTextDocumentParams p;
  if (!params || !from_json(*params, p)) return std::unexpected("Invalid didOpen params");
  TextDocumentItem& item = p.text_document;
  s.log.line("Döküman açıldı: " + item.uri + "\n");
  open_document(s.server.documents, item.uri, std::move(item.text), item.version);
  const Document* document = get_document(s.server.documents, item.uri);
  return published(publish_diagnostics(item.uri, document->text, s.out, s.log));
}

NotificationResult handle_did_change(Session& s, const std::optional<boost::json::value>& params) {
  DidChangeTextDocumentParams p;
  if (!params || !from_json(*params, p)) return std::unexpected("Invalid didChange params");
  const std::string& uri = p.text_document.uri;
  s.log.line("Döküman değişti: " + uri + "\n");
  apply_changes(s.server.documents, uri, std::move(p.content_changes), p.text_document.version);
  const Document* document = get_document(s.server.documents, uri);
  if (!document) return {};
  return published(publish_diagnostics(uri, document->text, s.out, s.log));
}

NotificationResult handle_did_close(Session& s, const std::optional<boost::json::value>& params) {
  DidCloseTextDocumentParams p;
  if (!params || !from_json(*params, p)) return std::unexpected("Invalid didClose params");
  s.log.line("Döküman kapatıldı: " + p.text_document.uri + "\n");
  close_document(s.server.documents, p.text_document.uri);
  return {};
}

// Returns true for "exit".
bool handle_notification(Session& s, RpcNotification& notification) {
  const std::string& method = notification.method;
  s.log.line("Bildirim alındı: " + method + "\n");
  NotificationResult result;
  if (method == "exit") {
    s.log.line("Çıkış bildirimi alındı\n");
    return true;
  } else if (method == "initialized") {
    s.log.line("Sunucu başlatıldı\n");
  } else if (method == "textDocument/didOpen") {
    result = handle_did_open(s, notification.params);
  } else if (method == "textDocument/didChange") {
    result = handle_did_change(s, notification.params);
  } else if (method == "textDocument/didClose") {
    result = handle_did_close(s, notification.params);
  } else {
    s.log.line("Bilinmeyen bildirim: " + method + "\n");
  }
  if (!result) s.log.line("Notification " + method + " hatası: " + result.error() + "\n");
  return false;
}

}  // namespace

std::expected<RunEnd, IoError> run(Server& server, ByteReader& input, ByteWriter& output,
                                   ByteWriter& log) {
  Session s{server, InputBuffer(input), OutputBuffer(output), Log(log)};
  s.log.line("QOSA Language Server başlatıldı...\n");
  for (;;) {
    auto message = read_message(s.in);
    if (!message) {
      (void)s.out.flush();
      return std::unexpected(std::move(message.error()));
    }
    if (!*message) {
      s.log.line("EOF alındı, sunucu kapatılıyor...\n");
      (void)s.out.flush();
      return RunEnd::end_of_input;
    }
    if (auto* request = std::get_if<RpcRequest>(&**message)) {
      if (auto sent = send_response(s, *request); !sent) {
        (void)s.out.flush();
        return std::unexpected(std::move(sent.error()));
      }
    } else if (handle_notification(s, std::get<RpcNotification>(**message))) {
      return RunEnd::exit_notification;
    }
  }
}

}  // namespace qosa::lsp
