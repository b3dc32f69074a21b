// Runs the built server on non-blocking pipes, as an editor or a shell may
// hand them over: reads that would block and a full stdout must be waited
// out, not taken for errors.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "common/framing.h"

extern char** environ;

namespace {

using qosa::testing::frame;

void set_non_blocking(int fd) { ASSERT_EQ(::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK), 0); }

TEST(NonBlockingStreams, InputAndOutputAreWaitedFor) {
  // A server that gave up early must fail the test, not kill it.
  std::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  ASSERT_EQ(::pipe(in), 0);
  ASSERT_EQ(::pipe(out), 0);
  set_non_blocking(in[0]);
  set_non_blocking(out[1]);
  // The smallest pipe, so that the completion list alone fills it.
  ::fcntl(out[1], F_SETPIPE_SZ, 4096);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(QOSA_LSP_PATH), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, QOSA_LSP_PATH, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);

  // Nothing to read at first: the server's first read would block.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const std::string completion = frame(
      R"({"jsonrpc":"2.0","id":1,"method":"textDocument/completion","params":{"textDocument":)"
      R"({"uri":"file:///tmp/a.qosa"},"position":{"line":0,"character":0}}})");
  const std::string input = completion + frame(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
  ASSERT_EQ(::write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  ::close(in[1]);

  // Read late, so that the server finds stdout full.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) != 0;) {
    ASSERT_GT(n, 0);
    output.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);

  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_GT(output.size(), 4096u);
  EXPECT_TRUE(output.starts_with("Content-Length: "));
  EXPECT_NE(output.find(R"({"jsonrpc":"2.0","id":1,"result":[{)"), std::string::npos);
  EXPECT_TRUE(output.ends_with(frame(R"({"jsonrpc":"2.0","id":2,"result":null})")));
}

}  // namespace
