// The few operating-system services the server needs: raw reads and writes on
// the standard file descriptors, their binary mode, and process exit. Each
// platform header has one source per system: *_posix.cpp or *_windows.cpp.
#pragma once

#include <cstddef>
#include <expected>
#include <string>

namespace qosa::platform {

inline constexpr int stdin_fd = 0;
inline constexpr int stdout_fd = 1;
inline constexpr int stderr_fd = 2;

// Reads at most `size` bytes; 0 means end of input (on Windows also a pipe
// whose writer is gone). Interrupted reads are retried, and on a non-blocking
// descriptor the read waits for input. The error is the system's error number
// (errno, or GetLastError on Windows).
std::expected<std::size_t, int> read_some(int fd, char* buffer, std::size_t size);

// Writes all `size` bytes, retrying interrupted and partial writes and
// waiting on a non-blocking descriptor that is full.
std::expected<void, int> write_all(int fd, const char* data, std::size_t size);

// The system's text for an error number, as "Broken pipe (os error 32)"
// ("The pipe is being closed. (os error 232)" on Windows).
std::string error_text(int error);

// Puts the three standard descriptors in binary mode where the platform has
// a text mode, and makes a write to a closed pipe an error (EPIPE) instead of
// a death by signal.
void prepare_standard_streams();

// Ends the process at once with `code`.
[[noreturn]] void exit_process(int code);

// Ends the process at once, without exit handlers or static destructors.
[[noreturn]] void abort_process() noexcept;

}  // namespace qosa::platform
