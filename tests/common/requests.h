// Requests through the method table, as the run loop makes them: a test
// sends the JSON params a client sends and reads the answer's text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <boost/json/parse.hpp>

#include "server/dispatch.h"

namespace qosa::lsp::testing {

// The result's text, or "error CODE MESSAGE".
inline std::string ask(Server& server, std::string_view method, std::optional<std::string_view> params) {
  std::optional<boost::json::value> value;
  if (params) value = boost::json::parse(*params);
  Answer a = handle_request(std::move(value), method, server);
  if (!a) return "error " + std::to_string(a.error().code) + " " + a.error().message;
  return a->text();
}

// Opens a document as didOpen stores it.
inline void open(Server& server, std::string_view uri, std::string text, std::int32_t version = 1) {
  open_document(server.documents, *Uri::parse(uri), std::move(text), version);
}

}  // namespace qosa::lsp::testing
