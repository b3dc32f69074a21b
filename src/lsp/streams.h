// The server's byte streams: where bytes come from and go to, the fixed
// buffers in front of them, and the log on standard error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

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
  // Writes `text` and its "\n".
  void line(std::string_view text);

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

  // Where the transport puts each message's body. It is kept from one
  // message to the next, so that a warm server reads every body into memory
  // it already has instead of allocating (and faulting in) a fresh buffer.
  std::string& message_buffer() { return message_; }

 private:
  std::expected<bool, IoError> fill();  // false at the end of input

  ByteReader& source_;
  std::string buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::string message_;
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

}  // namespace qosa::lsp
