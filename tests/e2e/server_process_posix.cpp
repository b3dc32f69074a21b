#include "e2e/server_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

extern char** environ;

namespace qosa::testing {
namespace {

std::string temp_path(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/qosa_e2e_" + std::to_string(::getpid()) + "_" + name;
}

}  // namespace

const char* directory_path() { return "/"; }
std::string directory_read_error() { return "Is a directory (os error 21)"; }
std::string closed_pipe_error() { return "Broken pipe (os error 32)"; }

Outcome run_server(const std::string& input, bool closed_stdout, const char* stdin_path) {
  const std::string in_path = stdin_path ? stdin_path : temp_path("in");
  const std::string out_path = temp_path("out"), err_path = temp_path("err");
  if (!stdin_path) {
    std::ofstream in(in_path, std::ios::binary);
    in << input;
  }
  int pipe_fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in_path.c_str(), O_RDONLY, 0);
  if (closed_stdout) {
    EXPECT_EQ(::pipe(pipe_fds), 0);
    ::close(pipe_fds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const std::string server = server_path();
  char* argv[] = {const_cast<char*>(server.c_str()), nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, server.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (pipe_fds[1] >= 0) ::close(pipe_fds[1]);
  EXPECT_EQ(spawned, 0);
  int status = 0;
  ::waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (!closed_stdout) outcome.out = read_file(out_path);
  outcome.err = split_lines(read_file(err_path));
  if (!stdin_path) std::remove(in_path.c_str());
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return outcome;
}

}  // namespace qosa::testing
