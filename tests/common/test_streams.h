// In-memory readers and writers for driving the transport and the run loop.
#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/framing.h"
#include "lsp/transport.h"

namespace qosa::lsp::testing {

// Serves `data` in pieces of at most `chunk` bytes, then the end of input
// (or `error_at_end`, when set).
class StringReader : public ByteReader {
 public:
  explicit StringReader(std::string data, std::size_t chunk = 1 << 20)
      : data_(std::move(data)), chunk_(chunk) {}

  std::optional<IoError> error_at_end;

  std::expected<std::size_t, IoError> read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min({size, chunk_, data_.size() - pos_});
    if (n == 0 && error_at_end) return std::unexpected(*error_at_end);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }
  std::size_t consumed() const { return pos_; }

 private:
  std::string data_;
  std::size_t chunk_;
  std::size_t pos_ = 0;
};

// Keeps every write apart; fails every write once `fail` is set.
class StringWriter : public ByteWriter {
 public:
  std::vector<std::string> writes;
  std::optional<IoError> fail;
  int flushes = 0;

  std::expected<void, IoError> write(std::string_view bytes) override {
    if (fail) return std::unexpected(*fail);
    writes.emplace_back(bytes);
    return {};
  }
  std::expected<void, IoError> flush() override {
    ++flushes;
    return {};
  }
  std::string text() const {
    std::string out;
    for (const auto& w : writes) out += w;
    return out;
  }
};

using qosa::testing::frame;

inline IoError broken_pipe() { return IoError{IoError::Kind::os, "Broken pipe (os error 32)"}; }

}  // namespace qosa::lsp::testing
