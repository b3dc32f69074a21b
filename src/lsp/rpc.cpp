#include "lsp/rpc.h"

#include "support/json.h"

namespace qosa::lsp {

namespace json = boost::json;

// Conversion errors: "missing field `x`", "invalid type: ..., expected ...",
// "invalid length n, expected ...".

namespace {

// A string quoted with escapes for quotes, backslashes and control characters.
std::string debug_quoted(std::string_view s) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\0': out += "\\0"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\u{";
          if (c >= 0x10) out.push_back(hex[c >> 4]);
          out.push_back(hex[c & 15]);
          out.push_back('}');
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
  return out;
}

// What was found where something else was expected.
std::string found_text(const json::value& v) {
  switch (v.kind()) {
    case json::kind::null: return "null";
    case json::kind::bool_: return v.get_bool() ? "boolean `true`" : "boolean `false`";
    case json::kind::int64: return "integer `" + std::to_string(v.get_int64()) + "`";
    case json::kind::uint64: return "integer `" + std::to_string(v.get_uint64()) + "`";
    case json::kind::double_: return "floating point `" + support::double_text(v.get_double()) + "`";
    case json::kind::string: return "string " + debug_quoted(v.get_string());
    case json::kind::array: return "sequence";
    case json::kind::object: return "map";
  }
  return "";
}

std::string invalid_type(const json::value& found, std::string_view expected) {
  return "invalid type: " + found_text(found) + ", expected " + std::string(expected);
}

std::string invalid_length(std::size_t n, std::string_view expected) {
  return "invalid length " + std::to_string(n) + ", expected " + std::string(expected);
}

std::string missing_field(std::string_view name) {
  return "missing field `" + std::string(name) + "`";
}

constexpr std::string_view expected_string = "a string";

// The members common to both records: the strings "jsonrpc" and "method"
// and the optional "params". Present members are checked in name order
// ("jsonrpc" < "method"), then the missing ones in declared order, which
// here is the same order.
std::optional<std::string> take_jsonrpc_method_params(json::object& obj, std::string& jsonrpc,
                                       std::string& method,
                                       std::optional<json::value>& params) {
  json::value* j = obj.if_contains("jsonrpc");
  json::value* m = obj.if_contains("method");
  if (j && !j->is_string()) return invalid_type(*j, expected_string);
  if (m && !m->is_string()) return invalid_type(*m, expected_string);
  if (!j) return missing_field("jsonrpc");
  if (!m) return missing_field("method");
  jsonrpc = j->get_string();
  method = m->get_string();
  if (json::value* p = obj.if_contains("params"); p && !p->is_null()) params = std::move(*p);
  return std::nullopt;
}

}  // namespace

std::expected<RpcRequest, std::string> request_from_json(json::value&& value) {
  json::object* obj = value.if_object();
  if (!obj) return std::unexpected(invalid_type(value, "struct RpcRequest"));
  RpcRequest request;
  if (auto error = take_jsonrpc_method_params(*obj, request.jsonrpc, request.method, request.params)) {
    return std::unexpected(std::move(*error));
  }
  if (json::value* id = obj->if_contains("id")) request.id = std::move(*id);
  return request;
}

std::expected<RpcNotification, std::string> notification_from_json(json::value&& value) {
  static constexpr std::string_view record = "struct RpcNotification";
  static constexpr std::string_view record_3 = "struct RpcNotification with 3 elements";
  RpcNotification notification;
  if (json::object* obj = value.if_object()) {
    if (auto error = take_jsonrpc_method_params(*obj, notification.jsonrpc, notification.method,
                                 notification.params)) {
      return std::unexpected(std::move(*error));
    }
    return notification;
  }
  json::array* arr = value.if_array();
  if (!arr) return std::unexpected(invalid_type(value, record));
  // Read by position: jsonrpc, method, params.
  const std::size_t n = arr->size();
  std::string* fields[] = {&notification.jsonrpc, &notification.method};
  for (std::size_t i = 0; i < 2; ++i) {
    if (i >= n) return std::unexpected(invalid_length(i, record_3));
    json::value& element = (*arr)[i];
    if (!element.is_string()) return std::unexpected(invalid_type(element, expected_string));
    *fields[i] = element.get_string();
  }
  if (n < 3) return std::unexpected(invalid_length(2, record_3));
  if (n > 3) return std::unexpected(invalid_length(n, "fewer elements in array"));
  if (!(*arr)[2].is_null()) notification.params = std::move((*arr)[2]);
  return notification;
}

std::string to_json_text(const RpcResponse& response) {
  std::string out = "{\"jsonrpc\":";
  support::append_json_string(out, response.jsonrpc);
  out += ",\"id\":";
  support::append_json(out, response.id);
  if (response.result) {
    out += ",\"result\":";
    response.result->append_to(out);
  }
  if (response.error) {
    out += ",\"error\":{\"code\":";
    support::append_decimal(out, std::int64_t{response.error->code});
    out += ",\"message\":";
    support::append_json_string(out, response.error->message);
    if (response.error->data) {
      out += ",\"data\":";
      support::append_json(out, *response.error->data);
    }
    out.push_back('}');
  }
  out.push_back('}');
  return out;
}

namespace {

std::string notification_envelope(std::string_view jsonrpc, std::string_view method, std::string_view params_json) {
  std::string out = "{\"jsonrpc\":";
  support::append_json_string(out, jsonrpc);
  out += ",\"method\":";
  support::append_json_string(out, method);
  out += ",\"params\":";
  out += params_json;
  out.push_back('}');
  return out;
}

}  // namespace

std::string to_json_text(const RpcNotification& notification) {
  return notification_envelope(notification.jsonrpc, notification.method,
                               notification.params ? support::to_json_text(*notification.params) : "null");
}

std::string notification_text(std::string_view method, std::string_view params_json) {
  return notification_envelope("2.0", method, params_json);
}

}  // namespace qosa::lsp
