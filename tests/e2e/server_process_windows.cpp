#include "e2e/server_process.h"

#include <windows.h>

#include <fstream>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qosa::testing {
namespace {

namespace fs = std::filesystem;

fs::path temp_path(const char* name) {
  wchar_t dir[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, dir);
  return fs::path(std::wstring(dir, length)) /
         ("qosa_e2e_" + std::to_string(GetCurrentProcessId()) + "_" + name);
}

std::wstring wide(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), length);
  return out;
}

// Handles the child inherits; backup semantics let a directory open too.
HANDLE open_inheritable(const fs::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

const char* directory_path() { return "."; }
std::string directory_read_error() { return platform::error_text(ERROR_INVALID_FUNCTION); }
std::string closed_pipe_error() { return platform::error_text(ERROR_NO_DATA); }

Outcome run_server(const std::string& input, bool closed_stdout, const char* stdin_path) {
  const fs::path in_path = stdin_path ? fs::path(wide(stdin_path)) : temp_path("in");
  const fs::path out_path = temp_path("out"), err_path = temp_path("err");
  if (!stdin_path) {
    std::ofstream in(in_path, std::ios::binary);
    in << input;
  }
  const HANDLE in = open_inheritable(in_path, GENERIC_READ, OPEN_EXISTING);
  HANDLE out = INVALID_HANDLE_VALUE;
  if (closed_stdout) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE reader = nullptr;
    EXPECT_TRUE(CreatePipe(&reader, &out, &inherit, 0));
    CloseHandle(reader);
  } else {
    out = open_inheritable(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  }
  const HANDLE err = open_inheritable(err_path, GENERIC_WRITE, CREATE_ALWAYS);
  EXPECT_NE(in, INVALID_HANDLE_VALUE);
  EXPECT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_NE(err, INVALID_HANDLE_VALUE);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring server = wide(server_path());
  std::wstring command_line = L"\"" + server + L"\"";
  const bool started = CreateProcessW(server.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  EXPECT_TRUE(started) << "CreateProcess failed: " << GetLastError();
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  Outcome outcome;
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    outcome.exit_code = static_cast<int>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  if (!closed_stdout) outcome.out = read_file(out_path);
  outcome.err = split_lines(read_file(err_path));
  std::error_code ignored;
  if (!stdin_path) fs::remove(in_path, ignored);
  fs::remove(out_path, ignored);
  fs::remove(err_path, ignored);
  return outcome;
}

}  // namespace qosa::testing
