// The base protocol on the server's input and output: Content-Length framed
// JSON-RPC messages, and the records that cross the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <boost/json/value.hpp>

namespace qosa::lsp {

// A failed read or write. Only the text reaches the user; the kind tells
// framing and data errors from the system's own.
struct IoError {
  enum class Kind { invalid_data, unexpected_eof, os };
  Kind kind;
  std::string message;
};

// Where bytes come from: stdin in the server, a string in tests.
class ByteReader {
 public:
  virtual ~ByteReader() = default;
  // Reads at most `size` bytes; 0 at the end of input.
  virtual std::expected<std::size_t, IoError> read(char* buffer, std::size_t size) = 0;
};

// Where bytes go: stdout or stderr in the server, a string in tests.
class ByteWriter {
 public:
  virtual ~ByteWriter() = default;
  virtual std::expected<void, IoError> write(std::string_view bytes) = 0;
  virtual std::expected<void, IoError> flush() { return {}; }
};

// A file descriptor as a reader or a writer.
class FileReader final : public ByteReader {
 public:
  explicit FileReader(int fd) : fd_(fd) {}
  std::expected<std::size_t, IoError> read(char* buffer, std::size_t size) override;

 private:
  int fd_;
};

class FileWriter final : public ByteWriter {
 public:
  explicit FileWriter(int fd) : fd_(fd) {}
  std::expected<void, IoError> write(std::string_view bytes) override;

 private:
  int fd_;
};

// Standard error: one write per line, so lines never interleave; a failed
// write of a log line is not an error of the server.
class Log {
 public:
  explicit Log(ByteWriter& sink) : sink_(sink) {}
  void line(std::string_view text) { (void)sink_.write(text); }

 private:
  ByteWriter& sink_;
};

inline constexpr std::size_t stream_buffer_size = 8192;

// A reader with one fixed buffer in front of it. Large reads bypass the
// buffer and go straight into the caller's memory.
class InputBuffer {
 public:
  explicit InputBuffer(ByteReader& source, std::size_t capacity = stream_buffer_size);

  // Appends the bytes up to and including the next "\n" (or up to the end of
  // input) to `line`; returns how many were read, 0 at the end of input.
  std::expected<std::size_t, IoError> read_line(std::string& line);

  // Replaces `out` with exactly `size` bytes, or fails with
  // "failed to fill whole buffer" when the input ends first. Memory grows
  // with the bytes that actually arrive, not with the size announced.
  std::expected<void, IoError> read_exact(std::string& out, std::uint64_t size);

 private:
  std::expected<bool, IoError> fill();  // false at the end of input

  ByteReader& source_;
  std::string buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

// A writer with one fixed buffer in front of it; writes larger than the
// buffer go straight through.
class OutputBuffer {
 public:
  explicit OutputBuffer(ByteWriter& sink, std::size_t capacity = stream_buffer_size);

  std::expected<void, IoError> write(std::string_view bytes);
  // Writes out what is buffered, then flushes the sink.
  std::expected<void, IoError> flush();

 private:
  std::expected<void, IoError> drain();

  ByteWriter& sink_;
  std::string buffer_;
  std::size_t capacity_;
};

struct RpcRequest {
  std::string jsonrpc;
  boost::json::value id;  // null when absent
  std::string method;
  std::optional<boost::json::value> params;  // none when absent or null
};

struct RpcNotification {
  std::string jsonrpc;
  std::string method;
  std::optional<boost::json::value> params;
};

struct ResponseError {
  std::int32_t code;
  std::string message;
  std::optional<boost::json::value> data;
};

struct RpcResponse {
  std::string jsonrpc;
  boost::json::value id;
  std::optional<boost::json::value> result;
  std::optional<ResponseError> error;
};

using Message = std::variant<RpcRequest, RpcNotification>;

// The next message; none when the input ends where a header line is due.
std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in);

// Frames `body`, writes it and flushes.
std::expected<void, IoError> write_message(OutputBuffer& out, std::string_view body);

// The conversions of a parsed body; the error is the text after
// "Invalid request: " or "Invalid notification: ".
std::expected<RpcRequest, std::string> request_from_json(boost::json::value&& value);
std::expected<RpcNotification, std::string> notification_from_json(boost::json::value&& value);

// Compact JSON with the members in declared order.
std::string to_json_text(const RpcResponse& response);
std::string to_json_text(const RpcNotification& notification);

}  // namespace qosa::lsp
