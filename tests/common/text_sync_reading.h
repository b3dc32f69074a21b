// A didOpen or didChange read as the run loop reads it (the fast road first)
// or by the general reader alone, written out as text so the two compare.
#pragma once

#include <string>

#include "common/test_streams.h"
#include "lsp/transport.h"

namespace qosa::lsp::testing {

inline std::string describe(const Range& r) {
  return "(" + std::to_string(r.start.line) + "," + std::to_string(r.start.character) + ")-(" +
         std::to_string(r.end.line) + "," + std::to_string(r.end.character) + ")";
}

inline std::string describe(const DidOpenTextDocumentParams& p) {
  const auto& d = p.text_document;
  return "open " + d.uri.str() + " " + d.language_id + " v" + std::to_string(d.version) + " [" +
         d.text + "]";
}

inline std::string describe(const DidChangeTextDocumentParams& p) {
  std::string out = "change " + p.text_document.uri.str() + " v" + std::to_string(p.text_document.version);
  for (const auto& c : p.content_changes) {
    out += " {";
    if (c.range) out += describe(*c.range);
    if (c.range_length) out += " len " + std::to_string(*c.range_length);
    out += " [" + c.text + "]}";
  }
  return out;
}

// One message read as the run loop reads it (fast road first) or by the
// general reader alone, as text.
inline std::string read_one(const std::string& body, bool fast, bool* took_fast_road = nullptr) {
  StringReader reader(frame(body), 7);
  InputBuffer in(reader);
  std::string spare = "old text";
  auto message = fast ? read_message(in, spare) : read_message(in);
  if (!message) return "error: " + message.error().message;
  if (!*message) return "end";
  if (std::holds_alternative<RpcRequest>(**message)) return "request";
  auto& n = std::get<RpcNotification>(**message);
  if (took_fast_road) *took_fast_road = n.text_sync.index() != 0;
  std::string out = n.jsonrpc + " " + n.method + ": ";
  if (auto* open = std::get_if<DidOpenTextDocumentParams>(&n.text_sync)) return out + describe(*open);
  if (auto* change = std::get_if<DidChangeTextDocumentParams>(&n.text_sync)) return out + describe(*change);
  if (!n.params) return out + "no params";
  DidOpenTextDocumentParams open;
  if (n.method == "textDocument/didOpen" && from_json(*n.params, open)) return out + describe(open);
  DidChangeTextDocumentParams change;
  if (n.method == "textDocument/didChange" && from_json(*n.params, change)) return out + describe(change);
  return out + "params that do not convert";
}

}  // namespace qosa::lsp::testing
