#include "lsp/transport.h"

#include <algorithm>
#include <charconv>

#include <boost/json/parser.hpp>

#include "lsp/text_sync.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

IoError invalid_data(std::string message) {
  return IoError{IoError::Kind::invalid_data, std::move(message)};
}

// JSON nested this deep is read; one level more is an error.
constexpr std::size_t max_json_depth = 127;

}  // namespace

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

namespace {

// Bodies are read into one buffer kept by the input; one far larger than the
// message just read is given back rather than held for the rest of the run.
constexpr std::size_t kept_buffer_limit = std::size_t{16} << 20;

void release_if_oversized(std::string& body) {
  if (body.capacity() > kept_buffer_limit && body.capacity() / 4 > body.size()) {
    body = std::string();
  }
}

std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in, std::string* spare_text) {
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

  std::string& body = in.message_buffer();
  if (auto r = in.read_exact(body, *length); !r) return std::unexpected(std::move(r.error()));
  if (auto bad = support::validate_utf8(body)) {
    return std::unexpected(invalid_data("Invalid UTF-8: " + bad->message()));
  }
  if (spare_text) {
    if (auto notification = read_text_sync(body, *spare_text)) {
      release_if_oversized(body);
      return Message(std::move(*notification));
    }
  }
  auto value = parse_body(body);
  release_if_oversized(body);
  if (!value) return std::unexpected(std::move(value.error()));

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

}  // namespace

std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in) {
  return read_message(in, nullptr);
}

std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in, std::string& spare_text) {
  return read_message(in, &spare_text);
}

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

}  // namespace qosa::lsp
