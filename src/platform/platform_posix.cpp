#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <poll.h>
#include <unistd.h>

namespace qosa::platform {

namespace {

bool would_block(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// An editor or shell may hand over a non-blocking descriptor: where a read or
// write would block, wait until it would not. A hang-up or error wakes the
// wait too, and the retried call then reports it.
std::expected<void, int> wait_until(int fd, short events) {
  pollfd p{fd, events, 0};
  for (;;) {
    if (::poll(&p, 1, -1) >= 0) return {};
    if (errno != EINTR) return std::unexpected(errno);
  }
}

}  // namespace

std::expected<std::size_t, int> read_some(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EINTR) continue;
    if (!would_block(errno)) return std::unexpected(errno);
    if (auto ready = wait_until(fd, POLLIN); !ready) return std::unexpected(ready.error());
  }
}

std::expected<void, int> write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (!would_block(errno)) return std::unexpected(errno);
      if (auto ready = wait_until(fd, POLLOUT); !ready) return std::unexpected(ready.error());
      continue;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return {};
}

std::string error_text(int error) {
  char buffer[256];
  // The GNU strerror_r may return a static string instead of filling buffer.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return std::string(text) + " (os error " + std::to_string(error) + ")";
}

void prepare_standard_streams() {
  // POSIX has no text mode, so only SIGPIPE needs handling.
  std::signal(SIGPIPE, SIG_IGN);
}

void exit_process(int code) { std::exit(code); }

void abort_process() noexcept { std::abort(); }

}  // namespace qosa::platform
