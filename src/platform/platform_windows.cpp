#include "platform/platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace qosa::platform {
namespace {

HANDLE handle_of(int fd) {
  const DWORD which = fd == stdin_fd ? STD_INPUT_HANDLE : fd == stdout_fd ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
  return GetStdHandle(which);
}

bool is_missing(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// A console shows UTF-16, whatever its code page: log lines in Turkish stay
// readable when a person runs the server by hand. Pipes and files get the
// bytes unchanged.
std::expected<void, int> write_console(HANDLE handle, const char* data, std::size_t size) {
  while (size > 0) {
    // Whole characters only: stop a piece before a continuation byte.
    std::size_t piece = size < 8192 ? size : 8192;
    while (piece < size && piece > 0 && (static_cast<unsigned char>(data[piece]) & 0xC0) == 0x80) --piece;
    if (piece == 0) piece = size < 8192 ? size : 8192;
    wchar_t wide[8192];
    const int length = MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(piece), wide, 8192);
    DWORD written = 0;
    for (int at = 0; at < length; at += static_cast<int>(written)) {
      if (!WriteConsoleW(handle, wide + at, static_cast<DWORD>(length - at), &written, nullptr)) {
        return std::unexpected(static_cast<int>(GetLastError()));
      }
    }
    data += piece;
    size -= piece;
  }
  return {};
}

}  // namespace

std::expected<std::size_t, int> read_some(int fd, char* buffer, std::size_t size) {
  const HANDLE handle = handle_of(fd);
  if (is_missing(handle)) return 0;  // no standard input: nothing to read
  DWORD read = 0;
  const DWORD asked = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (ReadFile(handle, buffer, asked, &read, nullptr)) return read;
  const DWORD error = GetLastError();
  // The writing end of a pipe was closed: the end of input.
  if (error == ERROR_BROKEN_PIPE) return 0;
  return std::unexpected(static_cast<int>(error));
}

std::expected<void, int> write_all(int fd, const char* data, std::size_t size) {
  const HANDLE handle = handle_of(fd);
  if (is_missing(handle)) return {};  // no such stream: the bytes go nowhere
  if (is_console(handle)) return write_console(handle, data, size);
  while (size > 0) {
    DWORD written = 0;
    const DWORD asked = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!WriteFile(handle, data, asked, &written, nullptr)) {
      return std::unexpected(static_cast<int>(GetLastError()));
    }
    data += written;
    size -= written;
  }
  return {};
}

std::string error_text(int error) {
  wchar_t* wide = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&wide), 0, nullptr);
  std::string text;
  if (length > 0) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), text.data(), bytes, nullptr, nullptr);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  }
  if (wide != nullptr) LocalFree(wide);
  if (text.empty()) text = "Unknown error";
  return text + " (os error " + std::to_string(error) + ")";
}

void prepare_standard_streams() {
  // The server reads and writes the standard handles directly; the C
  // runtime's descriptors go to binary mode too, so that nothing written
  // through them gains a "\r" before "\n" or stops at 0x1A.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void exit_process(int code) { std::exit(code); }

void abort_process() noexcept {
  // At once: no exit handlers, no static destructors, no crash dialog.
  TerminateProcess(GetCurrentProcess(), 3);
  _Exit(3);
}

}  // namespace qosa::platform
