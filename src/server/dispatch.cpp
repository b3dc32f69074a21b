#include "server/dispatch.h"

#include <algorithm>
#include <concepts>
#include <expected>
#include <string>

#include "features/code_actions.h"
#include "features/code_lens.h"
#include "features/completion.h"
#include "features/definition.h"
#include "features/hover.h"
#include "features/inlay_hints.h"
#include "features/references.h"
#include "features/rename.h"
#include "features/semantic_tokens.h"
#include "features/signature.h"
#include "features/symbols.h"
#include "lsp/writer.h"
#include "server/initialize.h"
#include "server/publish.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

// A fixed text as a template argument, so a row can name its error text.
template <std::size_t N>
struct Text {
  char chars[N];
  constexpr Text(const char (&s)[N]) { std::copy_n(s, N, chars); }
  constexpr std::string_view view() const { return {chars, N - 1}; }
};

// ---------------------------------------------------------------------------
// Requests

struct Request {
  std::optional<json::value> params;
  Server& server;
};

// What a row answers when its params do not convert, or when the document
// they name is not open.
using Fallback = Answer (*)();

Answer null_answer() { return JsonResult(nullptr); }
Answer no_semantic_tokens() { return JsonResult::written(empty_semantic_tokens()); }
template <Text message>
Answer invalid_request() {
  return std::unexpected(response_error(ErrorCode::invalid_request, std::string(message.view())));
}
template <Text message>
Answer internal_error() {
  return std::unexpected(response_error(ErrorCode::internal_error, std::string(message.view())));
}

// The key of the document a params record names: the printed uri of the
// typed records, the uri as sent of the lenient ones.
std::string_view document_key(const TextDocumentPositionParams& p) { return p.text_document.uri.str(); }
template <class Params>
  requires std::same_as<decltype(Params::uri), RawUri>
std::string_view document_key(const Params& p) {
  return p.uri.text;
}

// A feature's result as the answer, written by the record writer.
template <class Result>
Answer answer(const Result& result) {
  std::string out;
  write_json(out, result);
  return JsonResult::written(std::move(out));
}
Answer answer(const InitializeResult& result) { return JsonResult(to_json(result)); }

// A request row: the params converted into `Params` (else `invalid`); then,
// as the feature asks, nothing more, the open documents, or the text of the
// document they name (else `not_open`) alone or with every open document and
// what is kept beside it.
template <class Params, auto feature, Fallback invalid, Fallback not_open = null_answer>
Answer request(Request& r) {
  Params params;
  if (!r.params || !from_json(*r.params, params)) return invalid();
  using Feature = decltype(feature);
  const DocumentSnapshot snapshot = snapshot_documents(r.server.documents);
  if constexpr (std::invocable<Feature, const Params&>) {
    return answer(feature(params));
  } else if constexpr (std::invocable<Feature, const Params&, const DocumentSnapshot&>) {
    return answer(feature(params, snapshot));
  } else {
    const auto text = snapshot.text(document_key(params));
    if (!text) return not_open();
    if constexpr (std::invocable<Feature, const Params&, std::string_view>) {
      return answer(feature(params, *text));
    } else {
      Workspace workspace{snapshot, r.server.states};
      return answer(feature(params, *text, workspace));
    }
  }
}

Answer shutdown(Request&) { return JsonResult(nullptr); }

// ---------------------------------------------------------------------------
// Notifications

struct Notification {
  RpcNotification& message;
  NotificationContext& context;
};

// What a notification row did: go on, end the process, or the failure logged.
enum class After { go_on, exit };
using Handled = std::expected<After, std::string>;

// The params as the reader converted them, or else converted here.
template <class Params>
bool take_params(RpcNotification& notification, Params& out) {
  if (auto* typed = std::get_if<Params>(&notification.text_sync)) {
    out = std::move(*typed);
    return true;
  }
  return notification.params && from_json(*notification.params, out);
}

// A failed write of the diagnostics is logged like bad params.
Handled published(std::expected<void, IoError> written) {
  if (!written) return std::unexpected(std::move(written.error().message));
  return After::go_on;
}

Handled exit_notification(Notification& n) {
  n.context.log.line("Çıkış bildirimi alındı");
  return After::exit;
}

Handled initialized(Notification& n) {
  n.context.log.line("Sunucu başlatıldı");
  return After::go_on;
}

Handled did_open(Notification& n) {
  DidOpenTextDocumentParams p;
  if (!take_params(n.message, p)) return std::unexpected("Invalid didOpen params");
  TextDocumentItem& item = p.text_document;
  NotificationContext& c = n.context;
  c.log.line("Döküman açıldı: " + item.uri.str());
  const Document& document = open_document(c.server.documents, std::move(item.uri), std::move(item.text), item.version);
  DocumentState& state = c.server.states.opened(document.uri.str());
  return published(publish_diagnostics(document, state.statements, c.out));
}

Handled did_change(Notification& n) {
  DidChangeTextDocumentParams p;
  if (!take_params(n.message, p)) return std::unexpected("Invalid didChange params");
  const Uri& uri = p.text_document.uri;
  NotificationContext& c = n.context;
  c.log.line("Döküman değişti: " + uri.str());
  const Document* document =
      apply_changes_in_place(c.server.documents, uri.str(), p.content_changes, p.text_document.version);
  // A whole-text change now holds the text it replaced: keep its memory.
  for (auto& change : p.content_changes) {
    if (!change.range && change.text.capacity() > c.spare_text.capacity()) c.spare_text = std::move(change.text);
  }
  if (!document) return After::go_on;
  DocumentState& state = c.server.states.changed(uri.str());
  return published(publish_diagnostics(*document, state.statements, c.out));
}

Handled did_close(Notification& n) {
  DidCloseTextDocumentParams p;
  if (!n.message.params || !from_json(*n.message.params, p)) return std::unexpected("Invalid didClose params");
  n.context.log.line("Döküman kapatıldı: " + p.text_document.uri.str());
  close_document(n.context.server.documents, p.text_document.uri.str());
  n.context.server.states.closed(p.text_document.uri.str());
  return After::go_on;
}

// ---------------------------------------------------------------------------
// The table

struct Row {
  std::string_view name;
  Answer (*request)(Request&) = nullptr;            // set on request rows
  Handled (*notification)(Notification&) = nullptr;  // set on notification rows
};

constexpr Row request_row(std::string_view name, Answer (*handle)(Request&)) { return {name, handle, nullptr}; }
constexpr Row notification_row(std::string_view name, Handled (*handle)(Notification&)) {
  return {name, nullptr, handle};
}

// A request row names its params record, the feature, and what it answers
// when the params do not convert and when their document is not open.
constexpr Row methods[] = {
    request_row("initialize", request<InitializeParams, handle_initialize, invalid_request<"Invalid initialize params">>),
    request_row("shutdown", shutdown),
    request_row("textDocument/hover", request<HoverParams, hover_request, invalid_request<"Invalid hover params">>),
    request_row("textDocument/completion",
                request<CompletionParams, completion_items, invalid_request<"Invalid completion params">>),
    request_row("textDocument/definition",
                request<GotoDefinitionParams, definition_request, invalid_request<"Invalid definition params">>),
    request_row("textDocument/prepareRename", request<TextDocumentPositionParams, prepare_rename_request,
                                                      invalid_request<"Invalid prepareRename params">>),
    request_row("textDocument/references",
                request<ReferenceParams, handle_references, invalid_request<"Invalid references params">>),
    request_row("textDocument/rename", request<RenameParams, handle_rename, invalid_request<"Invalid rename params">>),
    request_row("textDocument/signatureHelp", request<SignatureHelpParams, signature_help_request, null_answer>),
    request_row("textDocument/documentSymbol", request<DocumentSymbolParams, document_symbols_request, null_answer>),
    request_row("textDocument/semanticTokens/full",
                request<SemanticTokensParams, handle_semantic_tokens, no_semantic_tokens, no_semantic_tokens>),
    request_row("textDocument/inlayHint",
                request<InlayHintParams, handle_inlay_hint, internal_error<"Inlay hints error: Missing textDocument.uri">,
                        internal_error<"Inlay hints error: Document not found">>),
    request_row("textDocument/codeLens",
                request<CodeLensParams, handle_code_lens, internal_error<"Code lens error: Missing textDocument.uri">,
                        internal_error<"Code lens error: Document not found">>),
    request_row("textDocument/codeAction", request<CodeActionParams, handle_code_action, null_answer>),
    notification_row("initialized", initialized),
    notification_row("exit", exit_notification),
    notification_row("textDocument/didOpen", did_open),
    notification_row("textDocument/didChange", did_change),
    notification_row("textDocument/didClose", did_close),
};

}  // namespace

Answer handle_request(std::optional<json::value> params, std::string_view method, Server& server) {
  for (const Row& row : methods) {
    if (row.request && row.name == method) {
      Request request{std::move(params), server};
      return row.request(request);
    }
  }
  return std::unexpected(response_error(ErrorCode::method_not_found, "Method not found: " + std::string(method)));
}

bool handle_notification(RpcNotification& notification, NotificationContext& context) {
  const std::string& method = notification.method;
  context.log.line("Bildirim alındı: " + method);
  for (const Row& row : methods) {
    if (!row.notification || row.name != method) continue;
    Notification n{notification, context};
    const Handled handled = row.notification(n);
    if (!handled) {
      context.log.line("Notification " + method + " hatası: " + handled.error());
      return false;
    }
    return *handled == After::exit;
  }
  context.log.line("Bilinmeyen bildirim: " + method);
  return false;
}

}  // namespace qosa::lsp
