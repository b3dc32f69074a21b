#include "lsp/dispatch.h"

#include <string>
#include <vector>

#include <boost/json.hpp>

#include "lsp/completion.h"
#include "lsp/hover.h"
#include "lsp/initialize.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

ResponseError invalid_request(std::string_view message) {
  return ResponseError{-32600, std::string(message), std::nullopt};
}

ResponseError internal_error(std::string message) {
  return ResponseError{-32603, std::move(message), std::nullopt};
}

// One request on its way to a handler.
struct Request {
  std::optional<json::value> params;
  const Server& server;

  // The whole params, null when absent.
  const json::value& raw() const {
    static const json::value null;
    return params ? *params : null;
  }
  // The text of the document under a printed uri; empty when it is not open.
  std::string_view live_text(std::string_view uri) const {
    const Document* document = get_document(server.documents, uri);
    return document ? std::string_view(document->text) : std::string_view();
  }
  DocumentSnapshot snapshot() const { return snapshot_documents(server.documents); }
};

// Converts the params into the method's record and calls fn with it; absent
// or unconvertible params are answered -32600 with `invalid`.
template <class Params, class Fn>
Answer typed(Request& r, std::string_view invalid, Fn&& fn) {
  Params params;
  if (!r.params || !from_json(*r.params, params)) return std::unexpected(invalid_request(invalid));
  return fn(params);
}

// A handler's result as the answer: a record in its JSON form, none as null,
// a list as an array.
template <class T>
Answer answer(const T& record) {
  return to_json(record);
}
template <class T>
Answer answer(const std::optional<T>& record) {
  if (!record) return json::value(nullptr);
  return to_json(*record);
}
template <class T>
Answer answer(const std::vector<T>& records) {
  json::array out;
  out.reserve(records.size());
  for (const auto& record : records) out.push_back(to_json(record));
  return json::value(std::move(out));
}

struct MethodRow {
  std::string_view name;
  Answer (*handle)(Request&);
};

// Served methods, by byte length and then in the order names are compared.
// A row takes its params typed (`typed`) or raw (`r.raw()` and `lookup`),
// sees the documents live (`r.live_text`) or through `r.snapshot()`, and
// calls its handler. A method that is not here is answered -32601.
constexpr MethodRow methods[] = {
    {"shutdown", [](Request&) -> Answer { return json::value(nullptr); }},
    {"initialize",
     [](Request& r) {
       return typed<InitializeParams>(r, "Invalid initialize params", [](InitializeParams& p) {
         return answer(handle_initialize(std::move(p)));
       });
     }},
    {"textDocument/hover",
     [](Request& r) {
       return typed<HoverParams>(r, "Invalid hover params", [&](HoverParams& p) {
         return answer(hover_at(r.live_text(p.text_document.uri), p.position.line,
                                p.position.character));
       });
     }},
    {"textDocument/completion",
     [](Request& r) {
       return typed<CompletionParams>(r, "Invalid completion params",
                                      [](CompletionParams&) { return answer(completion_items()); });
     }},
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
      ResponseError{-32601, "Method not found: " + std::string(method), std::nullopt});
}

ResponseError serialization_error(std::string_view message) {
  return internal_error("Serialization error: " + std::string(message));
}

const json::value& lookup(const json::value& v, std::string_view key) {
  static const json::value null;
  const json::object* o = v.if_object();
  if (!o) return null;
  const json::value* member = o->if_contains(key);
  return member ? *member : null;
}

std::optional<std::uint64_t> raw_unsigned(const json::value& v) {
  if (v.is_uint64()) return v.get_uint64();
  if (v.is_int64() && v.get_int64() >= 0) return static_cast<std::uint64_t>(v.get_int64());
  return std::nullopt;
}

Answer handle_code_lens(const json::value& params, const DocumentSnapshot& snapshot,
                        CodeLensFunction lenses) {
  const json::value& uri = lookup(lookup(params, "textDocument"), "uri");
  if (!uri.is_string()) return std::unexpected(internal_error("Code lens error: Missing textDocument.uri"));
  const std::string_view uri_text(uri.get_string().data(), uri.get_string().size());
  const auto text = snapshot.text(uri_text);
  if (!text) return std::unexpected(internal_error("Code lens error: Document not found"));
  return lenses(*text, uri_text);
}

}  // namespace qosa::lsp
