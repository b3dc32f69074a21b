// The JSON-RPC records that cross the wire, their conversions from a parsed
// body and their compact text.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include <boost/json/value.hpp>

#include "lsp/protocol.h"

namespace qosa::lsp {

struct RpcRequest {
  std::string jsonrpc;
  boost::json::value id;  // null when absent
  std::string method;
  std::optional<boost::json::value> params;  // none when absent or null
};

// The params of didOpen and didChange when the reader has converted them
// straight from the body (lsp/text_sync.h); `params` is then none.
using TextSyncParams =
    std::variant<std::monostate, DidOpenTextDocumentParams, DidChangeTextDocumentParams>;

struct RpcNotification {
  std::string jsonrpc;
  std::string method;
  std::optional<boost::json::value> params;
  TextSyncParams text_sync = {};
};

struct RpcResponse {
  std::string jsonrpc;
  boost::json::value id;
  std::optional<JsonResult> result;
  std::optional<ResponseError> error;
};

using Message = std::variant<RpcRequest, RpcNotification>;

// The conversions of a parsed body; the error is the text after
// "Invalid request: " or "Invalid notification: ".
std::expected<RpcRequest, std::string> request_from_json(boost::json::value&& value);
std::expected<RpcNotification, std::string> notification_from_json(boost::json::value&& value);

// Compact JSON with the members in declared order.
std::string to_json_text(const RpcResponse& response);
std::string to_json_text(const RpcNotification& notification);
// The same for an outgoing notification whose params are JSON text.
std::string notification_text(std::string_view method, std::string_view params_json);

}  // namespace qosa::lsp
