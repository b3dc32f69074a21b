#include "server/dispatch.h"

#include <algorithm>
#include <string>
#include <vector>

#include <boost/json.hpp>

#include "features/code_actions.h"
#include "features/code_lens.h"
#include "features/completion.h"
#include "features/definition.h"
#include "features/hover.h"
#include "features/inlay_hints.h"
#include "features/references.h"
#include "features/rename.h"
#include "features/signature.h"
#include "features/semantic_tokens.h"
#include "features/symbols.h"
#include "server/initialize.h"

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

// One request on its way to a handler.
struct Request {
  std::optional<json::value> params;
  const Server& server;
};

// A handler's result as the answer: an answer or JSON as it is, a record in
// its JSON form, none as null, a list as an array.
Answer answer(Answer&& done) { return std::move(done); }
Answer answer(json::value&& value) { return JsonResult(std::move(value)); }
[[maybe_unused]] Answer answer(JsonResult&& written) { return std::move(written); }
template <class T>
Answer answer(const T& record) {
  return to_json(record);
}
template <class T>
Answer answer(const std::optional<T>& record) {
  if (!record) return json::value(nullptr);
  return answer(*record);
}
template <class T>
Answer answer(const std::vector<T>& records) {
  json::array out;
  out.reserve(records.size());
  for (const auto& record : records) out.push_back(to_json(record));
  return json::value(std::move(out));
}

// The row kinds. Typed params are converted into the method's record, and
// absent or unconvertible ones answered -32600 with the row's text.
template <class Params>
std::optional<Params> convert(const Request& r) {
  Params params;
  if (!r.params || !from_json(*r.params, params)) return std::nullopt;
  return params;
}
template <Text invalid>
Answer invalid_params() {
  return std::unexpected(response_error(ErrorCode::invalid_request, std::string(invalid.view())));
}

// Typed params; no document.
template <class Params, Text invalid, auto feature>
Answer typed(Request& r) {
  auto params = convert<Params>(r);
  if (!params) return invalid_params<invalid>();
  return answer(feature(std::move(*params)));
}

// Typed params; the live text under the printed uri, empty when not open.
template <class Params, Text invalid, auto feature>
Answer typed_live(Request& r) {
  auto params = convert<Params>(r);
  if (!params) return invalid_params<invalid>();
  const Document* document = get_document(r.server.documents, params->text_document.uri.str());
  return answer(feature(*params, document ? std::string_view(document->text) : std::string_view()));
}

// Typed params; the open documents, taken once the params converted.
template <class Params, Text invalid, auto feature>
Answer typed_snapshot(Request& r) {
  auto params = convert<Params>(r);
  if (!params) return invalid_params<invalid>();
  return answer(feature(*params, snapshot_documents(r.server.documents)));
}

// Raw params (null when absent) and the open documents; the feature reads
// the params itself and gives the whole answer.
template <auto feature>
Answer raw(Request& r) {
  static const json::value null;
  const DocumentSnapshot snapshot = snapshot_documents(r.server.documents);
  return answer(feature(r.params ? *r.params : null, snapshot));
}

Answer shutdown(Request&) { return json::value(nullptr); }

struct MethodRow {
  std::string_view name;
  Answer (*handle)(Request&);
};

// Served methods, by byte length and then in the order names are compared;
// a method that is not here is answered -32601. A row names its params
// record and error text (or reads raw params) and its feature.
constexpr MethodRow methods[] = {
    {"shutdown", shutdown},
    {"initialize", typed<InitializeParams, "Invalid initialize params", handle_initialize>},
    {"textDocument/hover", typed_live<HoverParams, "Invalid hover params", hover>},
    {"textDocument/rename", raw<handle_rename>},
    {"textDocument/codeLens", raw<code_lens>},
    {"textDocument/inlayHint", raw<handle_inlay_hint>},
    {"textDocument/completion", typed<CompletionParams, "Invalid completion params", completion>},
    {"textDocument/definition", typed_snapshot<GotoDefinitionParams, "Invalid definition params", definition>},
    {"textDocument/references", raw<handle_references>},
    {"textDocument/codeAction", raw<handle_code_action>},
    {"textDocument/prepareRename",
     typed_snapshot<TextDocumentPositionParams, "Invalid prepareRename params", prepare_rename>},
    {"textDocument/signatureHelp", raw<signature_help>},
    {"textDocument/documentSymbol", raw<document_symbols_request>},
    {"textDocument/semanticTokens/full", raw<handle_semantic_tokens>},
};

constexpr bool rows_by_length() {
  for (std::size_t i = 1; i < std::size(methods); ++i) {
    if (methods[i - 1].name.size() > methods[i].name.size()) return false;
  }
  return true;
}
static_assert(rows_by_length());

}  // namespace

Answer handle_request(std::optional<json::value> params, std::string_view method,
                      const Server& server) {
  for (const MethodRow& row : methods) {
    if (row.name.size() != method.size()) continue;
    if (row.name != method) continue;
    Request request{std::move(params), server};
    return row.handle(request);
  }
  return std::unexpected(
      response_error(ErrorCode::method_not_found, "Method not found: " + std::string(method)));
}

}  // namespace qosa::lsp
