#include "server/server.h"

#include <string>

#include "lsp/protocol.h"
#include "lsp/transport.h"
#include "server/dispatch.h"
#include "server/publish.h"

namespace qosa::lsp {

namespace {

// What the loop works with while it runs.
struct Session {
  Server& server;
  InputBuffer in;
  OutputBuffer out;
  Log log;
  // Memory for the next text that didOpen or didChange brings: the text a
  // didChange replaced, so that a warm server unescapes each new text into
  // memory it already has.
  std::string spare_text;
};

std::expected<void, IoError> send_response(Session& s, RpcRequest& request) {
  s.log.line("İstek alındı: " + request.method);
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

// A failed write of the diagnostics is logged like bad params.
NotificationResult write_result_as_notification_result(std::expected<void, IoError> written) {
  if (!written) return std::unexpected(std::move(written.error().message));
  return {};
}

// The params as the reader converted them, or else converted here.
template <class Params>
bool take_params(RpcNotification& notification, Params& out) {
  if (auto* typed = std::get_if<Params>(&notification.text_sync)) {
    out = std::move(*typed);
    return true;
  }
  return notification.params && from_json(*notification.params, out);
}

NotificationResult handle_did_open(Session& s, RpcNotification& notification) {
  DidOpenTextDocumentParams p;
  if (!take_params(notification, p)) return std::unexpected("Invalid didOpen params");
  TextDocumentItem& item = p.text_document;
  s.log.line("Döküman açıldı: " + item.uri.str());
  const Document& document =
      open_document(s.server.documents, std::move(item.uri), std::move(item.text), item.version);
  return write_result_as_notification_result(publish_diagnostics(document, s.out));
}

NotificationResult handle_did_change(Session& s, RpcNotification& notification) {
  DidChangeTextDocumentParams p;
  if (!take_params(notification, p)) return std::unexpected("Invalid didChange params");
  const Uri& uri = p.text_document.uri;
  s.log.line("Döküman değişti: " + uri.str());
  const Document* document =
      apply_changes_in_place(s.server.documents, uri.str(), p.content_changes, p.text_document.version);
  // A whole-text change now holds the text it replaced: keep its memory.
  for (auto& change : p.content_changes) {
    if (!change.range && change.text.capacity() > s.spare_text.capacity()) {
      s.spare_text = std::move(change.text);
    }
  }
  if (!document) return {};
  return write_result_as_notification_result(publish_diagnostics(*document, s.out));
}

NotificationResult handle_did_close(Session& s, const RpcNotification& notification) {
  DidCloseTextDocumentParams p;
  if (!notification.params || !from_json(*notification.params, p)) return std::unexpected("Invalid didClose params");
  s.log.line("Döküman kapatıldı: " + p.text_document.uri.str());
  close_document(s.server.documents, p.text_document.uri.str());
  return {};
}

// Returns true for "exit".
bool handle_notification(Session& s, RpcNotification& notification) {
  const std::string& method = notification.method;
  s.log.line("Bildirim alındı: " + method);
  NotificationResult result;
  if (method == "exit") {
    s.log.line("Çıkış bildirimi alındı");
    return true;
  } else if (method == "initialized") {
    s.log.line("Sunucu başlatıldı");
  } else if (method == "textDocument/didOpen") {
    result = handle_did_open(s, notification);
  } else if (method == "textDocument/didChange") {
    result = handle_did_change(s, notification);
  } else if (method == "textDocument/didClose") {
    result = handle_did_close(s, notification);
  } else {
    s.log.line("Bilinmeyen bildirim: " + method);
  }
  if (!result) s.log.line("Notification " + method + " hatası: " + result.error());
  return false;
}

}  // namespace

std::expected<RunEnd, IoError> run(Server& server, ByteReader& input, ByteWriter& output,
                                   ByteWriter& log) {
  Session s{server, InputBuffer(input), OutputBuffer(output), Log(log)};
  s.log.line("QOSA Language Server başlatıldı...");
  for (;;) {
    auto message = read_message(s.in, s.spare_text);
    if (!message) {
      (void)s.out.flush();
      return std::unexpected(std::move(message.error()));
    }
    if (!*message) {
      s.log.line("EOF alındı, sunucu kapatılıyor...");
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
