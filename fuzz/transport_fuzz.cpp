// Framing on arbitrary bytes: messages are read until the input ends or a
// message cannot be read, every read consumes input, and the loop ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/test_streams.h"
#include "fuzz_check.h"
#include "lsp/transport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qosa::lsp;
  if (size == 0) return 0;
  const std::size_t chunk = 1 + data[0] % 16;
  testing::StringReader source(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), chunk);
  InputBuffer in(source, 16 + data[0] % 64);
  std::size_t consumed = 0;
  for (;;) {
    auto message = read_message(in);
    if (!message || !*message) break;
    // Each message takes at least "Content-Length:0" and a blank line.
    QOSA_FUZZ_CHECK(source.consumed() > consumed);
    consumed = source.consumed();
  }
  return 0;
}
