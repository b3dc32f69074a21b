#include "lsp/transport.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include <boost/json/parser.hpp>

#include "platform/platform.h"
#include "support/json.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

IoError invalid_data(std::string message) {
  return IoError{IoError::Kind::invalid_data, std::move(message)};
}

IoError os_error(int error) { return IoError{IoError::Kind::os, platform::error_text(error)}; }

// An announced length is trusted only as far as the bytes that arrive: the
// body buffer starts at most this large and doubles as it fills.
constexpr std::size_t first_body_chunk = std::size_t{4} << 20;

// JSON nested this deep is read; one level more is an error.
constexpr std::size_t max_json_depth = 127;

}  // namespace

std::expected<std::size_t, IoError> FileReader::read(char* buffer, std::size_t size) {
  auto n = platform::read_some(fd_, buffer, size);
  if (!n) return std::unexpected(os_error(n.error()));
  return *n;
}

std::expected<void, IoError> FileWriter::write(std::string_view bytes) {
  auto r = platform::write_all(fd_, bytes.data(), bytes.size());
  if (!r) return std::unexpected(os_error(r.error()));
  return {};
}

// ---------------------------------------------------------------------------
// Buffers

InputBuffer::InputBuffer(ByteReader& source, std::size_t capacity) : source_(source) {
  buffer_.resize(capacity);
}

std::expected<bool, IoError> InputBuffer::fill() {
  auto n = source_.read(buffer_.data(), buffer_.size());
  if (!n) return std::unexpected(std::move(n.error()));
  begin_ = 0;
  end_ = *n;
  return *n > 0;
}

std::expected<std::size_t, IoError> InputBuffer::read_line(std::string& line) {
  std::size_t total = 0;
  for (;;) {
    if (begin_ == end_) {
      auto more = fill();
      if (!more) return std::unexpected(std::move(more.error()));
      if (!*more) return total;
    }
    const char* start = buffer_.data() + begin_;
    const std::size_t available = end_ - begin_;
    const void* nl = std::memchr(start, '\n', available);
    const std::size_t take =
        nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) + 1 : available;
    line.append(start, take);
    begin_ += take;
    total += take;
    if (nl) return total;
  }
}

std::expected<void, IoError> InputBuffer::read_exact(std::string& out, std::uint64_t size) {
  out.clear();
  std::optional<IoError> error;
  bool ended = false;
  std::size_t have = 0;
  while (have < size && !error && !ended) {
    const std::uint64_t grown = std::max<std::uint64_t>(first_body_chunk, std::uint64_t{have} * 2);
    const auto target = static_cast<std::size_t>(std::min<std::uint64_t>(size, grown));
    // Bytes go straight into the body, first from the buffer, then from the
    // source; a short remainder still goes through the buffer so that the
    // next message's header comes with the same read. The size given to the
    // operation is not used: GCC 12's library passes the grown capacity.
    out.resize_and_overwrite(target, [&](char* p, std::size_t) {
      const std::size_t n = target;
      std::size_t filled = have;
      while (filled < n) {
        if (begin_ < end_) {
          const std::size_t take = std::min(end_ - begin_, n - filled);
          std::memcpy(p + filled, buffer_.data() + begin_, take);
          begin_ += take;
          filled += take;
        } else if (n - filled >= buffer_.size()) {
          auto got = source_.read(p + filled, n - filled);
          if (!got) {
            error = std::move(got.error());
            break;
          }
          if (*got == 0) {
            ended = true;
            break;
          }
          filled += *got;
        } else {
          auto more = fill();
          if (!more) {
            error = std::move(more.error());
            break;
          }
          if (!*more) {
            ended = true;
            break;
          }
        }
      }
      return filled;
    });
    have = out.size();
  }
  if (error) return std::unexpected(std::move(*error));
  if (have < size) {
    out.clear();
    out.shrink_to_fit();
    return std::unexpected(IoError{IoError::Kind::unexpected_eof, "failed to fill whole buffer"});
  }
  return {};
}

OutputBuffer::OutputBuffer(ByteWriter& sink, std::size_t capacity)
    : sink_(sink), capacity_(capacity) {
  buffer_.reserve(capacity);
}

std::expected<void, IoError> OutputBuffer::drain() {
  if (buffer_.empty()) return {};
  auto r = sink_.write(buffer_);
  // What could not be written is dropped, never sent again later as part
  // of another message.
  buffer_.clear();
  return r;
}

std::expected<void, IoError> OutputBuffer::write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > capacity_) {
    if (auto r = drain(); !r) return r;
  }
  if (bytes.size() >= capacity_) return sink_.write(bytes);
  buffer_.append(bytes);
  return {};
}

std::expected<void, IoError> OutputBuffer::flush() {
  if (auto r = drain(); !r) return r;
  return sink_.flush();
}

// ---------------------------------------------------------------------------
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
std::optional<std::string> take_common(json::object& obj, std::string& jsonrpc,
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
  if (auto error = take_common(*obj, request.jsonrpc, request.method, request.params)) {
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
    if (auto error = take_common(*obj, notification.jsonrpc, notification.method,
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

// ---------------------------------------------------------------------------
// Reading

namespace {

// "+"? digits, fitting in 64 bits; anything else is no length.
std::optional<std::uint64_t> parse_length(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string position_text(std::string_view body, std::size_t pos) {
  pos = std::min(pos, body.size());
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < pos; ++i) {
    if (body[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  return " at line " + std::to_string(line) + " column " + std::to_string(pos - line_start + 1);
}

std::expected<json::value, IoError> parse_body(std::string_view body) {
  json::parse_options options;
  options.max_depth = max_json_depth;
  // The body was validated as a whole just before; checking again per string
  // would only cost time. Escapes are still checked: a lone surrogate fails.
  options.allow_invalid_utf8 = true;
  json::parser parser(json::storage_ptr(), options);
  boost::system::error_code ec;
  const std::size_t pos = parser.write(body.data(), body.size(), ec);
  if (ec) return std::unexpected(invalid_data("Invalid JSON: " + ec.message() + position_text(body, pos)));
  return parser.release();
}

}  // namespace

std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in) {
  static constexpr std::string_view length_prefix = "Content-Length:";
  std::optional<std::uint64_t> length;
  std::string line;
  for (;;) {
    line.clear();
    auto got = in.read_line(line);
    if (!got) return std::unexpected(std::move(got.error()));
    if (*got == 0) return std::nullopt;
    if (!support::is_valid_utf8(line)) return std::unexpected(invalid_data("stream did not contain valid UTF-8"));
    const std::string_view trimmed = support::trim(line);
    if (trimmed.empty()) break;
    if (trimmed.starts_with(length_prefix)) {
      length = parse_length(support::trim(trimmed.substr(length_prefix.size())));
    }
  }
  if (!length) return std::unexpected(invalid_data("Missing Content-Length header"));

  std::string body;
  if (auto r = in.read_exact(body, *length); !r) return std::unexpected(std::move(r.error()));
  if (auto bad = support::validate_utf8(body)) {
    return std::unexpected(invalid_data("Invalid UTF-8: " + bad->message()));
  }
  auto value = parse_body(body);
  if (!value) return std::unexpected(std::move(value.error()));
  body = std::string();  // the text is in the value now

  const json::object* obj = value->if_object();
  if (obj && obj->contains("id")) {
    auto request = request_from_json(std::move(*value));
    if (!request) return std::unexpected(invalid_data("Invalid request: " + request.error()));
    return Message(std::move(*request));
  }
  auto notification = notification_from_json(std::move(*value));
  if (!notification) {
    return std::unexpected(invalid_data("Invalid notification: " + notification.error()));
  }
  return Message(std::move(*notification));
}

// ---------------------------------------------------------------------------
// Writing

std::expected<void, IoError> write_message(OutputBuffer& out, std::string_view body) {
  std::string header = "Content-Length: ";
  header += std::to_string(body.size());
  header += "\r\n\r\n";
  auto r = out.write(header);
  if (r) r = out.write(body);
  auto f = out.flush();
  if (!r) return r;
  return f;
}

std::string to_json_text(const RpcResponse& response) {
  std::string out = "{\"jsonrpc\":";
  support::append_json_string(out, response.jsonrpc);
  out += ",\"id\":";
  support::append_json(out, response.id);
  if (response.result) {
    out += ",\"result\":";
    support::append_json(out, *response.result);
  }
  if (response.error) {
    out += ",\"error\":{\"code\":";
    out += std::to_string(response.error->code);
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

std::string to_json_text(const RpcNotification& notification) {
  std::string out = "{\"jsonrpc\":";
  support::append_json_string(out, notification.jsonrpc);
  out += ",\"method\":";
  support::append_json_string(out, notification.method);
  out += ",\"params\":";
  if (notification.params) {
    support::append_json(out, *notification.params);
  } else {
    out += "null";
  }
  out.push_back('}');
  return out;
}

}  // namespace qosa::lsp
