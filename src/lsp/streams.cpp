#include "lsp/streams.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/platform.h"

namespace qosa::lsp {

namespace {

IoError os_error(int error) { return IoError{IoError::Kind::os, platform::error_text(error)}; }

// An announced length is trusted only as far as the bytes that arrive: the
// body buffer starts at most this large and doubles as it fills.
constexpr std::size_t first_body_chunk = std::size_t{4} << 20;

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

void Log::line(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  out += text;
  out.push_back('\n');
  (void)sink_.write(out);
}

}  // namespace qosa::lsp
