// Starts the built server with given bytes on stdin and collects what an
// editor would see. One implementation per system: server_process_posix.cpp,
// server_process_windows.cpp (CreateProcess, run under wine on Linux).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qosa::testing {

using Lines = std::vector<std::string>;

struct Outcome {
  std::string out;
  Lines err;
  int exit_code = -1;  // -1 when ended by a signal
};

// The server binary: $QOSA_LSP_PATH when set, else the one this build made.
std::string server_path();

// `closed_stdout`: stdout is a pipe whose reading end is already closed.
// `stdin_path`, when given, is opened as stdin instead of the input.
Outcome run_server(const std::string& input, bool closed_stdout = false, const char* stdin_path = nullptr);

// A directory, to be given as stdin, and the error its reading gives.
const char* directory_path();
std::string directory_read_error();
// The error of a write to a pipe whose reader is gone.
std::string closed_pipe_error();

// Splits text after each "\n", keeping them.
Lines split_lines(const std::string& text);
// The bytes of a file; empty when it cannot be read.
std::string read_file(const std::filesystem::path& path);

}  // namespace qosa::testing
