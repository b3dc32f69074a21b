// Process entry: announce the server, run it on the standard streams, and
// turn the way it ends into the exit code.
#include "lsp/streams.h"
#include "server/server.h"
#include "platform/heap.h"
#include "platform/platform.h"

int main() {
  using namespace qosa;
  platform::prepare_standard_streams();
  platform::prepare_heap();
  lsp::FileReader input(platform::stdin_fd);
  lsp::FileWriter output(platform::stdout_fd);
  lsp::FileWriter errors(platform::stderr_fd);
  lsp::Log log(errors);
  // The start-up line says 0.9.0 and serverInfo 0.9.4: two versions, on purpose.
  log.line("QOSA Language Server v0.9.0");
  log.line("Başlatılıyor...");

  lsp::Server server;
  auto end = lsp::run(server, input, output, errors);
  if (!end) {
    log.line("Sunucu hatası: " + end.error().message);
    platform::exit_process(1);
  }
  if (*end == lsp::RunEnd::exit_notification) platform::exit_process(0);
  return 0;
}
